#include "profile_text.h"

#include <algorithm>

namespace Tarnbolt {
namespace {

// Code page 1252 from 0x80 to 0x9F; the rest is Latin-1. The five undefined
// bytes stand for the control characters of their own value, as on Windows.
const char16_t kHigh1252[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char16_t FromAnsi(unsigned char c) { return FromCodePage1252(c); }

char ToAnsi(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// Valid UTF-8 as it is; each byte that begins no valid sequence becomes U+FFFD.
std::u16string FromUtf8(const std::string& bytes, size_t i) {
    std::u16string text;
    while (i < bytes.size()) {
        const size_t length = Utf8Length(bytes, i);
        if (!length) {
            text += u'\xFFFD';
            ++i;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(bytes[i]);
        char32_t code = length > 1 ? c & (0x7F >> length) : c;
        for (size_t k = 1; k < length; ++k) code = (code << 6) | (bytes[i + k] & 0x3F);
        if (code >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(code);
        }
        i += length;
    }
    return text;
}

std::u16string Decode(const std::string& bytes) {
    std::u16string text;
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    if (bytes.size() >= 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF)
        return FromUtf8(bytes, 3);
    if (bytes.size() >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
        const bool little = byte(0) == 0xFF;
        // An odd last byte is half a character: dropped.
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<char16_t>(little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1));
        return text;
    }
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) text += FromAnsi(byte(i));
    return text;
}

// Blanks as the profile reader trims them; ^Z (a DOS end of file) is one too.
bool IsBlank(char16_t c) { return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x1A; }

char16_t Fold(char16_t c) {
    if (c >= 'A' && c <= 'Z') return static_cast<char16_t>(c + ('a' - 'A'));
    if (c == 0x130) return 'i';  // capital I with dot above
    if (c == 0x212A) return 'k';  // Kelvin sign
    return c;
}

// Whether a name as stored (up to its first NUL) is `ascii` without regard to case.
bool SameName(const std::u16string& stored, const std::string& ascii) {
    const size_t end = std::min(stored.find(u'\0'), stored.size());
    if (end != ascii.size()) return false;
    for (size_t i = 0; i < end; ++i)
        if (Fold(stored[i]) != Fold(static_cast<unsigned char>(ascii[i]))) return false;
    return true;
}

std::string Trimmed(const std::string& name) {
    size_t begin = 0, end = name.size();
    while (begin < end && IsBlank(static_cast<unsigned char>(name[begin]))) ++begin;
    while (end > begin && IsBlank(static_cast<unsigned char>(name[end - 1]))) --end;
    return name.substr(begin, end - begin);
}

}  // namespace

char16_t FromCodePage1252(unsigned char c) { return c >= 0x80 && c < 0xA0 ? kHigh1252[c - 0x80] : c; }

size_t Utf8Length(const std::string& bytes, size_t i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) return 1;
    const size_t length = c < 0xC2 || c > 0xF4 ? 0 : c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    if (!length || i + length > bytes.size()) return 0;
    char32_t code = c & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const unsigned char t = static_cast<unsigned char>(bytes[i + k]);
        if ((t & 0xC0) != 0x80) return 0;
        code = (code << 6) | (t & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond U+10FFFF are not characters.
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
        return 0;
    return length;
}

ProfileText::ProfileText(const std::string& bytes) {
    const std::u16string text = Decode(bytes);
    sections_.push_back(Section());
    size_t next = 0;
    while (next < text.size()) {
        size_t start = next;
        while (next < text.size() && text[next] != '\n' && text[next] != '\r') ++next;
        size_t end = next;
        while (next < text.size() && (text[next] == '\n' || text[next] == '\r')) ++next;
        while (start < end && IsBlank(text[start])) ++start;
        while (end > start && IsBlank(text[end - 1])) --end;
        if (start >= end) continue;

        if (text[start] == '[') {
            // The name runs to the line's last "]"; a header without one is read
            // as a key line.
            size_t close = end - 1;
            while (close > start && text[close] != ']') --close;
            if (close > start) {
                // Blanks inside the brackets fall away too.
                size_t nameStart = start + 1, nameEnd = close;
                while (nameStart < nameEnd && IsBlank(text[nameStart])) ++nameStart;
                while (nameEnd > nameStart && IsBlank(text[nameEnd - 1])) --nameEnd;
                Section section;
                section.name = text.substr(nameStart, nameEnd - nameStart);
                sections_.push_back(section);
                continue;
            }
        }
        Key key;
        // Looked for within the line alone: a search to the next "=" of the file
        // would make a run of lines without one quadratic.
        const size_t equals = static_cast<size_t>(
            std::find(text.begin() + static_cast<std::ptrdiff_t>(start),
                      text.begin() + static_cast<std::ptrdiff_t>(end), u'=') - text.begin());
        key.hasValue = equals < end;
        if (key.hasValue) {
            size_t nameEnd = equals;
            while (nameEnd > start && IsBlank(text[nameEnd - 1])) --nameEnd;
            key.name = text.substr(start, nameEnd - start);
            size_t valueStart = equals + 1;
            while (valueStart < end && IsBlank(text[valueStart])) ++valueStart;
            key.value = text.substr(valueStart, end - valueStart);
        } else {
            key.name = text.substr(start, end - start);
        }
        sections_.back().keys.push_back(key);
    }
}

std::string ProfileText::Value(const std::string& sectionName, const std::string& keyName,
                               unsigned long bufferSize) const {
    if (bufferSize < 2) return std::string();
    const std::string wantedSection = Trimmed(sectionName), wantedKey = Trimmed(keyName);
    // The keys before any header belong to no section.
    for (size_t s = 1; s < sections_.size(); ++s) {
        if (!SameName(sections_[s].name, wantedSection)) continue;
        // Only the first section of the name is searched.
        for (const Key& key : sections_[s].keys) {
            if (!SameName(key.name, wantedKey)) continue;
            if (!key.hasValue) return std::string();
            std::u16string value = key.value.substr(0, key.value.find(u'\0'));
            if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') &&
                value.back() == value[0])
                value = value.substr(1, value.size() - 2);
            if (value.size() > bufferSize - 1) value.resize(bufferSize - 1);
            std::string ansi;
            ansi.reserve(value.size());
            for (char16_t c : value) ansi += ToAnsi(c);
            return ansi;
        }
        return std::string();
    }
    return std::string();
}

void ReadSettingsText(const std::string& bytes, Settings& settings, unsigned long bufferSize) {
    settings = Settings();
    const ProfileText text(bytes);
    settings.adminMessage = text.Value("Administrator", "AdminMessage", bufferSize);
    settings.adminMessageTitle = text.Value("Administrator", "AdminMessageTitle", bufferSize);
    settings.run = text.Value("General", "Run", bufferSize);
    settings.message = text.Value("General", "Message", bufferSize);
    settings.caption = text.Value("General", "Caption", bufferSize);
    settings.preferredVersion = text.Value("General", "PreferredVersion", bufferSize);
}

}  // namespace Tarnbolt
