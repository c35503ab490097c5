#pragma once
// Wide (UTF-16) text; converts from and to narrow text through unicode_string.

#include "basic_string.h"
#include "unicode_string.h"

namespace LumoBase {

using UStringBase = BasicString<LumoIntl::unicode_string<LumoIntl::utf16_string>>;

class UString : public UStringBase {
public:
    UString() {}
    UString(const UString& other) : UStringBase(other) {}
    UString(const UStringBase& other) : UStringBase(other) {}
    // The text up to the first zero unit; a null pointer gives the empty text.
    explicit UString(const unsigned short* units)
        : UStringBase(LumoIntl::unicode_string<LumoIntl::utf16_string>(units)) {}
    ~UString() override {}

    UString& operator=(const UString& other) {
        if (&other != this) Assign(other);
        return *this;
    }
    using UStringBase::operator=;
};

}  // namespace LumoBase
