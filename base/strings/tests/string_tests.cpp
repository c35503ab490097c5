#include "strings/pstring.h"
#include "strings/ustring.h"

#include <doctest/doctest.h>

#include <string>

using LumoBase::PString;
using LumoBase::UString;

namespace {

UString Wide(const char* ascii) {
    UString s;
    while (*ascii) s.push_back(static_cast<unsigned char>(*ascii++));
    return s;
}

template <class E, class F>
void CheckThrows(F f, const char* what) {
    try {
        f();
        FAIL("nothing thrown");
    } catch (const E& e) {
        CHECK(std::string(e.what()) == what);
    }
}

}  // namespace

TEST_CASE("ordering compares characters as unsigned numbers") {
    PString a("a"), ab("ab"), abc("abc"), b("b"), empty;
    CHECK(a == 'a');
    CHECK_FALSE(ab == 'a');
    CHECK(ab != 'a');
    CHECK(ab > 'a');
    CHECK(ab >= 'a');
    CHECK(empty < 'a');
    CHECK(empty <= 'a');
    CHECK_FALSE(empty == 'a');

    CHECK(ab.Compare(abc) == -1);
    CHECK(abc.Compare(ab) == 1);
    CHECK(b.Compare(abc) == 1);
    CHECK(empty.Compare(PString()) == 0);
    CHECK(PString("ba").Compare(PString("bz")) == -1);  // -1, not a difference of characters
    CHECK(a.Compare('a') == 0);
    CHECK(a.Compare('b') == -1);

    PString high("\xE9");
    CHECK(high.Compare(PString("A")) == 1);
    CHECK(high > 'A');
    CHECK(PString("\x7F").Compare(high) == -1);

    CHECK(abc == PString("abc"));
    CHECK(abc != PString("abd"));
    CHECK(abc < PString("abd"));
    CHECK(abc <= abc);
    CHECK(abc >= abc);
}

TEST_CASE("case-insensitive comparison folds only a to z") {
    CHECK(PString("Setup.INI").CompareNoCase(PString("setup.ini")) == 0);
    CHECK(PString("abc").CompareNoCase(PString("ABD")) == -1);
    CHECK(PString("ABD").CompareNoCase(PString("abc")) == 1);
    CHECK(PString("ab").CompareNoCase(PString("ABC")) == -1);
    CHECK(PString("abc").CompareNoCase(PString("AB")) == 1);

    // Bytes 0x80 to 0xFF are negative here and order before ASCII, the reverse of
    // the case-sensitive ordering.
    PString high("\xE9");
    CHECK(high.CompareNoCase(PString("A")) == -1);
    CHECK(PString("A").CompareNoCase(high) == 1);
    CHECK(PString("\xC9").CompareNoCase(PString("\xE9")) == -1);  // no folding above 0x7F

    SUBCASE("ranges") {
        PString s("xxSETUPyy");
        CHECK(s.CompareNoCase(2, 5, "setup", 5) == 0);
        CHECK(s.CompareNoCase(2, 5, PString("zzsetupzz"), 2, 5) == 0);
        CHECK(s.CompareNoCase(2, 5, PString("setup")) == 0);
        CHECK(s.CompareNoCase(2, 100, PString("setupYY")) == 0);  // count cut to the text
        CHECK(s.CompareNoCase(2, 5, PString("set"), 0, 100) == 1);  // count2 cut to o
        CHECK(s.CompareNoCase(7, 2, "Y", 1) == 1);
        // The C-string form compares only count2 characters.
        CHECK(s.CompareNoCase(0, 2, "XXanything", 2) == 0);
    }

    SUBCASE("positions at and past the end") {
        PString s("abc");
        CHECK(s.CompareNoCase(3, 5, PString("x")) == -1);
        CHECK(s.CompareNoCase(3, 5, PString()) == 0);
        CHECK(s.CompareNoCase(1, 5, PString("xyz"), 3, 4) == 1);
        CheckThrows<std::out_of_range>([&] { (void)s.CompareNoCase(4, 1, PString("x")); },
                                       "invalid string position");
        CheckThrows<std::out_of_range>([&] { (void)s.CompareNoCase(4, 1, "x", 1); },
                                       "invalid string position");
        CheckThrows<std::out_of_range>(
            [&] { (void)s.CompareNoCase(0, 1, PString("x"), 2, 1); }, "invalid string position");
        CHECK(s == PString("abc"));
    }
}

TEST_CASE("Left, Right and Mid extract without changing the text") {
    PString s("abc");
    CHECK(s.Left(10) == PString("abc"));
    CHECK(s.Left(0).empty());
    CHECK(s.Left(2) == PString("ab"));
    CHECK(s.Right(3) == PString("abc"));
    CHECK(s.Right(1) == PString("c"));
    CHECK(s.Right(0).empty());
    CheckThrows<std::out_of_range>([&] { (void)s.Right(4); }, "invalid string position");
    CHECK(s.Mid(3).empty());
    CHECK(s.Mid(3, 1).empty());
    CheckThrows<std::out_of_range>([&] { (void)s.Mid(4); }, "invalid string position");
    CheckThrows<std::out_of_range>([&] { (void)s.Mid(4, 0); }, "invalid string position");
    CHECK(s.Mid(1, 10) == PString("bc"));
    CHECK(s.Mid(1) == PString("bc"));
    CHECK(s == PString("abc"));

    // The result is independent of its source.
    PString left = s.Left(2);
    s.Append('d');
    CHECK(left == PString("ab"));
}

TEST_CASE("InsertBefore puts the text in front of the first marker") {
    PString s("abc");
    CHECK(PString("abc").InsertBefore(PString(), PString("x")) == PString("xabc"));
    CHECK(PString("abcabc").InsertBefore(PString("c"), PString("x")) == PString("abxcabc"));
    CHECK(PString("abc").InsertBefore('c', "x") == PString("abxc"));
    CHECK(PString("abc").InsertBefore('a', "") == PString("abc"));
    CHECK(PString("abc").InsertBefore('b', nullptr) == PString("abc"));
    CheckThrows<std::out_of_range>([&] { s.InsertBefore(PString("z"), PString("x")); },
                                   "invalid string position");
    CheckThrows<std::out_of_range>([&] { s.InsertBefore('z', "x"); }, "invalid string position");
    CHECK(s == PString("abc"));

    SUBCASE("the inserted text may be the object itself") {
        PString t("ab");
        t.InsertBefore(PString("b"), t);
        CHECK(t == PString("aabb"));
        PString u("ab");
        u.InsertBefore('b', u.c_str());
        CHECK(u == PString("aabb"));
    }
}

TEST_CASE("ReplaceAll never examines replaced text again") {
    CHECK(PString("aXa").ReplaceAll(PString("a"), PString("aa")) == PString("aaXaa"));
    CHECK(PString("aa").ReplaceAll('a', "ba") == PString("baba"));
    CHECK(PString("aaa").ReplaceAll('a', "") == PString());
    CHECK(PString("aaa").ReplaceAll('a', nullptr) == PString());
    // The seam: removing the inner "ab" makes a new "ab" in front of the search
    // position, which stays.
    CHECK(PString("aabb").ReplaceAll(PString("ab"), PString()) == PString("ab"));
    CHECK(PString("abcabc").ReplaceAll(PString("bc"), PString("X")) == PString("aXaX"));
    CHECK(PString("abc").ReplaceAll(PString("zz"), PString("X")) == PString("abc"));
    CHECK(PString("abc").ReplaceAll(PString(), PString("X")) == PString("abc"));
    CHECK(PString().ReplaceAll(PString(), PString()) == PString());

    SUBCASE("pattern and replacement may be the object itself") {
        PString s("ab");
        s.ReplaceAll(s, PString("x"));
        CHECK(s == PString("x"));
        PString t("ab");
        t.ReplaceAll(PString("a"), t);
        CHECK(t == PString("abb"));
    }
}

TEST_CASE("assignment and appending") {
    PString s("abc");
    PString& same = s;
    s = same;
    CHECK(s == PString("abc"));
    s.Assign(same);
    CHECK(s == PString("abc"));
    s.Append(same);
    CHECK(s == PString("abcabc"));
    s = 'z';
    CHECK(s == PString("z"));
    s.Assign('y').Append('x').Append(PString("w"));
    CHECK(s == PString("yxw"));
    s = PString("new");
    CHECK(s == PString("new"));

    // Through the base class, the virtual operations of the derived object run.
    LumoBase::BasicString<std::string>& base = s;
    base = LumoBase::BasicString<std::string>("base");
    CHECK(s == PString("base"));

    CHECK(PString(nullptr).empty());
    CHECK(PString(std::string("std")) == PString("std"));
}

TEST_CASE("UString behaves like PString with 16-bit units") {
    UString a = Wide("a");
    CHECK(a == static_cast<unsigned short>('a'));
    CHECK(Wide("ab").Compare(Wide("abc")) == -1);
    CHECK(Wide("abc").Compare(Wide("ab")) == 1);

    UString high;
    high.push_back(0xFFFF);
    CHECK(high.Compare(Wide("A")) == 1);
    CHECK(high > static_cast<unsigned short>(0x41));
    UString mid;
    mid.push_back(0x8000);
    CHECK(mid.Compare(Wide("\x7F")) == 1);

    UString s = Wide("abc");
    CHECK(s.Left(10) == Wide("abc"));
    CheckThrows<std::out_of_range>([&] { (void)s.Right(4); }, "invalid string position");
    CheckThrows<std::out_of_range>([&] { (void)s.Mid(4); }, "invalid string position");
    CHECK(s.Mid(1, 10) == Wide("bc"));

    UString r = Wide("aXa");
    r.ReplaceAll(Wide("a"), Wide("aa"));
    CHECK(r == Wide("aaXaa"));
    const unsigned short ba[] = {'b', 'a', 0};
    UString r2 = Wide("aa");
    r2.ReplaceAll(static_cast<unsigned short>('a'), ba);
    CHECK(r2 == Wide("baba"));

    UString i = Wide("abc");
    i.InsertBefore(static_cast<unsigned short>('c'), ba);
    CHECK(i == Wide("abbac"));
    CheckThrows<std::out_of_range>(
        [&] { i.InsertBefore(static_cast<unsigned short>('z'), ba); }, "invalid string position");

    const unsigned short units[] = {'h', 'i', 0, 'x', 0};
    CHECK(UString(units) == Wide("hi"));
    CHECK(UString(static_cast<const unsigned short*>(nullptr)).empty());

    UString self = Wide("ab");
    self.Append(self);
    CHECK(self == Wide("abab"));
}
