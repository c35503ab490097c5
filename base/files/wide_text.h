#pragma once
// Conversions between the narrow and wide forms of the file operations, both with
// the default converter.

#include "strings/pstring.h"
#include "strings/ustring.h"

#include <cstdint>
#include <string>

namespace LumoBase {

// The text in UTF-16; the empty text when it cannot be converted.
inline UString WidenOrEmpty(const PString& text) {
    UString wide;
    if (text.size() > static_cast<std::string::size_type>(INT32_MAX)) return UString();
    if (!wide.from_codepage(nullptr, text.data(), static_cast<int32_t>(text.size())))
        return UString();
    return wide;
}

// The text in the ANSI code page; false, with narrow untouched, when it cannot be
// converted.
inline bool Narrow(const UString& text, PString& narrow) {
    std::string converted;
    if (!text.to_codepage(nullptr, converted)) return false;
    narrow.swap(converted);
    return true;
}

}  // namespace LumoBase
