#include "foundation/LongPathForm.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// A small disk: C:\Program Files\Brelvanx\Plugins (short names PROGRA~1 and
// BRELVA~1), C:\Windows, and the share \\pc\share\Data (short DATA~1).  Paths
// are matched as the file system does: without regard to case, either
// separator, doubled separators and "." skipped.  Every look-up is recorded.
class TableLookup : public PathNameLookup {
public:
    static std::string normalised(const String& path) {
        const std::string text = path.upperCase().c_str();
        std::string out = text.compare(0, 2, "\\\\") == 0 ? "\\\\" : "";
        std::string part;
        for (size_t i = out.size(); i <= text.size(); ++i) {
            if (i == text.size() || text[i] == '\\' || text[i] == '/') {
                if (!part.empty() && part != ".")
                    out += (out.empty() || out.back() == '\\' ? "" : "\\") + part;
                part.clear();
            } else {
                part += text[i];
            }
        }
        return out;
    }
    bool longName(const String& path, String& name) override {
        asked.push_back(path.c_str());
        const auto it = entries.find(normalised(path));
        if (it == entries.end()) return false;
        name = it->second.c_str();
        return true;
    }
    bool rootExists(const String& root) override {
        asked.push_back(root.c_str());
        return root.upperCase() == "C:\\" || root.upperCase() == "\\\\PC\\SHARE\\";
    }

    std::map<std::string, std::string> entries = {
        {"C:\\PROGRA~1", "Program Files"},
        {"C:\\PROGRAM FILES", "Program Files"},
        {"C:\\PROGRAM FILES\\BRELVA~1", "Brelvanx"},
        {"C:\\PROGRAM FILES\\BRELVANX", "Brelvanx"},
        {"C:\\PROGRAM FILES\\BRELVANX\\PLUGINS", "Plugins"},
        {"C:\\WINDOWS", "Windows"},
        {"\\\\PC\\SHARE\\DATA~1", "Data"},
        {"PLUGINS", "Plugins"},
    };
    std::vector<std::string> asked;
};

TEST(LongPathForm, EachComponentTakesItsLongName) {
    struct Row {
        const char* path;
        const char* longForm;
    } rows[] = {
        {"C:\\PROGRA~1\\BRELVA~1\\PLUGINS", "C:\\Program Files\\Brelvanx\\Plugins"},
        {"c:\\program files\\brelvanx", "c:\\Program Files\\Brelvanx"},
        {"C:\\PROGRA~1\\", "C:\\Program Files\\"},               // trailing separator kept
        {"C:/PROGRA~1/BRELVA~1", "C:/Program Files/Brelvanx"},   // separators as written
        {"C:\\PROGRA~1\\.\\BRELVA~1\\..", "C:\\Program Files\\.\\Brelvanx\\.."},
        {"C:\\\\WINDOWS", "C:\\\\Windows"},                 // doubled separator stays
        {"\\\\pc\\share\\DATA~1", "\\\\pc\\share\\Data"},   // UNC root as written
        {"PLUGINS", "Plugins"},                             // relative
        {"C:\\", "C:\\"},                                   // a root on its own
        {"\\\\pc\\share\\", "\\\\pc\\share\\"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        TableLookup lookup;
        EXPECT_STREQ(buildLongPathForm(r.path, lookup).c_str(), r.longForm);
    }
}

TEST(LongPathForm, AnythingMissingOrAmbiguousGivesEmpty) {
    const char* paths[] = {
        "",
        "C:\\PROGRA~1\\NOTHERE",   // last component missing
        "C:\\NOTHERE\\PLUGINS",    // middle component missing
        "D:\\",                    // a root that does not exist
        "\\\\pc\\other\\",
        "C:\\PROGRA~*",   // a wildcard matches some other entry
        "C:\\WINDOW?",
    };
    for (const char* path : paths) {
        SCOPED_TRACE(path);
        TableLookup lookup;
        EXPECT_STREQ(buildLongPathForm(path, lookup).c_str(), "");
    }
}

// Each look-up gets the long form of the folders before it, so a short alias
// deep in the path is found in the folder it really lives in.
TEST(LongPathForm, LooksUpEachComponentUnderTheLongFolders) {
    TableLookup lookup;
    buildLongPathForm("C:\\PROGRA~1\\BRELVA~1\\PLUGINS", lookup);
    const std::vector<std::string> expected = {
        "C:\\PROGRA~1",
        "C:\\Program Files\\BRELVA~1",
        "C:\\Program Files\\Brelvanx\\PLUGINS",
    };
    EXPECT_EQ(lookup.asked, expected);
}

}   // namespace
