#include "system/startup_entry_text.h"

#include <vector>

namespace LumoBase {
namespace {

// In double-byte code pages a trail byte may be an ASCII letter: it stays.
std::string LowerAscii(std::string text, const LeadBytes& rule) {
    for (size_t i = 0; i < text.size(); i = rule.Next(text, i))
        if (text[i] >= 'A' && text[i] <= 'Z') text[i] = static_cast<char>(text[i] - 'A' + 'a');
    return text;
}

// A value as long as the reader can deliver may have been cut: writing it back
// would lose the rest, so it is left alone.
bool MayBeCut(const std::string& value) { return value.size() >= kProfileValueLongest; }

// The items of the value: separated by commas outside double quotes, so that a
// quoted path holding a comma stays one item. False when the quotes do not pair
// up: the items from the unpaired quote on cannot be told apart.
bool SplitItems(const std::string& value, std::vector<std::string>& items) {
    items.assign(1, std::string());
    bool quoted = false;
    for (char c : value) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            items.emplace_back();
        else
            items.back() += c;
    }
    return !quoted;
}

// Whether the item as a whole, blanks around it aside, is the program path, quoted
// or not: C:\Apps\Setup.exe.old or a path with arguments is another program.
bool NamesProgram(const std::string& item, const std::string& programPath, bool ignoreCase,
                  const LeadBytes& rule) {
    const size_t first = item.find_first_not_of(" \t");
    if (first == std::string::npos) return false;
    std::string text = item.substr(first, item.find_last_not_of(" \t") + 1 - first);
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return ignoreCase ? SamePathText(text, programPath, rule) : text == programPath;
}

}  // namespace

std::string StartupEntryName(const std::string& programPath, const LeadBytes& rule) {
    size_t slash = rule.FindLast(programPath, '\\');
    std::string name = slash == std::string::npos ? programPath : programPath.substr(slash + 1);
    size_t dot = rule.FindLast(name, '.');
    if (dot != std::string::npos && dot != 0) name.erase(dot);
    return name;
}

std::string StartupLinkName(const std::string& entryName, int index) {
    if (index == 0) return entryName + ".lnk";
    return entryName + " (" + std::to_string(index + 1) + ").lnk";
}

bool AddToRunValue(const std::string& value, const std::string& programPath, bool& write,
                   std::string& newValue) {
    write = false;
    // A path with a quote cannot be written as one quoted item.
    if (programPath.empty() || programPath.find('"') != std::string::npos) return false;
    std::vector<std::string> items;
    bool paired = true;
    if (!value.empty()) {
        paired = SplitItems(value, items);
        // Adding compares exactly: a copy in another case gets a second, quoted item.
        for (const std::string& item : items)
            if (NamesProgram(item, programPath, false, LeadBytes())) return true;
    }
    // Behind an unpaired quote the new item would merge with the one before it and
    // never be found again, so the program would start at every start-up.
    if (!paired) return false;
    const std::string added =
        value.empty() ? "\"" + programPath + "\"" : value + ",\"" + programPath + "\"";
    // Writing a value that may have been cut would lose its rest; and an entry
    // the reader could not take in whole again could never be removed either.
    if (MayBeCut(added)) return false;
    newValue = added;
    write = true;
    return true;
}

bool EndsWithSeparator(const std::string& text, const LeadBytes& rule) {
    return !text.empty() && text.back() == '\\' && rule.IsBoundary(text, text.size() - 1);
}

bool SamePathText(const std::string& a, const std::string& b, const LeadBytes& rule) {
    return a.size() == b.size() && LowerAscii(a, rule) == LowerAscii(b, rule);
}

void RemoveFromRunValue(const std::string& value, const std::string& programPath, bool& write,
                        std::string& newValue, const LeadBytes& rule) {
    write = false;
    if (value.empty() || programPath.empty() || MayBeCut(value)) return;
    std::vector<std::string> items;
    if (!SplitItems(value, items)) return;
    // Every item counts, empty ones and the one after the last comma included.
    std::vector<std::string> kept;
    bool dropped = false;
    for (const std::string& item : items) {
        if (NamesProgram(item, programPath, true, rule))
            dropped = true;
        else
            kept.push_back(item);
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
