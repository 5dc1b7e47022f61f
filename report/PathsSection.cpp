#include "foundation/SystemQueries.h"
#include "report/PathsSection.h"
#include "report/ReportDocument.h"

namespace {
String quoted(const String& text) { return String("\"") + text + "\""; }
}  // namespace

void writePathsSection(ReportDocument& document) {
    document.appendLine("");
    document.appendLine("Paths");
    document.appendLine(String("   Windows directory=") + quoted(windowsDirectory()));
    document.appendLine(String("   System directory=") + quoted(systemDirectory()));
    document.appendLine(String("   ZQT registry path=") + quoted(document.pluginRegistryPath()));
    document.appendLine(String("   ZQT variable path=") + quoted(document.pluginVariablePath()));
    const bool noRegistryPath = document.pluginRegistryPath() == "";
    const bool noVariablePath = document.pluginVariablePath() == "";
    if (noRegistryPath && noVariablePath) {
        document.appendLine("ZQT plugins directory not found !", true);
    }
    // Both are stored upper-case already; the comparison repeats it so it
    // does not depend on how the paths were read.
    if (document.pluginRegistryPath().upperCase() != document.pluginVariablePath().upperCase()) {
        document.appendLine("ZQT paths in the registry different from the variable !", true);
    }
}
