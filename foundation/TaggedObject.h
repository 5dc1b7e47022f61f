// TaggedObject: the header that begins every object of the foundation and
// toolkit classes.  Its first virtual operation stores a 32-bit type tag and
// the second is the destructor, so the tag setter sits in the first vtable
// slot of every such object.  The toolkit maps a native window back to its
// object by checking this tag; classes that are not windows keep tag 0.
#pragma once

#include <cstdint>

class TaggedObject {
public:
    TaggedObject() = default;
    virtual void setTypeTag(uint32_t tag) { typeTag_ = tag; }
    virtual ~TaggedObject() = default;

    uint32_t typeTag() const { return typeTag_; }

protected:
    TaggedObject(const TaggedObject&) = default;
    TaggedObject& operator=(const TaggedObject&) = default;

private:
    uint32_t typeTag_ = 0;
};
