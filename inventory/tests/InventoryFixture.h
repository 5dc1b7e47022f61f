// A test installation of the receiver software in the Wine prefix: files,
// folders, registry keys and shortcuts that the inventory sections look for.
// Everything made through it is removed again when it is destroyed.
#pragma once

#include "foundation/Win32.h"
#include "foundation/String.h"

#include <string>
#include <vector>

class TestInstallation {
public:
    TestInstallation() = default;
    ~TestInstallation();
    TestInstallation(const TestInstallation&) = delete;
    TestInstallation& operator=(const TestInstallation&) = delete;

    // Folders are made with their ancestors; the ones made are removed.
    void folder(const std::string& path);
    // A file with this content (its folder must exist or be made first).
    void file(const std::string& path, const std::string& content = "x");
    // HKLM or HKCU key with string / DWORD values; the key is deleted at the end.
    void registryKey(HKEY root, const std::string& key);
    void registryString(HKEY root, const std::string& key, const std::string& name, const std::string& value);
    void registryDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
    // A registry symbolic link to a key that does not exist: it is listed
    // among its parent's sub-keys, but every open of it fails.
    void danglingRegistryLink(HKEY root, const std::string& key);
    // A .lnk file written through the shell-link object.
    void shortcut(const std::string& path, const std::string& target, const std::string& workingFolder);
    // A Unix symbolic link made by /bin/ln (Wine reports it as a reparse
    // point); false when not running under Wine.
    bool unixSymlink(const std::string& link, const std::string& target);

private:
    std::vector<std::string> files_;
    std::vector<std::string> folders_;
    std::vector<std::pair<HKEY, std::string>> keys_;
    std::vector<std::pair<std::string, std::string>> links_;
    std::vector<std::pair<HKEY, std::string>> registryLinks_;   // Windows and Unix path
};

std::string specialFolder(int csidl);
std::string windowsFolder();
std::string systemFolder();
std::string upper(std::string text);
std::string shortPathOf(const std::string& path);

// The lines from `heading` (exclusive) up to the next empty line.
std::vector<std::string> sectionAfter(const std::vector<std::string>& lines, const std::string& heading);
