#include "inventory/PathsSection.h"

#include "foundation/LineWriter.h"
#include "foundation/SystemQueries.h"

namespace {
String quoted(const String& text) { return String("\"") + text + "\""; }
}   // namespace

void writePathsSection(LineWriter& out, const String& registryPath, const String& variablePath) {
    out.writeLine("");
    out.writeLine("Paths");
    out.writeLine(String("   Windows directory=") + quoted(windowsDirectory()));
    out.writeLine(String("   System directory=") + quoted(systemDirectory()));
    out.writeLine(String("   ZQT registry path=") + quoted(registryPath));
    out.writeLine(String("   ZQT variable path=") + quoted(variablePath));
    const bool noRegistryPath = registryPath == "";
    const bool noVariablePath = variablePath == "";
    if (noRegistryPath && noVariablePath) {
        out.writeLine("ZQT plugins directory not found !", true);
    }
    // Both are stored upper-case already; the comparison repeats it so it
    // does not depend on how the paths were read.
    if (registryPath.upperCase() != variablePath.upperCase()) {
        out.writeLine("ZQT paths in the registry different from the variable !", true);
    }
}
