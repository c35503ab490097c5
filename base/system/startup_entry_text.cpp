#include "system/startup_entry_text.h"

#include "strings/text_split.h"

#include <vector>

namespace LumoBase {
namespace {

std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool ContainsNoCase(const std::string& text, const std::string& part) {
    return LowerAscii(text).find(LowerAscii(part)) != std::string::npos;
}

// A value as long as the reader can deliver may have been cut: writing it back
// would lose the rest, so it is left alone.
bool MayBeCut(const std::string& value) { return value.size() >= kProfileValueLongest; }

}  // namespace

std::string StartupEntryName(const std::string& programPath) {
    size_t slash = programPath.rfind('\\');
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) name.erase(dot);
    return name;
}

bool AddToRunValue(const std::string& value, const std::string& programPath, bool& write,
                   std::string& newValue) {
    write = false;
    // Adding compares exactly: a copy in another case gets a second, quoted item.
    if (!value.empty() && value.find(programPath) != std::string::npos) return true;
    const std::string added =
        value.empty() ? "\"" + programPath + "\"" : value + ",\"" + programPath + "\"";
    // Writing a value that may have been cut would lose its rest; and an entry
    // the reader could not take in whole again could never be removed, so the
    // program would start at every start-up.
    if (MayBeCut(added)) return false;
    newValue = added;
    write = true;
    return true;
}

void RemoveFromRunValue(const std::string& value, const std::string& programPath, bool& write,
                        std::string& newValue) {
    write = false;
    if (value.empty() || MayBeCut(value)) return;
    if (value.find(',') == std::string::npos) {
        if (ContainsNoCase(value, programPath)) {
            newValue.clear();
            write = true;
        }
        return;
    }
    // Every piece counts, empty ones and the one after the last comma included.
    std::vector<std::string> kept;
    bool dropped = false;
    for (const std::string& piece : SplitText(value, ",")) {
        if (!piece.empty() && ContainsNoCase(piece, programPath))
            dropped = true;
        else
            kept.push_back(piece);
    }
    if (!dropped) return;
    newValue.clear();
    for (size_t i = 0; i < kept.size(); ++i) {
        if (i) newValue += ",";
        newValue += kept[i];
    }
    write = true;
}

}  // namespace LumoBase
