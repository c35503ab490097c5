#include "modules/version_keys.h"

#include <cstring>

namespace LumoBase {
namespace {

void AppendHex4(PString& text, uint16_t value) {
    static const char kDigits[] = "0123456789abcdef";
    for (int shift = 12; shift >= 0; shift -= 4) text.push_back(kDigits[(value >> shift) & 0xF]);
}

}  // namespace

PString FileVersionKey(uint16_t language, uint16_t codePage) {
    PString key("\\StringFileInfo\\");
    AppendHex4(key, language);
    AppendHex4(key, codePage);
    key.append("\\FileVersion");
    return key;
}

std::vector<PString> NarrowFileVersionKeys() {
    return {FileVersionKey(kLanguageUsEnglish, kCodePageUnicode),
            FileVersionKey(kLanguageUsEnglish, kCodePageWestern)};
}

std::vector<PString> WideFileVersionKeys(uint16_t userLanguage, uint16_t ansiCodePage) {
    return {FileVersionKey(kLanguageUsEnglish, kCodePageUnicode),
            FileVersionKey(userLanguage, ansiCodePage),
            FileVersionKey(kLanguageUsEnglish, kCodePageWestern)};
}

bool BytesToBlockEnd(const char* block, std::size_t blockSize, const char* value,
                     std::size_t& available) {
    available = 0;
    if (!block || !value) return false;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t at = reinterpret_cast<uintptr_t>(value);
    if (at < start || at - start >= blockSize) return false;
    available = blockSize - (at - start);
    return true;
}

std::size_t BoundedTextLength(const char* value, std::size_t available) {
    if (!value) return 0;
    const void* zero = std::memchr(value, 0, available);
    return zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - value) : available;
}

}  // namespace LumoBase
