// PreferredVersion text: parsing never fails, a text without a dot is 0.0.0.0,
// pieces after the fourth are ignored, and four plain numbers read back exactly.
#include "launcher.h"

#include <cstdint>
#include <cstdlib>
#include <string>

using Tarnbolt::Launcher;

namespace {

struct Pair {
    uint32_t high, low;
};

Pair Parse(const std::string& text) {
    Pair p{1, 1};
    Launcher::ParseVersion(text, p.high, p.low);
    return p;
}

bool Same(Pair a, Pair b) { return a.high == b.high && a.low == b.low; }

uint32_t U16(const uint8_t* p) { return p[0] | (p[1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const Pair parsed = Parse(text);
    size_t dots = 0;
    for (char c : text) dots += c == '.';
    if (dots == 0 && !Same(parsed, Pair{0, 0})) std::abort();
    if (dots >= 4 && !Same(parsed, Parse(text + ".9"))) std::abort();

    if (size >= 8) {
        const uint32_t n[4] = {U16(data), U16(data + 2), U16(data + 4), U16(data + 6)};
        const std::string dotted = std::to_string(n[0]) + "." + std::to_string(n[1]) + "." +
                                   std::to_string(n[2]) + "." + std::to_string(n[3]);
        if (!Same(Parse(dotted), Pair{(n[0] << 16) | n[1], (n[2] << 16) | n[3]})) std::abort();
    }
    return 0;
}
