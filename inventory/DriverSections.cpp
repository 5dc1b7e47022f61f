#include "inventory/DriverSections.h"

#include "foundation/RegistryKey.h"
#include "foundation/SystemQueries.h"
#include "foundation/TextList.h"
#include "foundation/Win32.h"
#include "inventory/InstallationInventory.h"
#include "receiver/FileDescription.h"
#include "foundation/LineWriter.h"

void writeDriverFilesSection(LineWriter& out) {
    out.writeLine("", false);
    out.writeLine("Driver files", false);
    const String folders[] = {
        (systemDirectory() + "\\Drivers").longPathForm().upperCase(),
        (windowsDirectory() + "\\system32\\drivers").longPathForm().upperCase(),
    };
    TextList files;
    for (const String& folder : folders) {
        if (!folder.isEmpty()) addFolderMatches(files, folder, "ZNQ8");
    }
    files.removeAdjacentDuplicates();
    for (unsigned i = 0; i < files.count(); ++i) out.writeLine(describeFile(files.get(i), true), false);
}

void writeDriverRegistrySection(LineWriter& out) {
    out.writeLine("", false);
    out.writeLine("Driver registry entries", false);
    // Read access: every user may read the service keys, while full access
    // is refused without administrator rights.  If the open fails anyway,
    // the object stays on the root opened with READ_CONTROL only, enumerating
    // that root fails too, and the section ends after its heading.
    RegistryKey services(HKEY_LOCAL_MACHINE, READ_CONTROL);
    services.openSubKey("SYSTEM\\CurrentControlSet\\Services", false, KEY_READ);
    TextList names;
    services.listSubKeys(names);
    for (unsigned i = 0; i < names.count(); ++i) {
        const String name = names.get(i);
        if (name.substring(0, 4).upperCase() != "ZNQ8") continue;
        // A matching key that cannot be opened for reading (its own access
        // list may refuse it) still shows that the service exists: its line
        // is written with empty values.
        RegistryKey* service = services.openChild(name, false, KEY_READ);
        String displayName;
        String imagePath;
        uint32_t start = 0;
        if (service != nullptr) {
            displayName = service->readString("DisplayName", "");
            imagePath = service->readString("ImagePath", "");
            start = service->readDword("Start", 0);
            delete service;
        }
        out.writeLine(name + ": " + displayName + ", " + imagePath + " [" + String::decimal(start) + "]",
                      false);
    }
}
