#include "system/startup_entry_text.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;

namespace {

const std::string P = "C:\\Apps\\Setup.exe";
const std::string Q = "\"C:\\Apps\\Setup.exe\"";

struct Edit {
    bool result;
    bool write;
    std::string value;
};

Edit Add(const std::string& value, const std::string& path = P) {
    Edit e{false, false, "unset"};
    e.result = AddToRunValue(value, path, e.write, e.value);
    return e;
}

Edit Remove(const std::string& value, const std::string& path = P) {
    Edit e{true, false, "unset"};
    RemoveFromRunValue(value, path, e.write, e.value);
    return e;
}

}  // namespace

TEST_CASE("entry names drop the extension unless the dot comes first") {
    CHECK(StartupEntryName("C:\\Apps\\Setup.exe") == "Setup");
    CHECK(StartupEntryName("C:\\Apps\\a.b.exe") == "a.b");
    CHECK(StartupEntryName("C:\\Apps\\.hidden") == ".hidden");
    CHECK(StartupEntryName("C:\\Apps\\Setup") == "Setup");
    CHECK(StartupEntryName("Setup.exe") == "Setup");
    CHECK(StartupEntryName("C:\\Apps\\") == "");
}

TEST_CASE("code page 932: trail bytes are neither separators nor letters") {
    const LeadBytes cp932 = LeadBytes::CodePage932();
    // U+8868 is 95 5C; U+30A2 is 83 41 (a trail "A").
    CHECK(StartupEntryName("C:\\\x95\\setup.exe", cp932) == "\x95\\setup");
    CHECK(StartupEntryName("C:\\\x95\\setup.exe", LeadBytes()) == "setup");
    CHECK(StartupEntryName("C:\\x\\\x95\\", cp932) == "\x95\\");
    // A Windows directory ending in U+8868 still needs its separator.
    CHECK_FALSE(EndsWithSeparator("C:\\\x95\\", cp932));
    CHECK(EndsWithSeparator("C:\\\x95\\\\", cp932));
    CHECK(EndsWithSeparator("C:\\\x95\\", LeadBytes()));
    CHECK(SamePathText("C:\\\x83\x41\\Setup.exe", "c:\\\x83\x41\\SETUP.EXE", cp932));
    CHECK_FALSE(SamePathText("C:\\\x83\x41\\a.exe", "C:\\\x83\x61\\a.exe", cp932));
    CHECK_FALSE(SamePathText("C:\\a.exe", "C:\\b.exe", cp932));
    // Removing folds only whole-character letters: another program's item stays.
    const std::string ours = "C:\\\x83\x41\\Setup.exe";
    Edit e{true, false, ""};
    RemoveFromRunValue("\"C:\\\x83\x61\\setup.exe\",\"" + ours + "\"", ours, e.write, e.value, cp932);
    CHECK((e.write && e.value == "\"C:\\\x83\x61\\setup.exe\""));
}

TEST_CASE("adding the quoted program to the Run value") {
    Edit e = Add("");
    CHECK((e.result && e.write && e.value == Q));
    e = Add("a.exe");
    CHECK((e.result && e.write && e.value == "a.exe," + Q));
    // Already there as a whole item, in any position, quoted or not: nothing written.
    for (const std::string& v : {Q, "a.exe," + Q + ",b.exe", P, "a.exe, " + Q + " "}) {
        e = Add(v);
        CHECK((e.result && !e.write));
    }
    // Adding compares case and all: another case gets a second copy.
    e = Add("\"c:\\apps\\setup.exe\"");
    CHECK((e.result && e.write && e.value == "\"c:\\apps\\setup.exe\"," + Q));
}

TEST_CASE("removing the program from the Run value") {
    Edit e = Remove(Q);
    CHECK((e.write && e.value.empty()));
    e = Remove("\"c:\\APPS\\setup.EXE\"");
    CHECK((e.write && e.value.empty()));
    // Other items keep their case.
    e = Remove("A.exe," + Q + ",B.exe /Arg");
    CHECK((e.write && e.value == "A.exe,B.exe /Arg"));
    e = Remove(Q + ",");
    CHECK((e.write && e.value.empty()));
    e = Remove("x.exe,," + Q);
    CHECK((e.write && e.value == "x.exe,"));
    e = Remove(Q + "," + Q);
    CHECK((e.write && e.value.empty()));
    // Nothing names the program: nothing is written, with or without commas.
    for (const std::string& v : {std::string(), std::string("a.exe"), std::string("A.exe,B.exe"),
                                 std::string("a.exe,,")}) {
        e = Remove(v);
        CHECK_FALSE(e.write);
    }
}

TEST_CASE("a value that filled the reader's buffer is left alone") {
    // The reader delivers at most one character fewer than it is offered.
    const std::string full(kProfileValueLongest, 'a');
    Edit e = Add(full);
    CHECK_FALSE(e.write);
    CHECK_FALSE(e.result);
    e = Add(full.substr(0, 10) + "," + Q + "," + full.substr(12 + Q.size()));
    CHECK((e.result && !e.write));  // found in what was read
    e = Remove(Q + "," + std::string(kProfileValueLongest - Q.size() - 1, 'b'));
    CHECK_FALSE(e.write);
    // The entry is not made when the value would grow too long to be read back
    // whole, for then it could never be removed.
    e = Add(std::string(kProfileValueLongest - Q.size() - 1, 'a'));
    CHECK((!e.result && !e.write));
    e = Add(std::string(kProfileValueLongest - Q.size() - 2, 'a'));
    CHECK((e.result && e.write && e.value.size() == kProfileValueLongest - 1));
    e = Add(std::string());  // an empty value takes any path that fits
    CHECK((e.result && e.write && e.value == Q));
    e = Remove(Q + "," + std::string(kProfileValueLongest - Q.size() - 2, 'b'));
    CHECK((e.write && e.value == std::string(kProfileValueLongest - Q.size() - 2, 'b')));
}

TEST_CASE("only whole items name the program") {
    // Another program whose text holds the path: not registered, not removed.
    for (const std::string& v : {"x" + P + "y", P + ".old", "\"" + P + ".old\"", Q + " /x",
                                 std::string("a.exe,\"C:\\Apps\\Setup.exe.old\",b.exe")}) {
        CAPTURE(v);
        Edit e = Add(v);
        CHECK((e.result && e.write && e.value == v + "," + Q));
        CHECK_FALSE(Remove(v).write);
    }
}

TEST_CASE("removing after adding leaves the value as it was") {
    const std::string withComma = "C:\\a,b\\setup.exe";
    const std::string withBlank = "C:\\Program Files\\A B\\setup.exe";
    const std::string values[] = {"", "a.exe", "a.exe,", ",", " ", "\"C:\\x,y\\b.exe\" /q",
                                  "a.exe,,b.exe", "A.EXE /Q"};
    for (const std::string& path : {P, withComma, withBlank}) {
        for (const std::string& v : values) {
            CAPTURE(path);
            CAPTURE(v);
            Edit added = Add(v, path);
            REQUIRE((added.result && added.write));
            Edit removed = Remove(added.value, path);
            CHECK((removed.write && removed.value == v));
        }
    }
}

TEST_CASE("a value whose quotes do not pair up is left alone") {
    // Appended behind an unpaired quote, the item could never be found again.
    Edit e = Add("\"a.exe");
    CHECK((!e.result && !e.write));
    e = Add(Q + ",\"a.exe");  // found before the unpaired quote
    CHECK((e.result && !e.write));
    CHECK_FALSE(Remove(Q + ",\"a.exe").write);
    CHECK_FALSE(Add("a.exe", "C:\\a\"b.exe").result);  // cannot be quoted
}
