// The [rename] merge on real files. On Windows the stream is in text mode, so the
// line feeds written are stored as CR LF; the expected texts say "\n" and are
// turned into what the platform stores.

#include "rename_section.h"

#include <doctest/doctest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

using Tarnbolt::MergeRenameLines;
using Tarnbolt::WriteNewRenameSection;

namespace {

const std::vector<std::string> kLines = {"S\\msvcrt.dll=T\\msvcrt.dll", "S\\msvcp60.dll=T\\msvcp60.dll"};

std::string Stored(const std::string& text) {
#ifdef _WIN32
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
#else
    return text;
#endif
}

std::string Path() {
    static int counter = 0;
    return "rename_test_" + std::to_string(++counter) + ".ini";
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes `before` in the platform's stored form, merges, answers the stored result.
std::string Merge(const std::string& before, bool* ok = nullptr) {
    const std::string path = Path();
    {
        std::ofstream out(path, std::ios::binary);
        out << Stored(before);
    }
    std::FILE* f = std::fopen(path.c_str(), "r+");
    REQUIRE(f);
    bool merged = MergeRenameLines(f, kLines);
    std::fclose(f);
    if (ok) *ok = merged;
    std::string after = ReadBytes(path);
    std::remove(path.c_str());
    return after;
}

const std::string kNew = "S\\msvcrt.dll=T\\msvcrt.dll\nS\\msvcp60.dll=T\\msvcp60.dll\n";

}  // namespace

TEST_CASE("a new file holds the header and the lines") {
    const std::string path = Path();
    std::FILE* f = std::fopen(path.c_str(), "w");
    REQUIRE(f);
    CHECK(WriteNewRenameSection(f, kLines));
    std::fclose(f);
    CHECK(ReadBytes(path) == Stored("[rename]\n" + kNew));
    std::remove(path.c_str());
}

TEST_CASE("merging into an existing WININIT.INI") {
    bool ok = false;
    SUBCASE("an empty file gets the header and the lines") {
        CHECK(Merge("", &ok) == Stored("[rename]\n" + kNew));
        CHECK(ok);
    }
    SUBCASE("other sections but no [rename]: appended at the end") {
        CHECK(Merge("[boot]\nshell=x\n\n[other]\na=b\n", &ok) ==
              Stored("[boot]\nshell=x\n\n[other]\na=b\n[rename]\n" + kNew));
        CHECK(ok);
    }
    SUBCASE("after the last old entry; the rest follows byte for byte") {
        CHECK(Merge("[rename]\nNUL=old.tmp\nA=B\n\n[next]\nk=v\n", &ok) ==
              Stored("[rename]\nNUL=old.tmp\nA=B\n" + kNew + "\n[next]\nk=v\n"));
        CHECK(ok);
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
    SUBCASE("a line longer than the read buffer is taken in pieces") {
        const std::string longEntry = "L=" + std::string(1500, 'p');
        CHECK(Merge("[rename]\n" + longEntry + "\n") == Stored("[rename]\n" + longEntry + "\n" + kNew));
    }
}

TEST_CASE("write errors are reported") {
    // A stream opened for reading only cannot take the new lines.
    const std::string path = Path();
    {
        std::ofstream out(path, std::ios::binary);
        out << Stored("[rename]\nA=B\n");
    }
    std::FILE* f = std::fopen(path.c_str(), "r");
    REQUIRE(f);
    CHECK_FALSE(MergeRenameLines(f, kLines));
    std::fclose(f);
    CHECK(ReadBytes(path) == Stored("[rename]\nA=B\n"));
    std::remove(path.c_str());
}
