#pragma once
// Narrow text in the system's ANSI code page, with case-insensitive comparison.

#include "basic_string.h"

namespace LumoBase {

class PString : public BasicString<std::string> {
public:
    PString() {}
    PString(const char* text) : BasicString(text) {}
    PString(const PString& other) : BasicString(other) {}
    PString(const BasicString<std::string>& other) : BasicString(other) {}
    PString(const std::string& other) : BasicString(other) {}
    ~PString() override {}

    PString& operator=(const PString& other) {
        if (&other != this) Assign(other);
        return *this;
    }
    using BasicString::operator=;

    // The range of `count` characters at `pos` against the first `count2`
    // characters of p, each folded with toupper; -1, 0 or +1. The caller
    // guarantees that p holds count2 characters or differs before its end.
    virtual int CompareNoCase(size_type pos, size_type count, const char* p,
                              size_type count2) const;
    virtual int CompareNoCase(size_type pos1, size_type count1, const PString& o,
                              size_type pos2, size_type count2) const;
    virtual int CompareNoCase(size_type pos, size_type count, const PString& o) const;
    virtual int CompareNoCase(const PString& o) const;
};

}  // namespace LumoBase
