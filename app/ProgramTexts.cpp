#include "app/ProgramTexts.h"

#include "foundation/Files.h"
#include "foundation/Win32.h"
#include "toolkit/ApplicationContext.h"

// A plain array: no constructor has to run before it can be shown.
const char helpText[] =
    "ZN-Q8 Receiver Diagnostic Tool\r\n"
    "\r\n"
    "This tool makes it possible to check your Brelvanx ZN-Q8 receiver's software installations, detect "
    "errors or correct the ZQT subsystem.\r\n"
    "\r\n"
    "You may send us the diagnostics report to assist you in solving software problems.\r\n"
    "\r\n"
    "To start the diagnostic process, press the \"Get info\" button. A report will be shown in a few "
    "seconds.\r\n"
    "\r\n"
    "This diagnostic tool detects several types of software problems:\r\n"
    "\r\n"
    "1. Driver errors (drivers not found in the system directory, not loaded in memory, or having invalid "
    "registry entries).\r\n"
    "2. ZN-Q8 API errors (dynamic link libraries not found or failing to open).\r\n"
    "3. Application installation errors (miscellaneous files such as fonts or control applets not installed "
    "properly).\r\n"
    "4. ZQT subsystem errors (ambiguous path to ZQT plugins or ZQT path variable not found).\r\n"
    "5. Windows related problems (insufficient user rights to access drivers or Windows API calls "
    "failing).\r\n"
    "\r\n"
    "Errors 1-3 should be resolved by Brelvanx ZN-Q8 software reinstallation.\r\n"
    "Error 4 can be resolved by Brelvanx ZN-Q8 software reinstallation or using the 'ZQT repair' "
    "function.\r\n"
    "Error 5 may indicate Windows problems and Windows reinstallation may be required.\r\n"
    "\r\n"
    "If you have a software problem and intend to send your software information to us for assistance, "
    "please do the following:\r\n"
    "\r\n"
    "1. Generate the report by pressing \"Get info\".\r\n"
    "2. Select \"Copy report\" from the File menu. This will copy the report to the Clipboard.\r\n"
    "3. Insert the Clipboard information into your email message to us (using Shift Ins).\r\n";

String programVersion(bool shortForm) {
    // The module of this code, not GetModuleHandle(nullptr): inside a host
    // process the latter is the host's executable.
    char path[4096];
    const DWORD length = GetModuleFileNameA(application().instance(), path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return String();
    return fileVersionText(String(path), shortForm);
}

String aboutText(const String& shortVersion) {
    return String("ZNQ8 Diagnostics Tool \n") + "Version " + shortVersion + "\n" + "Made by Brelvanx";
}
