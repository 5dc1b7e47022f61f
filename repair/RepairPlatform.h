// What the plug-in path repair reads from and changes in the system, behind
// virtual calls.  The program uses systemRepairPlatform(); tests derive from
// it to produce what Wine cannot (a key refused to a user without
// administrator rights, a Windows version class no emulation gives).
#pragma once

#include "foundation/String.h"
#include "foundation/SystemQueries.h"
#include "repair/FileOperations.h"

class RepairPlatform {
public:
    virtual ~RepairPlatform() = default;

    enum RegistryOutcome { registryWritten, registryKeyRefused, registryValueRefused };

    virtual WindowsVersionClass versionClass();
    // The Program Files folder, "" when the system does not know it.
    virtual String programFilesFolder();
    // HKLM "Software\ZQT" (made when missing) value "SearchPath" = path.
    virtual RegistryOutcome writeSearchPath(const String& path);
    // HKLM keyName (made when missing) value "ZQT_PLUGIN_PATH" = path.
    virtual RegistryOutcome writeEnvironmentValue(const String& keyName, const String& path);
    // The DOS start-up file of Windows 95/98/ME.
    virtual String startupFilePath();
    virtual FileOperations& files();
};

RepairPlatform& systemRepairPlatform();
