#include "strings/lead_bytes.h"

#include <doctest/doctest.h>

using LumoBase::LeadBytes;

TEST_CASE("a trail byte 0x5C is no separator in code page 932, one in a single-byte page") {
    // C:\<95 5C>\x : U+8868 ends in 0x5C.
    const std::string path("C:\\\x95\x5c\\x");
    const LeadBytes sjis = LeadBytes::CodePage932();
    const LeadBytes none;
    CHECK(sjis.FindLast(std::string("C:\\\x95\x5cx"), '\\') == 2);
    CHECK(none.FindLast(std::string("C:\\\x95\x5cx"), '\\') == 4);
    CHECK(sjis.Find(path, '\\', 3) == 5);
    CHECK(none.Find(path, '\\', 3) == 4);
    CHECK(sjis.FindLast(std::string("C:\\\x95\x5c"), '\\') == 2);
    CHECK(sjis.FindText(path, "\\\\") == std::string::npos);
    CHECK(none.FindText(path, "\\\\") == 4);
    CHECK(sjis.FindLastText(std::string("a\\\\\x83\x5c\\b"), "\\\\") == 1);
    CHECK_FALSE(sjis.IsBoundary(path, 4));
    CHECK(sjis.IsBoundary(path, 5));
    // A lead byte at the very end stands alone.
    CHECK(sjis.Next(std::string("a\x95"), 1) == 2);
    CHECK(sjis.FindLast(std::string("\x95"), '\\') == std::string::npos);
}
