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
    // Letters beyond ASCII are compared exactly.
    CHECK_FALSE(IsSameOrInside(PString("C:\\\xe4\\b"), PString("C:\\\xc4")));
}
