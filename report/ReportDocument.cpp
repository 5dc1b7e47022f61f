#include "foundation/Win32.h"

#include <shlobj.h>

#include "foundation/FileStream.h"
#include "foundation/RegistryKey.h"
#include "foundation/SystemQueries.h"
#include "report/ReportDocument.h"

#include <cstring>

ReportDocument::ReportDocument(bool silent) : silent_(silent) { loadPluginPaths(); }

ReportDocument::~ReportDocument() = default;

namespace {

// A report line is one line.  Text that comes from outside (a device or mixer
// name, a plug-in's name, a configuration file of random bytes) may carry CR
// or LF, which would split the line in the log and on standard output, so
// that the log no longer matched the report.  They become '.', as control
// characters in device texts do; TABs stay (the register dump uses them).
String singleLine(const String& text) {
    const char* chars = text.c_str();
    if (!std::memchr(chars, '\r', text.length()) && !std::memchr(chars, '\n', text.length())) return text;
    String line = text;
    for (size_t i = 0; i < line.length(); ++i)
        if (line[i] == '\r' || line[i] == '\n') line[i] = '.';
    return line;
}

}   // namespace

void ReportDocument::appendLine(const String& text, bool summary) {
    appendOwnLine(singleLine(text), summary);
}

void ReportDocument::appendOwnLine(const String& text, bool summary) {
    if (silent_) {
        // Standard output may be missing (a GUI program started without
        // redirection); the write then fails and the line is lost, by design.
        const String line = text + "\r\n";
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.c_str(), (DWORD)line.length(), &written, nullptr);
        return;
    }
    // No documents folder, no log (see loadPluginPaths); the report goes on.
    if (!logFilePath_.isEmpty()) {
        // Opened and closed for every line, so that a crash in a later section
        // (a plug-in or receiver library faulting) still leaves every line so
        // far on disk.  Shared read/write: the user may have it open already.
        FileStream log(logFilePath_, GENERIC_WRITE, OPEN_ALWAYS, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       FILE_ATTRIBUTE_NORMAL);
        log.seek(log.size());
        const String line = text + "\r\n";
        log.write(line.c_str(), (uint32_t)line.length());
    }
    // A list holds at most 262,144 lines; a report that long (a corrupt
    // sound-card file of random records can produce it) would otherwise lose
    // its end in the window without a sign.  The log still has every line.
    if (!detailLines_.add(text)) ++linesNotShown_;
    if (summary && !summaryLines_.add(text)) ++linesNotShown_;
    if (view_) view_->updateProgress();
}

void ReportDocument::clearReport() {
    summaryLines_.clear();
    detailLines_.clear();
    linesNotShown_ = 0;
}

void ReportDocument::loadPluginPaths() {
    // Without a documents folder (a Windows 95 or NT 4.0 whose shell knows
    // none) the path would become "\Q8diag.txt", a file at the root of the
    // current drive that is none of ours to delete or write: no log then.
    const String documents = specialFolderPath(CSIDL_PERSONAL);
    logFilePath_ = documents.isEmpty() ? String() : documents + "\\" + "Q8diag.txt";

    readPluginPaths(pluginRegistryPath_, pluginVariablePath_);

    if (!logFilePath_.isEmpty()) DeleteFileA(logFilePath_);
}

void readPluginPaths(String& registryPath, String& variablePath) {
    // Read access only: a user without administrator rights (a limited XP
    // account, a host program calling the export on Vista) may read the
    // search path but would be refused full access, and the path would then
    // look absent.
    RegistryKey key(HKEY_LOCAL_MACHINE, KEY_READ);
    registryPath = "";
    if (key.openSubKey("Software\\ZQT", false, KEY_READ)) {
        // The long form fails for a path that does not exist, which shows it
        // as "" in the report.  Upper case because the two paths are compared.
        registryPath = key.readString("SearchPath", "").longPathForm().upperCase();
    }
    variablePath = environmentValue("ZQT_PLUGIN_PATH").longPathForm().upperCase();
}
