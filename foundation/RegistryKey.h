// RegistryKey: one open registry key that walks down the tree in place
// (openSubKey replaces its handle) or spawns a child object (openChild).
// Failures come back as false, null or the caller's default, never as an
// error code (except deleteKeyTree, which returns the status) or exception.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"
#include "foundation/TaggedObject.h"
#include <cstdint>

class TextList;

class RegistryKey : public TaggedObject {
public:
    // Opens "" below root with the mask and keeps the new handle; a failed open
    // leaves a null handle on which every later operation fails.
    RegistryKey(HKEY root, REGSAM access);
    ~RegistryKey() override;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    HKEY handle() const { return key_; }
    bool isOpen() const { return key_ != nullptr; }

    // Opens "" below root; only on success is the old handle replaced.
    bool reopen(HKEY root, REGSAM access);
    // Descends in place; with create set a missing key is made.  On failure the
    // object stays on its old key.
    bool openSubKey(const String& name, bool create, REGSAM access);
    // A new object on the sub-key (the caller deletes it), or null; this object
    // does not move.
    RegistryKey* openChild(const String& name, bool create, REGSAM access);
    bool close();   // always true

    bool subKeyExists(const String& name) const;
    bool valueExists(const String& valueName) const;

    // The default when the value is missing or not a REG_DWORD.
    uint32_t readDword(const String& valueName, uint32_t defaultValue) const;
    // Any value type as text, ending at the first zero byte or at the end of the
    // returned data, whichever comes first; the default when it cannot be read.
    String readString(const String& valueName, const String& defaultValue) const;
    // Bytes read into the caller's buffer, 0 on failure; *type when given.
    uint32_t readBinary(const String& valueName, void* buffer, uint32_t bufferSize,
                        DWORD* type = nullptr) const;

    bool writeDword(const String& valueName, uint32_t value);
    bool writeString(const String& valueName, const String& value);   // REG_SZ, zero stored
    bool writeBinary(const String& valueName, const void* data, uint32_t size, DWORD type = REG_BINARY);
    bool deleteValue(const String& valueName);
    // Deletes the sub-key and everything below it; the RegDeleteKeyA status
    // (ERROR_SUCCESS = 0 on success).
    LONG deleteKeyTree(const String& name);

    // Append every name, in enumeration order.
    void listSubKeys(TextList& list) const;
    void listValueNames(TextList& list) const;

private:
    HKEY key_;
};
