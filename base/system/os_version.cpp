#include "system/os_version.h"

#include <climits>

namespace LumoBase {

int ClassifyOsVersion(unsigned long platformId, unsigned long major, unsigned long minor) {
    if (platformId == kPlatformWin32Windows) {
        // 95 is 4.0, 98 is 4.10, Me is 4.90; the major number says nothing here.
        if (minor == 0) return OsWindows95;
        if (minor <= 10) return OsWindows98;
        return OsWindowsMe;
    }
    if (platformId == kPlatformWin32NT) {
        if (major <= 4) return OsWindowsNT4;
        // Later systems fall into the same two codes by their minor number.
        return minor == 0 ? OsWindows2000 : OsWindowsXP;
    }
    return OsUnknown;
}

namespace {

// White space as the C library's scanf knows it in the "C" locale.
bool IsScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipSpace(const char* p) {
    while (IsScanSpace(*p)) ++p;
    return p;
}

}  // namespace

int ParseServicePack(const char* text) {
    if (!text) return 0;
    // Each white-space run of the pattern matches any run in the text, none
    // included; every other character must match exactly, case included.
    static const char kPattern[] = "Service Pack ";
    const char* p = text;
    for (const char* f = kPattern; *f;) {
        if (IsScanSpace(*f)) {
            while (IsScanSpace(*f)) ++f;
            p = SkipSpace(p);
        } else {
            if (*p != *f) return 0;
            ++p;
            ++f;
        }
    }
    // The number: leading white space, an optional sign, at least one digit.
    p = SkipSpace(p);
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9') return 0;
    // A number too large for int is held at the nearest limit rather than wrapped.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (value <= static_cast<long long>(INT_MAX) + 1) value = value * 10 + (*p - '0');
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

int OsTypeFromVersionCode(int code) {
    switch (code) {
    case OsWindows95: return OsTypeWindows95;
    case OsWindows98: return OsTypeWindows98;
    case OsWindowsMe: return OsTypeWindowsMe;
    case OsWindowsNT4: return OsTypeWindowsNT4;
    case OsWindows2000: return OsTypeWindows2000;
    case OsWindowsXP: return OsTypeWindowsXP;
    default: return OsTypeUnknown;
    }
}

bool IsWindows9xCode(int code) {
    return code == OsWindows95 || code == OsWindows98 || code == OsWindowsMe;
}

bool IsWindowsNTCode(int code) {
    return code == OsWindowsNT4 || code == OsWindows2000 || code == OsWindowsXP;
}

}  // namespace LumoBase
