#pragma once
// Names compared the way the file system compares them: the case of letters
// folded by the system's own rule for its ANSI code page, and wildcard patterns
// matched by the platform's rules. A listing may also answer entries whose short
// (8.3) name matched, so the long name is checked again before anything is done to
// the entry.

#include "strings/lead_bytes.h"
#include "strings/pstring.h"

#include <cstddef>

namespace LumoBase {

// The upper-case form of each single-byte character, and of double-byte ones where
// the system folds them (the full-width Latin, Greek and Cyrillic letters of the
// East Asian code pages, which the file systems fold as well).
class CaseFold {
public:
    // Folds the double-byte character lead, trail in place.
    using DoubleUpper = void (*)(unsigned char& lead, unsigned char& trail);

    // ASCII letters only; double-byte characters compared exactly.
    CaseFold();
    unsigned char Upper(unsigned char byte) const { return upper_[byte]; }
    // Whether the characters of length bytes (1 or 2) at a and b are the same
    // without regard to case.
    bool Same(const char* a, const char* b, size_t length) const;
    // lower folds to upper from now on; answers *this for chaining.
    CaseFold& Set(unsigned char lower, unsigned char upper);
    CaseFold& SetDouble(DoubleUpper upper);
    // Code page 1252 (Western European), for tests on any machine.
    static CaseFold CodePage1252();
    // Code page 932 (Japanese): ASCII, and the full-width Latin, Greek and
    // Cyrillic letters, for tests on any machine.
    static CaseFold CodePage932();

private:
    unsigned char upper_[256];
    DoubleUpper double_;
};

// The fold of the system's ANSI code page: on Windows as CharUpperBuffA answers
// (each single byte read once, a double-byte character when it is compared),
// elsewhere ASCII only.
const CaseFold& SystemCaseFold();

// Whether name holds a character that makes it a pattern: "*", "?", or one of the
// platform's own "<", ">", '"'.
bool HasWildcards(const PString& name, const LeadBytes& rule = SystemLeadBytes());

// Whether name (one component, no wildcards) matches pattern as a listing of the
// platform matches a long name: "*" any run of characters; "*" before "." any run
// up to the name's last "."; "?" one character, or none at a "." or at the end;
// "." before "*", "?" or at the end of the pattern a "." or the end of the name
// (so "*.*" matches every name and "*." names without an extension). Anything else
// matches itself without regard to case. An empty name or pattern matches nothing.
bool MatchesPattern(const PString& name, const PString& pattern,
                    const LeadBytes& rule = SystemLeadBytes(),
                    const CaseFold& fold = SystemCaseFold());

}  // namespace LumoBase
