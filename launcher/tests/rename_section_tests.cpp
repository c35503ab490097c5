// The [rename] merge over the bytes of WININIT.INI. Lines are stored ending in
// CR LF; the expected texts say "\n" and are turned into that stored form.

#include "rename_section.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using namespace std::string_literals;
using Tarnbolt::MergeRenameText;
using Tarnbolt::WriteWholeText;

namespace {

const std::vector<std::string> kLines = {"S\\msvcrt.dll=T\\msvcrt.dll", "S\\msvcp60.dll=T\\msvcp60.dll"};

std::string Stored(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Merges into `before` in its stored form.
std::string Merge(const std::string& before) { return MergeRenameText(Stored(before), kLines); }

const std::string kNew = "S\\msvcrt.dll=T\\msvcrt.dll\nS\\msvcp60.dll=T\\msvcp60.dll\n";

}  // namespace

TEST_CASE("merging into an existing WININIT.INI") {
    SUBCASE("an empty file gets the header and the lines") {
        CHECK(Merge("") == Stored("[rename]\n" + kNew));
    }
    SUBCASE("other sections but no [rename]: appended at the end") {
        CHECK(Merge("[boot]\nshell=x\n\n[other]\na=b\n") ==
              Stored("[boot]\nshell=x\n\n[other]\na=b\n[rename]\n" + kNew));
    }
    SUBCASE("after the last old entry; the rest follows byte for byte") {
        CHECK(Merge("[rename]\nNUL=old.tmp\nA=B\n\n[next]\nk=v\n") ==
              Stored("[rename]\nNUL=old.tmp\nA=B\n" + kNew + "\n[next]\nk=v\n"));
    }
    SUBCASE("right after a header without entries") {
        CHECK(Merge("[x]\n[rename]\n[y]\nz=1\n") ==
              Stored("[x]\n[rename]\n" + kNew + "[y]\nz=1\n"));
    }
    SUBCASE("the header in capitals is recognised") {
        CHECK(Merge("[RENAME]\nA=B\n") == Stored("[RENAME]\nA=B\n" + kNew));
        CHECK(Merge("[Rename] ; note\nA=B\n") == Stored("[Rename] ; note\nA=B\n" + kNew));
    }
    SUBCASE("an empty line inside the section stays and is written once more") {
        CHECK(Merge("[rename]\nA=B\n\nC=D\n[z]\n") ==
              Stored("[rename]\nA=B\n\nC=D\n" + kNew + "\n[z]\n"));
    }
    SUBCASE("lines before the section and later sections are kept") {
        CHECK(Merge("; top\n[rename]\nA=B\n[z]\nq=1\n[rename]\nE=F\n") ==
              Stored("; top\n[rename]\nA=B\n" + kNew + "[z]\nq=1\n[rename]\nE=F\n"));
    }
    SUBCASE("a last line without a line feed does not run into the new lines") {
        CHECK(Merge("[rename]\nA=B") == Stored("[rename]\nA=B\n" + kNew));
        CHECK(Merge("[boot]\nx=y") == Stored("[boot]\nx=y\n[rename]\n" + kNew));
    }
    SUBCASE("a line longer than 1023 bytes is one line") {
        const std::string longEntry = "L=" + std::string(1500, 'p');
        CHECK(Merge("[rename]\n" + longEntry + "\n") == Stored("[rename]\n" + longEntry + "\n" + kNew));
    }
}

TEST_CASE("old lines stay byte for byte, whatever their endings, length or bytes") {
    const std::string n = "S\\msvcrt.dll=T\\msvcrt.dll\r\nS\\msvcp60.dll=T\\msvcp60.dll\r\n";
    const std::string piece(1021, 'p');  // after two bytes, what once filled a read buffer
    struct Case {
        const char* what;
        std::string before, after;
    } cases[] = {
        {"line feeds only", "[rename]\nA=B\n[x]\nk=v\n", "[rename]\nA=B\n" + n + "[x]\nk=v\n"},
        {"mixed endings", "; top\r\n[rename]\nA=B\r\nC=D\n\r\n[x]\r\nk=v\n",
         "; top\r\n[rename]\nA=B\r\nC=D\n" + n + "\r\n[x]\r\nk=v\n"},
        {"an empty line is repeated as it stood", "[rename]\r\nA=B\r\n\nC=D\r\n",
         "[rename]\r\nA=B\r\n\nC=D\r\n" + n + "\n"},
        {"a long entry with [ at byte 1023", "[rename]\nA=" + piece + "[z]\nB=C\n[x]\n",
         "[rename]\nA=" + piece + "[z]\nB=C\n" + n + "[x]\n"},
        {"a long line with [rename] at byte 1023", "[boot]\nx=" + piece + "[rename]\n[y]\n",
         "[boot]\nx=" + piece + "[rename]\n[y]\n[rename]\r\n" + n},
        // A NUL ends the text as Ctrl-Z does (a file a crash padded with zeros): a
        // reader stopping there sees our lines, and every byte stays.
        {"a NUL byte", "[rename]\nkey\0=value\nlast=\n[x]\n"s,
         "[rename]\nkey\r\n"s + n + "\0=value\nlast=\n[x]\n"s},
        {"NUL padding", "[rename]\r\nA=B\r\n\0\0\0\0"s, "[rename]\r\nA=B\r\n"s + n + "\0\0\0\0"s},
        {"NUL before a Ctrl-Z", "[rename]\r\n\0\x1a"s, "[rename]\r\n"s + n + "\0\x1a"s},
        // A lone CR ends a line as well.
        {"carriage returns only", "[rename]\rA=B\r[x]\rk=v\r", "[rename]\rA=B\r" + n + "[x]\rk=v\r"},
        {"a lone CR line is empty", "[rename]\rA=B\r\rC=D\r", "[rename]\rA=B\r\rC=D\r" + n + "\r"},
        {"Ctrl-Z bytes", "[rename]\nA=B\n[x]\nk=\x1av\n\x1a", "[rename]\nA=B\n" + n + "[x]\nk=\x1av\n\x1a"},
        {"a final Ctrl-Z stays the last byte", "[rename]\nA=B\n\x1a", "[rename]\nA=B\n" + n + "\x1a"},
        {"a final Ctrl-Z after a line without its feed", "[rename]\nA=B\x1a\x1a",
         "[rename]\nA=B\r\n" + n + "\x1a\x1a"},
        {"a final Ctrl-Z, no header", "[boot]\r\nx=y\r\n\x1a", "[boot]\r\nx=y\r\n[rename]\r\n" + n + "\x1a"},
        // The text ends at the first Ctrl-Z wherever it stands: the reader sees
        // nothing after it.
        {"a Ctrl-Z and CR LF", "[rename]\r\nA=B\r\n\x1a\r\n", "[rename]\r\nA=B\r\n" + n + "\x1a\r\n"},
        {"a Ctrl-Z before a section", "[boot]\r\n\x1a\r\n[rename]\r\nA=B\r\n",
         "[boot]\r\n[rename]\r\n" + n + "\x1a\r\n[rename]\r\nA=B\r\n"},
        {"no line feed at the end, line feeds only", "[rename]\nA=B", "[rename]\nA=B\r\n" + n},
        {"no line feed at the end, no header", "[boot]\nx=y", "[boot]\nx=y\r\n[rename]\r\n" + n},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        CHECK(MergeRenameText(c.before, kLines) == c.after);
    }
}

TEST_CASE("write errors are reported") {
    // A stream opened for reading only cannot take the text.
    const std::string path = "rename_test_readonly.ini";
    {
        std::ofstream out(path, std::ios::binary);
        out << Stored("[rename]\nA=B\n");
    }
    std::FILE* f = std::fopen(path.c_str(), "rb");
    REQUIRE(f);
    CHECK_FALSE(WriteWholeText(f, Merge("[rename]\nA=B\n")));
    std::fclose(f);
    CHECK(ReadBytes(path) == Stored("[rename]\nA=B\n"));
    std::remove(path.c_str());
}

TEST_CASE("a text set aside and one written since: every line stays, in the order queued") {
    using Tarnbolt::CombineRenameTexts;
    struct Case {
        const char* what;
        std::string earlier, later, combined;
    } cases[] = {
        {"both [rename]", "[rename]\r\nA=B\r\n", "[rename]\r\nC=D\r\n",
         "[rename]\r\nA=B\r\nC=D\r\n"},
        {"lines outside sections in front, other sections last",
         "; e\r\n[rename]\r\nA=B\r\n[e]\r\nx=1\r\n",
         "; l\n[boot]\nb=1\n[rename]\nC=D\n\nE=F\n[l]\ny=2\n",
         "; l\n; e\r\n[rename]\r\nA=B\r\nC=D\r\nE=F\r\n[e]\r\nx=1\r\n[boot]\nb=1\n[l]\ny=2\n"},
        {"nothing set aside", "", "[rename]\nC=D", "[rename]\r\nC=D\r\n"},
        {"no [rename] written since", "[rename]\r\nA=B", "[boot]\r\nb=1",
         "[rename]\r\nA=B\r\n[boot]\r\nb=1"},
        {"Ctrl-Z marks stay behind the text", "[rename]\r\nA=B\r\n\x1a\r\n",
         "[rename]\r\nC=D\r\n\x1a", "[rename]\r\nA=B\r\nC=D\r\n\x1a\r\n\x1a"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.what);
        CHECK(CombineRenameTexts(c.earlier, c.later) == c.combined);
    }
}
