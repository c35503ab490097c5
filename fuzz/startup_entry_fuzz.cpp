// The profile value "Run" of the 9x start-up entry. Input: the value, a line feed,
// the program path. Properties: removing after adding leaves the value exactly as
// it was; adding twice writes once; removing twice writes at most once; nothing
// written is too long to be read back whole. A first byte 0x01 selects the rule of
// code page 932 (a trail byte is never folded), any other the single-byte rule.
#include "system/startup_entry_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using namespace LumoBase;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const LeadBytes rule = data[0] == 1 ? LeadBytes::CodePage932() : LeadBytes();
    const std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t split = input.find('\n');
    if (split == std::string::npos) return 0;
    const std::string value = input.substr(0, split);
    const std::string path = input.substr(split + 1);

    bool write = false, removedWrite = false;
    std::string added, removed;
    const bool placed = AddToRunValue(value, path, write, added);
    if (write && !placed) std::abort();
    RemoveFromRunValue(value, path, removedWrite, removed, rule);

    if (write) {
        if (added.size() >= kProfileValueLongest) std::abort();
        bool again = false;
        std::string twice;
        if (!AddToRunValue(added, path, again, twice) || again) std::abort();
        // The program was not in the value before: taking it out restores the value.
        if (!removedWrite) {
            bool undo = false;
            std::string restored;
            RemoveFromRunValue(added, path, undo, restored, rule);
            if (!undo || restored != value) std::abort();
        }
    }
    if (removedWrite) {
        if (removed.size() >= value.size()) std::abort();
        bool again = false;
        std::string twice;
        RemoveFromRunValue(removed, path, again, twice, rule);
        if (again) std::abort();
    }
    return 0;
}
