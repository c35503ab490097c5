// Containment of one path in another, judged from the texts.

#include "files/path_containment.h"

#include <doctest/doctest.h>

using LumoBase::IsSameOrInside;
using LumoBase::PString;

TEST_CASE("a path is inside a directory when it is the directory or lies below it") {
    CHECK(IsSameOrInside(PString("C:\\a"), PString("C:\\a")));
    CHECK(IsSameOrInside(PString("C:\\a\\b"), PString("C:\\a")));
    CHECK(IsSameOrInside(PString("C:\\a\\b\\c"), PString("C:\\a")));
    // The file system ignores case, and so does the test.
    CHECK(IsSameOrInside(PString("c:\\A\\b"), PString("C:\\a")));
    // One trailing separator on either side changes nothing.
    CHECK(IsSameOrInside(PString("C:\\a\\"), PString("C:\\a")));
    CHECK(IsSameOrInside(PString("C:\\a\\b"), PString("C:\\a\\")));
    CHECK(IsSameOrInside(PString("C:\\x"), PString("C:\\")));
    CHECK(IsSameOrInside(PString("C:\\x"), PString("C:")));
}

TEST_CASE("siblings, parents and empty texts are not inside") {
    CHECK_FALSE(IsSameOrInside(PString("C:\\ab"), PString("C:\\a")));
    CHECK_FALSE(IsSameOrInside(PString("C:\\a"), PString("C:\\a\\b")));
    CHECK_FALSE(IsSameOrInside(PString("C:\\b\\a"), PString("C:\\a")));
    CHECK_FALSE(IsSameOrInside(PString("D:\\a"), PString("C:\\a")));
    CHECK_FALSE(IsSameOrInside(PString("C:\\a"), PString("")));
    CHECK_FALSE(IsSameOrInside(PString(""), PString("")));
    CHECK_FALSE(IsSameOrInside(PString(""), PString("C:\\a")));
}

TEST_CASE("letters beyond ASCII are folded as the code page folds them") {
    const LumoBase::LeadBytes none;
    // \xe4 and \xc4 are a and A with diaeresis in code page 1252.
    CHECK(IsSameOrInside(PString("C:\\\xe4\\b"), PString("C:\\\xc4"), none,
                         LumoBase::CaseFold::CodePage1252()));
    CHECK(LumoBase::PartBelow(PString("C:\\CAF\xc9\\x\\y"), PString("c:\\caf\xe9"), none,
                              LumoBase::CaseFold::CodePage1252()) == PString("x\\y"));
    // Without the code page's rule only ASCII letters fold.
    CHECK_FALSE(IsSameOrInside(PString("C:\\\xe4\\b"), PString("C:\\\xc4"), none,
                               LumoBase::CaseFold()));
}

TEST_CASE("code page 932: a trail byte is compared exactly and never ends a directory") {
    const LumoBase::LeadBytes sjis = LumoBase::LeadBytes::CodePage932();
    // 83 61 and 83 41 are two different letters; folding the trail byte would match them.
    CHECK_FALSE(IsSameOrInside(PString("C:\\\x83\x61\\x"), PString("C:\\\x83\x41"), sjis));
    CHECK(IsSameOrInside(PString("C:\\\x83\x61\\x"), PString("C:\\\x83\x61"), sjis));
    // 95 5C does not end in a separator: C:\<95 5C> is not C:\<95>.
    CHECK_FALSE(IsSameOrInside(PString("C:\\\x95\x5c\\x"), PString("C:\\\x95"), sjis));
    CHECK(IsSameOrInside(PString("C:\\\x95\x5c\\x"), PString("C:\\\x95\x5c"), sjis));
    CHECK(IsSameOrInside(PString("c:\\\x95\x5c"), PString("C:\\\x95\x5c\\"), sjis));
    // A full-width letter in the other case is the same folder where the system folds it.
    CHECK(IsSameOrInside(PString("C:\\\x82\x60\\x"), PString("C:\\\x82\x81"), sjis,
                         LumoBase::CaseFold::CodePage932()));
}

TEST_CASE("the part of a path below a directory") {
    CHECK(LumoBase::PartBelow(PString("C:\\t\\a\\b"), PString("C:\\T")) == PString("a\\b"));
    CHECK(LumoBase::PartBelow(PString("C:\\t\\a\\"), PString("C:\\t\\")) == PString("a"));
    CHECK(LumoBase::PartBelow(PString("C:\\t"), PString("C:\\t")) == PString(""));
    CHECK(LumoBase::PartBelow(PString("C:\\ta"), PString("C:\\t")) == PString(""));
    CHECK(LumoBase::PartBelow(PString("C:\\x"), PString("C:\\")) == PString("x"));
}
