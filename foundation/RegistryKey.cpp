#include "foundation/RegistryKey.h"
#include "foundation/TextList.h"

#include <vector>

namespace {

HKEY openKey(HKEY parent, const char* name, REGSAM access) {
    HKEY key = nullptr;
    if (!parent || RegOpenKeyExA(parent, name, 0, access, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

}   // namespace

RegistryKey::RegistryKey(HKEY root, REGSAM access)
    // Opening "" gives a handle of our own to the same key (for a predefined
    // root the system may hand back the root itself; closing that is harmless).
    : key_(openKey(root, "", access)) {}

RegistryKey::~RegistryKey() { close(); }

bool RegistryKey::reopen(HKEY root, REGSAM access) {
    HKEY key = openKey(root, "", access);
    if (!key) return false;
    close();
    key_ = key;
    return true;
}

bool RegistryKey::openSubKey(const String& name, bool create, REGSAM access) {
    if (!key_) return false;
    HKEY key = openKey(key_, name.c_str(), access);
    if (!key && create) {
        DWORD disposition = 0;
        if (RegCreateKeyExA(key_, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key,
                            &disposition) != ERROR_SUCCESS)
            key = nullptr;
    }
    if (!key) return false;
    close();
    key_ = key;
    return true;
}

RegistryKey* RegistryKey::openChild(const String& name, bool create, REGSAM access) {
    // The new object starts on a handle of its own to this key.  Creating a
    // sub-key through a handle needs KEY_CREATE_SUB_KEY on that handle (Windows
    // NT checks the handle's granted access), so ask for it when creating.
    RegistryKey* child = new RegistryKey(key_, create ? READ_CONTROL | KEY_CREATE_SUB_KEY : READ_CONTROL);
    if (!child->openSubKey(name, create, access)) {
        delete child;
        return nullptr;
    }
    return child;
}

bool RegistryKey::close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
    return true;
}

bool RegistryKey::subKeyExists(const String& name) const {
    HKEY key = openKey(key_, name.c_str(), READ_CONTROL);
    if (!key) return false;
    RegCloseKey(key);
    return true;
}

bool RegistryKey::valueExists(const String& valueName) const {
    return key_ &&
           RegQueryValueExA(key_, valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

uint32_t RegistryKey::readDword(const String& valueName, uint32_t defaultValue) const {
    DWORD type = 0, value = 0, size = sizeof value;
    if (!key_ ||
        RegQueryValueExA(key_, valueName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return defaultValue;
    return value;
}

String RegistryKey::readString(const String& valueName, const String& defaultValue) const {
    if (!key_) return defaultValue;
    // Most values fit 16 bytes; a longer one answers ERROR_MORE_DATA with the
    // size it needs.  The stored data need not end in a zero (REG_BINARY, or
    // a string written with its length only), so the text is cut at the
    // returned size and a zero is put after it in our own buffer.
    std::vector<char> data(16);
    DWORD size = (DWORD)data.size();
    LONG status = RegQueryValueExA(key_, valueName.c_str(), nullptr, nullptr,
                                   reinterpret_cast<BYTE*>(data.data()), &size);
    // The value may grow between the two queries: ask while it keeps growing.
    for (int attempt = 0; status == ERROR_MORE_DATA && attempt < 4; ++attempt) {
        data.resize(size);
        status = RegQueryValueExA(key_, valueName.c_str(), nullptr, nullptr,
                                  reinterpret_cast<BYTE*>(data.data()), &size);
    }
    if (status != ERROR_SUCCESS) return defaultValue;
    if (size > data.size()) size = (DWORD)data.size();
    size_t length = 0;
    while (length < size && data[length] != 0) ++length;
    return String(data.data(), length);
}

uint32_t RegistryKey::readBinary(const String& valueName, void* buffer, uint32_t bufferSize,
                                 DWORD* type) const {
    DWORD size = bufferSize;
    if (!key_ || RegQueryValueExA(key_, valueName.c_str(), nullptr, type, static_cast<BYTE*>(buffer),
                                  &size) != ERROR_SUCCESS)
        return 0;
    return size;
}

bool RegistryKey::writeDword(const String& valueName, uint32_t value) {
    DWORD data = value;
    return key_ && RegSetValueExA(key_, valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                  sizeof data) == ERROR_SUCCESS;
}

bool RegistryKey::writeString(const String& valueName, const String& value) {
    return key_ &&
           RegSetValueExA(key_, valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          (DWORD)value.length() + 1) == ERROR_SUCCESS;
}

bool RegistryKey::writeBinary(const String& valueName, const void* data, uint32_t size, DWORD type) {
    return key_ && RegSetValueExA(key_, valueName.c_str(), 0, type, static_cast<const BYTE*>(data), size) ==
                       ERROR_SUCCESS;
}

bool RegistryKey::deleteValue(const String& valueName) {
    return key_ && RegDeleteValueA(key_, valueName.c_str()) == ERROR_SUCCESS;
}

LONG RegistryKey::deleteKeyTree(const String& name) {
    if (!key_) return ERROR_INVALID_HANDLE;
    // Windows NT's RegDeleteKeyA refuses a key that still has sub-keys, so the
    // children go first, depth first.  Always enumerating index 0 is right
    // because each deleted child shifts the rest down.
    HKEY subKey = openKey(key_, name.c_str(), KEY_ENUMERATE_SUB_KEYS);
    if (subKey) {
        std::vector<char> childName(16384);
        HKEY parent = key_;
        key_ = subKey;
        for (;;) {
            DWORD length = (DWORD)childName.size();
            if (RegEnumKeyExA(subKey, 0, childName.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            // A child that cannot be deleted would be found again at index 0
            // for ever: stop then and let the final delete report the failure.
            if (deleteKeyTree(String(childName.data(), length)) != ERROR_SUCCESS) break;
        }
        key_ = parent;
        RegCloseKey(subKey);
    }
    return RegDeleteKeyA(key_, name.c_str());
}

namespace {

// Enumerates with a fresh buffer size on each call (the call overwrites it
// with the length of the name it returned).
template <typename Enumerate>
void listNames(HKEY key, DWORD bufferSize, TextList& list, Enumerate enumerate) {
    if (!key) return;
    std::vector<char> name(bufferSize);
    for (DWORD index = 0;; ++index) {
        DWORD length = bufferSize;
        if (enumerate(key, index, name.data(), &length) != ERROR_SUCCESS) break;
        list.add(String(name.data(), length));
    }
}

}   // namespace

void RegistryKey::listSubKeys(TextList& list) const {
    listNames(key_, 256, list, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumKeyExA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}

void RegistryKey::listValueNames(TextList& list) const {
    listNames(key_, 32768, list, [](HKEY key, DWORD index, char* name, DWORD* length) {
        return RegEnumValueA(key, index, name, length, nullptr, nullptr, nullptr, nullptr);
    });
}
