// ResourceCache: reference-counted GDI pens or brushes keyed by colour.  Two
// requests for one colour share one GDI object; the object is deleted when
// the last holder releases it.  Handles handed out are borrowed: callers give
// them back with release() and never DeleteObject them.
#pragma once

#include "foundation/Win32.h"

#include <cstddef>

class ResourceCache {
public:
    enum Kind { SolidPen, DotPen, Brush };

    explicit ResourceCache(Kind kind);
    // Whatever is still cached is reported as a leak and deleted.
    ~ResourceCache();

    // The shared object of this colour, created on first request.
    HGDIOBJ take(COLORREF colour);
    // Gives one reference back; an unknown handle is reported and ignored.
    void release(HGDIOBJ handle);

    // Writes one "Undeleted graphics resource" line per remaining object,
    // deletes them all and empties the cache.
    void reportLeaks();

    Kind kind() const { return kind_; }
    size_t size() const;                         // distinct objects held
    int referenceCount(COLORREF colour) const;   // 0 when not cached
    int referenceCount(HGDIOBJ handle) const;

    ResourceCache(const ResourceCache&) = delete;
    ResourceCache& operator=(const ResourceCache&) = delete;

private:
    struct Node {
        HGDIOBJ handle;
        COLORREF colour;
        int references;
        Node* next;
        Node* previous;
    };
    Node* findColour(COLORREF colour) const;
    Node* findHandle(HGDIOBJ handle) const;
    void unlink(Node* node);
    HGDIOBJ create(COLORREF colour) const;

    Kind kind_;
    Node* head_ = nullptr;
};
