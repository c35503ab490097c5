#pragma once
// Double-byte ANSI code pages (932, 936, 949, 950): a lead byte and the byte after
// it are one character, and that second byte may be 0x5C ("\"), "/" or an ASCII
// letter. Narrow text that looks at bytes steps through it with these rules, so a
// trail byte is never taken for a separator or folded as a letter. With no lead
// bytes (every single-byte code page) each byte is a character, as before.

#include <cstddef>
#include <cstdint>
#include <string>

namespace LumoBase {

class LeadBytes {
public:
    // No lead bytes: a single-byte code page.
    LeadBytes() = default;

    // Bytes first..last (inclusive) become lead bytes; answers *this for chaining.
    LeadBytes& Add(unsigned char first, unsigned char last);

    bool IsLead(unsigned char byte) const { return (bits_[byte >> 5] >> (byte & 31)) & 1u; }
    bool Any() const;

    // Where the character after the one at i begins: i + 2 for a lead byte with a
    // byte after it, else i + 1 (a lead byte at the end stands alone).
    size_t Next(const std::string& text, size_t i) const {
        return IsLead(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? i + 2 : i + 1;
    }

    // Whether a character begins at i (i == size counts).
    bool IsBoundary(const std::string& text, size_t i) const;

    // The first occurrence of ch (an ASCII byte) at or after from that is a whole
    // character, or npos.
    size_t Find(const std::string& text, char ch, size_t from = 0) const;
    // The last such occurrence, or npos.
    size_t FindLast(const std::string& text, char ch) const;
    // The first occurrence of pattern that starts on a character boundary at or
    // after from, or npos. pattern must be ASCII.
    size_t FindText(const std::string& text, const std::string& pattern, size_t from = 0) const;
    // The last such occurrence, or npos.
    size_t FindLastText(const std::string& text, const std::string& pattern) const;

    // Code page 932 (Japanese), for tests on any machine: 81-9F and E0-FC.
    static LeadBytes CodePage932();

private:
    uint32_t bits_[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

// The rule of the system's ANSI code page: on Windows from IsDBCSLeadByte (read
// once), elsewhere none.
const LeadBytes& SystemLeadBytes();

}  // namespace LumoBase
