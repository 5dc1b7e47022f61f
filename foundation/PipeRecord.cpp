#include "foundation/PipeRecord.h"

std::string encodeRecord(char kind, const String& payload) {
    std::string record(1, kind);
    record.reserve(payload.length() + 2);
    for (size_t i = 0; i < payload.length(); ++i) {
        const char c = payload.charAt(i);
        switch (c) {
        case '\\':
            record += "\\\\";
            break;
        case '\n':
            record += "\\n";
            break;
        case '\r':
            record += "\\r";
            break;
        case '\0':
            record += "\\0";
            break;
        default:
            record += c;
        }
    }
    record += '\n';
    return record;
}

bool takeRecord(std::string& pending, char& kind, String& payload) {
    const size_t end = pending.find('\n');
    if (end == std::string::npos) return false;
    kind = end > 0 ? pending[0] : '\0';
    std::string text;
    text.reserve(end);
    for (size_t i = 1; i < end; ++i) {
        char c = pending[i];
        if (c == '\\' && i + 1 < end) {
            c = pending[++i];
            if (c == 'n') c = '\n';
            else if (c == 'r') c = '\r';
            else if (c == '0') c = '\0';
        }
        text += c;
    }
    payload = String(text.data(), text.size());
    pending.erase(0, end + 1);
    return true;
}
