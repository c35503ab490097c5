// Names against patterns as a listing of the platform matches a long name, and
// the case folds of the code pages.

#include "files/name_pattern.h"

#include <doctest/doctest.h>

using namespace LumoBase;

TEST_CASE("a long name matches a pattern by the platform's wildcard rules") {
    const CaseFold fold = CaseFold::CodePage1252();
    const struct {
        const char* pattern;
        const char* name;
        bool matches;
    } cases[] = {
        // Matched only through a short name (X~1.LOG): not by the long one.
        {"*.log", "x.logold", false},
        {"*.log", "x.log", true},
        {"*.log", "a.b.LOG", true},
        {"*.log", "log", false},
        {"*log", "x.log", true},
        {"*", "x", true},
        {"*.*", "noextension", true},
        {"*.*", "a.b", true},
        // A trailing "." stands for "no extension".
        {"*.", "noextension", true},
        {"*.", "a.txt", false},
        // "?" is one character, or none before a "." or at the end.
        {"a?.txt", "a.txt", true},
        {"a?.txt", "ab.txt", true},
        {"a?.txt", "abc.txt", false},
        {"??", "a", true},
        {"?", "ab", false},
        {"a*b", "ab", true},
        {"a*b", "a.x.b", true},
        {"a*b", "a.x.c", false},
        {"tool.exe", "TOOL.EXE", true},
        {"caf\xc9*", "caf\xe9.txt", true},
        {"x*", "", false},
        {"", "x", false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.pattern);
        CAPTURE(c.name);
        CHECK(MatchesPattern(PString(c.name), PString(c.pattern), LeadBytes(), fold) == c.matches);
    }
    CHECK(HasWildcards(PString("*.log"), LeadBytes()));
    CHECK_FALSE(HasWildcards(PString("X~1.LOG"), LeadBytes()));
}

TEST_CASE("case folds: ASCII alone, code page 1252, and double-byte letters as the system folds them") {
    const CaseFold ascii, western = CaseFold::CodePage1252();
    CHECK(ascii.Upper('a') == 'A');
    CHECK(ascii.Upper(0xE9) == 0xE9);
    CHECK(western.Upper(0xE9) == 0xC9);  // é É
    CHECK(western.Upper(0xFF) == 0x9F);  // ÿ Ÿ
    CHECK(western.Upper(0xF7) == 0xF7);  // ÷
    CHECK(western.Upper(0xDF) == 0xDF);  // ß has no single upper form
    // 83 61 and 83 41 are two letters of code page 932; a folded trail byte would
    // make them one.
    const LeadBytes sjis = LeadBytes::CodePage932();
    CHECK_FALSE(MatchesPattern(PString("\x83\x61.txt"), PString("\x83\x41*"), sjis, ascii));
    CHECK(MatchesPattern(PString("\x83\x61.txt"), PString("\x83\x61*"), sjis, ascii));
    CHECK(MatchesPattern(PString("\x95\x5c"), PString("?"), sjis, ascii));
    // Full-width a, alpha and be fold to A, Alpha and Be, as the file systems fold
    // them; a katakana trail byte that looks like a letter still does not.
    const CaseFold japanese = CaseFold::CodePage932();
    CHECK(MatchesPattern(PString("\x82\x60" "bc.log"), PString("\x82\x81*.LOG"), sjis, japanese));
    CHECK(MatchesPattern(PString("\x83\x9f\x84\x41"), PString("\x83\xbf\x84\x71"), sjis, japanese));
    CHECK_FALSE(MatchesPattern(PString("\x82\x60" "bc.log"), PString("\x82\x81*.LOG"), sjis, ascii));
    CHECK_FALSE(MatchesPattern(PString("\x83\x61.txt"), PString("\x83\x41*"), sjis, japanese));
}
