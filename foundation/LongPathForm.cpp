#include "foundation/LongPathForm.h"

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Length of the root that stays as written: "\\server\share\" (UNC),
// "C:\" or "C:" (drive), "\" (root of the current drive), or 0 (relative).
// A UNC root without its share ("\\server") has nothing to look up in.
size_t rootLength(const String& path) {
    const size_t n = path.length();
    if (n >= 2 && isSeparator(path[0]) && isSeparator(path[1])) {
        size_t i = 2;
        while (i < n && !isSeparator(path[i])) ++i;   // server
        if (i == n) return n;
        ++i;
        while (i < n && !isSeparator(path[i])) ++i;   // share
        return i < n ? i + 1 : n;
    }
    if (n >= 2 && path[1] == ':') return n >= 3 && isSeparator(path[2]) ? 3 : 2;
    if (n >= 1 && isSeparator(path[0])) return 1;
    return 0;
}

}   // namespace

String buildLongPathForm(const String& path, PathNameLookup& lookup) {
    if (path.isEmpty() || path.find("*") >= 0 || path.find("?") >= 0) return String();
    const size_t n = path.length();
    const size_t root = rootLength(path);
    String result = path.substring(0, root);
    if (root == n) return lookup.rootExists(result) ? result : String();

    size_t i = root;
    while (i < n) {
        size_t end = i;
        while (end < n && !isSeparator(path[end])) ++end;
        const String component = path.substring(i, end - i);
        // "." and ".." are not entries of their own; doubled separators
        // leave an empty component, which stays empty.
        if (component.isEmpty() || component == "." || component == "..") {
            result += component;
        } else {
            String name;
            if (!lookup.longName(result + component, name) || name.isEmpty()) return String();
            result += name;
        }
        if (end < n) result += path[end];   // the separator as written
        i = end + 1;
    }
    return result;
}
