#include "strings/lead_bytes.h"

namespace LumoBase {

LeadBytes& LeadBytes::Add(unsigned char first, unsigned char last) {
    for (unsigned b = first; b <= last; ++b) bits_[b >> 5] |= 1u << (b & 31);
    return *this;
}

bool LeadBytes::Any() const {
    for (uint32_t word : bits_)
        if (word) return true;
    return false;
}

bool LeadBytes::IsBoundary(const std::string& text, size_t i) const {
    if (!Any()) return i <= text.size();
    size_t at = 0;
    while (at < i && at < text.size()) at = Next(text, at);
    return at == i;
}

size_t LeadBytes::Find(const std::string& text, char ch, size_t from) const {
    if (!Any()) return text.find(ch, from);
    for (size_t i = 0; i < text.size(); i = Next(text, i))
        if (i >= from && text[i] == ch) return i;
    return std::string::npos;
}

size_t LeadBytes::FindLast(const std::string& text, char ch) const {
    if (!Any()) return text.rfind(ch);
    size_t found = std::string::npos;
    for (size_t i = 0; i < text.size(); i = Next(text, i))
        if (text[i] == ch) found = i;
    return found;
}

size_t LeadBytes::FindText(const std::string& text, const std::string& pattern,
                           size_t from) const {
    if (!Any()) return text.find(pattern, from);
    for (size_t i = 0; i + pattern.size() <= text.size(); i = Next(text, i))
        if (i >= from && text.compare(i, pattern.size(), pattern) == 0) return i;
    return std::string::npos;
}

size_t LeadBytes::FindLastText(const std::string& text, const std::string& pattern) const {
    if (!Any()) return text.rfind(pattern);
    size_t found = std::string::npos;
    for (size_t i = 0; i + pattern.size() <= text.size(); i = Next(text, i))
        if (text.compare(i, pattern.size(), pattern) == 0) found = i;
    return found;
}

LeadBytes LeadBytes::CodePage932() {
    LeadBytes rule;
    rule.Add(0x81, 0x9F).Add(0xE0, 0xFC);
    return rule;
}

}  // namespace LumoBase
