#include "repair/RepairPlatform.h"

#include <shlobj.h>

#include "foundation/RegistryKey.h"

WindowsVersionClass RepairPlatform::versionClass() { return classifyWindowsVersion(); }

String RepairPlatform::programFilesFolder() { return specialFolderPath(CSIDL_PROGRAM_FILES); }

RepairPlatform::RegistryOutcome RepairPlatform::writeSearchPath(const String& path) {
    // The key object starts on HKCU and moves to HKLM with full access.  The
    // move must succeed: RegistryKey::reopen keeps the old handle when it
    // fails, so without administrator rights an unchecked move would create
    // "Software\ZQT" under HKCU, where the plug-ins never look, and report
    // success.
    RegistryKey key(HKEY_CURRENT_USER, KEY_ALL_ACCESS);
    if (!key.reopen(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS) ||
        !key.openSubKey("Software\\ZQT", true, KEY_ALL_ACCESS))
        return registryKeyRefused;
    return key.writeString("SearchPath", path) ? registryWritten : registryValueRefused;
}

RepairPlatform::RegistryOutcome RepairPlatform::writeEnvironmentValue(const String& keyName,
                                                                      const String& path) {
    RegistryKey key(HKEY_LOCAL_MACHINE, KEY_ALL_ACCESS);
    if (!key.openSubKey(keyName, true, KEY_ALL_ACCESS)) return registryKeyRefused;
    return key.writeString("ZQT_PLUGIN_PATH", path) ? registryWritten : registryValueRefused;
}

String RepairPlatform::startupFilePath() {
    // The one fixed path of the program: DOS reads it from the boot drive's
    // root, whatever folder Windows lives in.
    return "C:\\autoexec.bat";
}

FileOperations& RepairPlatform::files() { return systemFileOperations(); }

RepairPlatform& systemRepairPlatform() {
    static RepairPlatform platform;
    return platform;
}
