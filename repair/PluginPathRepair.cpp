#include "repair/PluginPathRepair.h"

#include <string>

#include "foundation/Files.h"
#include "repair/StartupFileText.h"

namespace {

const char kPathSetTo[] = "ZQT plugins directory path set to ";
const char kSuccessful[] = "ZQT repair successful";
const char kUnsuccessful[] = "ZQT repair unsuccessful";

void summary(ReportDocument& document, const String& text) { document.appendLine(text, true); }

// Both settings written to the default folder (the case without any path,
// and the fallback when the common path cannot be made).  Both always run,
// so each failure gets its own message before the outcome line.
void writeBothToDefault(ReportDocument& document, const String& folder, RepairPlatform& platform) {
    const bool variable = writePluginPathVariable(document, folder, platform);
    const bool registry = writeSearchPathValue(document, folder, platform);
    if (variable && registry)
        summary(document, kSuccessful);
    else if (variable)
        summary(document, "ZQT plugins should work correctly");
    else
        summary(document, kUnsuccessful);
}

bool writeStartupFile(ReportDocument& document, const String& path, RepairPlatform& platform) {
    FileOperations& files = platform.files();
    const String startupFile = platform.startupFilePath();
    std::string oldText;
    switch (files.readWholeFile(startupFile, oldText)) {
    case FileOperations::fileRead:
        if (!oldText.empty()) break;
        // An empty file has nothing to keep: same as a missing one.
        [[fallthrough]];
    case FileOperations::fileMissing:
        summary(document, "WARNING: Unable to open AUTOEXEC.BAT file. An empty one will be created");
        oldText.clear();
        break;
    case FileOperations::fileUnreadable:
        // It exists but we cannot see what is in it: rewriting it from an
        // empty list would throw away the user's start-up commands.
        summary(document, "ERROR: Unable to read AUTOEXEC.BAT file, it is left unchanged.");
        return false;
    }
    const std::string newText = rewriteStartupFileText(oldText, path.c_str());
    if (!replaceFileContents(files, startupFile, newText)) {
        summary(document, "ERROR: Unable to save AUTOEXEC.BAT file.");
        return false;
    }
    return true;
}

}   // namespace

String defaultPluginDirectory(RepairPlatform& platform) {
    String folder = platform.programFilesFolder();
    if (folder.isEmpty()) folder = "c:";
    return folder + "\\Brelvanx\\Plugins";
}

bool writeSearchPathValue(ReportDocument& document, const String& path, RepairPlatform& platform) {
    switch (platform.writeSearchPath(path)) {
    case RepairPlatform::registryWritten:
        return true;
    case RepairPlatform::registryKeyRefused:
        summary(document, "ERROR: Unable to create ZQT registry key.");
        // NT 4.0 and later keep HKLM to administrators.
        if (platform.versionClass() >= windowsNt4)
            summary(document, "You probably don't have administrator privileges.");
        return false;
    case RepairPlatform::registryValueRefused:
        break;
    }
    summary(document, "ERROR: Unable to write the ZQT registry value.");
    return false;
}

bool writePluginPathVariable(ReportDocument& document, const String& path, RepairPlatform& platform) {
    const WindowsVersionClass versionClass = platform.versionClass();
    if (versionClass <= windows98) return writeStartupFile(document, path, platform);

    // Windows ME keeps the system environment under a key spelt without the
    // blank; the NT family spells it "Session Manager".
    const String keyName = versionClass == windowsMe
                               ? "System\\CurrentControlSet\\Control\\SessionManager\\Environment"
                               : "System\\CurrentControlSet\\Control\\Session Manager\\Environment";
    switch (platform.writeEnvironmentValue(keyName, path)) {
    case RepairPlatform::registryWritten:
        return true;
    case RepairPlatform::registryKeyRefused:
        summary(document, "ERROR: Unable to open the environment registry key !");
        return false;
    case RepairPlatform::registryValueRefused:
        break;
    }
    summary(document, "ERRROR: Unable to write the ZQT path variable !");
    return false;
}

String repairMemoText(const ReportDocument& document) {
    String text;
    const TextList& lines = document.summaryLines();
    for (unsigned i = 0; i < lines.count(); ++i) text += lines.get(i) + "\r\n";
    return text + "\r\n";
}

String repairPluginPath(ReportDocument& document, RepairPlatform& platform) {
    // The repair replaces the report on screen; its own progress shows in the
    // cleared view until the memo gets the summary below.
    if (document.view()) document.view()->clearView();
    document.clearReport();
    document.appendOwnLine("ZQT repair\r\n", false);

    const String folder = defaultPluginDirectory(platform);
    const String registryPath = document.pluginRegistryPath();
    const String variablePath = document.pluginVariablePath();

    if (registryPath.isEmpty() && variablePath.isEmpty()) {
        summary(document, kPathSetTo + folder);
        // Both settings must name a folder that exists, as in the last case:
        // a missing one reads as "" again at the next start, the plug-in
        // subsystem finds nothing there, and "successful" would be untrue.
        if (!directoryExists(folder) && !createDirectoryPath(folder))
            summary(document, kUnsuccessful);
        else
            writeBothToDefault(document, folder, platform);
        summary(document, "");
    } else if (variablePath.isEmpty()) {
        summary(document, kPathSetTo + registryPath);
        summary(document,
                writePluginPathVariable(document, registryPath, platform) ? kSuccessful : kUnsuccessful);
        summary(document, "");
    } else if (registryPath.isEmpty()) {
        summary(document, kPathSetTo + variablePath);
        summary(document, writeSearchPathValue(document, variablePath, platform)
                              ? kSuccessful
                              : "There were some problems, but ZQT plugins should work correctly.");
        summary(document, "");
    } else if (registryPath != variablePath) {
        // Both set but different: the registry follows the variable.
        summary(document, kPathSetTo + variablePath);
        summary(document, writeSearchPathValue(document, variablePath, platform)
                              ? kSuccessful
                              : "ZQT repair unsuccessful, but ZQT plugins should work correctly.");
        document.appendLine("", false);
    } else if (directoryExists(registryPath)) {
        summary(document, "   not needed, you can install and use ZQT plugins with no problem");
        summary(document, "");
    } else if (createDirectoryPath(registryPath)) {
        summary(document, registryPath + " directory created");
        summary(document, "");
    } else {
        summary(document, kPathSetTo + folder);
        if (!createDirectoryPath(folder))
            summary(document, kUnsuccessful);
        else
            writeBothToDefault(document, folder, platform);
        summary(document, "");
    }
    return repairMemoText(document);
}
