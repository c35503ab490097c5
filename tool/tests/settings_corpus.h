#pragma once
// Settings files for the profile reader's tests, the same for a seed on every
// platform: sound files, files with every oddity the reader must take as the
// platform does, and fuzzed bytes. UTF-16 and UTF-8 files hold only what code
// page 1252 can hold besides characters that become "?" (no best-fit letters).

#include <cstdint>
#include <string>
#include <vector>

namespace SettingsCorpus {

// The files both sides read, and the buffer sizes each is read with: the
// launcher's, the check's large one, and a small one.
const int kFiles = 1500;
const unsigned long kSizes[] = {512, 65536, 6};

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next() {  // splitmix64
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 16);
    }
    uint32_t Below(uint32_t n) { return Next() % n; }
    bool OneIn(uint32_t n) { return Below(n) == 0; }
    template <class T, size_t N>
    const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

private:
    uint64_t state_;
};

enum class Encoding { kAnsi, kUtf16Le, kUtf16Be, kUtf8 };

// One character of a value or name, as a code point.
inline char32_t Character(Random& random, Encoding encoding) {
    static const char32_t kSpecial[] = {' ', ' ', '\t', '"', '\'', '=', '[', ']', ';', '#',
                                        0x1A, '\v', '\f', '\\', '/', '.', 0};
    static const char32_t kWide[] = {0xE9, 0x20AC, 0x160, 0x178, 0xA0, 0x85, 0x3042, 0x8868,
                                     0x1F600, 0xFF, 0x2026};
    const uint32_t kind = random.Below(20);
    static const char kPlain[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    if (kind < 12) return static_cast<unsigned char>(kPlain[random.Below(sizeof kPlain - 1)]);
    if (kind < 17) return random.Pick(kSpecial);
    if (encoding == Encoding::kAnsi) return 0x80 + random.Below(0x80);  // a byte
    return random.Pick(kWide);
}

inline std::u32string Text(Random& random, Encoding encoding, size_t most) {
    std::u32string text;
    const size_t length = random.OneIn(8) ? 500 + random.Below(40) : random.Below(static_cast<uint32_t>(most));
    for (size_t i = 0; i < length; ++i) text += Character(random, encoding);
    return text;
}

inline std::u32string Ascii(const char* text) { return std::u32string(text, text + std::char_traits<char>::length(text)); }

inline std::u32string Blanks(Random& random) {
    static const char* kBlanks[] = {"", "", "", " ", "  ", "\t", " \t ", "\x1a", "\v", "\f"};
    return Ascii(random.Pick(kBlanks));
}

inline std::u32string Line(Random& random, Encoding encoding) {
    static const char* kSections[] = {"General", "General", "Administrator", "Administrator",
                                      "general", "ADMINISTRATOR", " General", "General ",
                                      "Other", "", "Gen eral"};
    static const char* kKeys[] = {"Run", "Run", "run", "RUN", "AdminMessage", "AdminMessageTitle",
                                  "Message", "Caption", "PreferredVersion", "preferredversion",
                                  ";Run", "#Run", "R un", "Ru", "Runs", "", "CAPTION"};
    std::u32string line = Blanks(random);
    switch (random.Below(10)) {
    case 0:
    case 1: {
        line += U"[" + Ascii(random.Pick(kSections));
        if (random.OneIn(6)) line.back() = random.OneIn(2) ? 0x130 : 0x212A;  // fold to i, k
        if (!random.OneIn(8)) line += U"]";
        if (random.OneIn(6)) line += Text(random, encoding, 6);
        break;
    }
    case 9:
        line += Text(random, encoding, 30);
        break;
    default: {
        line += Ascii(random.Pick(kKeys));
        if (!line.empty() && random.OneIn(12)) line.back() = random.OneIn(2) ? 0x130 : 0x212A;
        line += Blanks(random);
        if (!random.OneIn(10)) line += U"=";
        line += Blanks(random);
        std::u32string value = Text(random, encoding, 24);
        if (random.OneIn(4)) {
            const char32_t quote = random.OneIn(2) ? '"' : '\'';
            value = quote + value + (random.OneIn(5) ? char32_t('x') : quote);
        }
        line += value;
        break;
    }
    }
    return line + Blanks(random);
}

inline void Put(std::string& out, char32_t c, Encoding encoding) {
    if (encoding == Encoding::kAnsi) {
        out += static_cast<char>(c);  // a byte
        return;
    }
    if (encoding == Encoding::kUtf8) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
        return;
    }
    std::u16string units;
    if (c >= 0x10000) {
        units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
        units += static_cast<char16_t>(c);
    }
    for (char16_t unit : units) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += encoding == Encoding::kUtf16Le ? std::string{low, high} : std::string{high, low};
    }
}

// The file of one seed.
inline std::string File(uint64_t seed) {
    Random random(seed);
    // One in eight is bytes alone, or a sound file with bytes changed.
    const uint32_t kind = random.Below(16);
    if (kind == 0) {
        std::string bytes;
        for (uint32_t n = random.Below(300); n; --n) bytes += static_cast<char>(random.Below(256));
        // UTF-16 comes in whole characters.
        if (bytes.size() % 2 && bytes.size() >= 2 &&
            (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0))
            bytes.pop_back();
        return bytes;
    }
    const uint32_t pick = random.Below(20);
    const Encoding encoding = pick < 14 ? Encoding::kAnsi
                              : pick < 17 ? Encoding::kUtf16Le
                              : pick < 18 ? Encoding::kUtf16Be
                                          : Encoding::kUtf8;
    static const char* kEnds[] = {"\r\n", "\r\n", "\n", "\r", "\n\r", "\r\n\r\n"};
    std::string out;
    if (encoding == Encoding::kUtf16Le) out = "\xFF\xFE";
    if (encoding == Encoding::kUtf16Be) out = "\xFE\xFF";
    if (encoding == Encoding::kUtf8) out = "\xEF\xBB\xBF";
    const std::u32string ending = Ascii(random.Pick(kEnds));
    for (uint32_t n = 1 + random.Below(14); n; --n) {
        std::u32string line = Line(random, encoding);
        if (n > 1 || !random.OneIn(3)) line += random.OneIn(5) ? Ascii(random.Pick(kEnds)) : ending;
        for (char32_t c : line) Put(out, c, encoding);
    }
    if (kind == 1 && encoding == Encoding::kAnsi && !out.empty()) {
        for (uint32_t n = 1 + random.Below(4); n; --n)
            out[random.Below(static_cast<uint32_t>(out.size()))] = static_cast<char>(random.Below(256));
    }
    return out;
}

}  // namespace SettingsCorpus
