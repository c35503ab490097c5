#include "launcher.h"
#include "rename_section.h"

#include "strings/text_split.h"

#include <doctest/doctest.h>

#include <string>
#include <vector>

using Tarnbolt::Launcher;

namespace {

struct Version {
    uint32_t high, low;
    bool operator==(const Version& o) const { return high == o.high && low == o.low; }
};

Version Parse(const std::string& text) {
    Version v{0xDEADBEEF, 0xDEADBEEF};
    Launcher::ParseVersion(text, v.high, v.low);
    return v;
}

constexpr Version V(uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    return Version{(a << 16) | b, (c << 16) | d};
}

}  // namespace

TEST_CASE("ParseVersion reads dotted numbers into the fixed-version halves") {
    CHECK(Parse("6.1.8637.0") == V(6, 1, 8637, 0));
    CHECK(Parse("6.1") == V(6, 1, 0, 0));
    CHECK(Parse("6..8637") == V(6, 0, 8637, 0));
    CHECK(Parse("6.1.") == V(6, 1, 0, 0));
    CHECK(Parse("6.1.8637.0.9") == V(6, 1, 8637, 0));
    CHECK(Parse(".") == V(0, 0, 0, 0));
    CHECK(Parse(" \t6.\n1") == V(6, 1, 0, 0));     // leading white space skipped
    CHECK(Parse("6x.1y") == V(6, 1, 0, 0));        // digits up to the first other character
    CHECK(Parse("x6.1") == V(0, 1, 0, 0));         // no digits: 0
    CHECK(Parse("6 .1") == V(6, 1, 0, 0));

    SUBCASE("no dot parses as 0.0.0.0") {
        CHECK(Parse("") == V(0, 0, 0, 0));
        CHECK(Parse("6") == V(0, 0, 0, 0));
        CHECK(Parse("6,1,8637,0") == V(0, 0, 0, 0));
    }
    SUBCASE("signs, wrap-around and unmasked halves") {
        CHECK(Parse("+6.+1") == V(6, 1, 0, 0));
        // -1 is 0xFFFFFFFF: it fills the high half shifted, and the whole of it unshifted.
        CHECK(Parse("-1.+2. 3") == Version{0xFFFF0000u | 2u, 3u << 16});
        CHECK(Parse("1.-1") == Version{0xFFFFFFFFu, 0});
        CHECK(Parse("1.65536") == Version{(1u << 16) | 65536u, 0});  // spills into the major
        CHECK(Parse("0.0.0.70000") == Version{0, 70000});
        // 30 digits wrap in 32 bits without complaint.
        uint32_t wrapped = 0;
        for (char c : std::string(30, '9')) wrapped = wrapped * 10u + static_cast<uint32_t>(c - '0');
        CHECK(Parse("0." + std::string(30, '9')) == Version{wrapped, 0});
        CHECK(Parse("--6.1") == V(0, 1, 0, 0));  // one sign only
    }
}

TEST_CASE("IsVersionAtLeast compares high then low, unsigned") {
    const Version preferred = V(6, 1, 8637, 0);
    CHECK(Launcher::IsVersionAtLeast(preferred.high, preferred.low, preferred.high, preferred.low));
    CHECK(Launcher::IsVersionAtLeast(preferred.high, preferred.low, V(6, 2, 0, 0).high, 0));
    CHECK_FALSE(Launcher::IsVersionAtLeast(preferred.high, preferred.low, V(6, 1, 8636, 9).high,
                                           V(6, 1, 8636, 9).low));
    CHECK_FALSE(Launcher::IsVersionAtLeast(V(6, 10, 8637, 0).high, 0, preferred.high, preferred.low));
    CHECK(Launcher::IsVersionAtLeast(0, 0, 0, 0));
    CHECK_FALSE(Launcher::IsVersionAtLeast(0, 1, 0, 0));
    // Unsigned: a "negative" preferred value is huge, never met by a real version.
    const Version negative = Parse("-1.0");
    CHECK_FALSE(Launcher::IsVersionAtLeast(negative.high, negative.low, V(7, 0, 2600, 2180).high,
                                           V(7, 0, 2600, 2180).low));
}

TEST_CASE("an embedded library replaces only an installed one that is not newer") {
    using Tarnbolt::KnownVersion;
    const KnownVersion none, v60{true, V(6, 0, 0, 0).high, 0}, v61{true, V(6, 1, 0, 0).high, 0};
    const struct {
        KnownVersion payload, installed;
        bool replaces;
    } cases[] = {
        {v61, none, true},   // nothing installed, or no readable version
        {v61, v60, true},
        {v61, v61, true},
        {v60, v61, false},   // never an older one over a newer
        {none, none, false}, // a payload of unknown age is not installed
        {none, v60, false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.payload.known);
        CAPTURE(c.installed.known);
        CHECK(Tarnbolt::MayReplaceInstalled(c.payload, c.installed) == c.replaces);
    }
}

TEST_CASE("the settings path is the module name cut at the first dot of its last component") {
    CHECK(Tarnbolt::SettingsBaseFromModuleName("C:\\App\\setup.new.exe") == "C:\\App\\setup");
    CHECK(Tarnbolt::SettingsBaseFromModuleName("C:\\my.dir\\app") == "C:\\my.dir\\app");
    CHECK(Tarnbolt::SettingsBaseFromModuleName("C:\\my.dir\\app.exe") == "C:\\my.dir\\app");
    CHECK(Tarnbolt::SettingsBaseFromModuleName("setup.exe") == "setup");
    CHECK(Tarnbolt::SettingsBaseFromModuleName(".exe") == "");
    CHECK(Tarnbolt::SettingsBaseFromModuleName("C:\\App\\") == "C:\\App\\");
}

TEST_CASE("module names in code page 932: a trail byte 0x5C is no separator") {
    const LumoBase::LeadBytes cp932 = LumoBase::LeadBytes::CodePage932();
    // U+8868 is 95 5C, U+30BD is 83 5C.
    const struct {
        const char* name;
        const char* settingsBase;
        const char* directory;
    } cases[] = {
        {"C:\\\x95\\setup.exe", "C:\\\x95\\setup", "C:"},
        {"C:\\\x95\\\\setup.new.exe", "C:\\\x95\\\\setup", "C:\\\x95\\"},
        {"C:\\a.b\\\x83\\.exe", "C:\\a.b\\\x83\\", "C:\\a.b"},
        {"\x95\\", "\x95\\", "\x95\\"},
    };
    for (const auto& c : cases) {
        CAPTURE(std::string(c.name));
        CHECK(Tarnbolt::SettingsBaseFromModuleName(c.name, cp932) == c.settingsBase);
        CHECK(Tarnbolt::DirectoryOfModuleName(c.name, cp932) == c.directory);
    }
    // Single-byte code pages as before.
    CHECK(Tarnbolt::DirectoryOfModuleName("C:\\\x95\\setup.exe", LumoBase::LeadBytes()) == "C:\\\x95");
    // A network server name ending in a trail byte keeps its share apart.
    CHECK(Tarnbolt::RunCommandFor("\\\\s\x95\\\\share\\App", "..\\..\\app.exe", cp932) ==
          "\\\\s\x95\\\\share\\..\\app.exe");
}

TEST_CASE("the Run value joined below the launcher's directory") {
    const struct {
        const char* directory;
        const char* value;
        const char* command;
    } cases[] = {
        {"C:\\App", "app.exe", "C:\\App\\app.exe"},
        {"C:\\App", "bin\\app.exe -q", "C:\\App\\bin\\app.exe -q"},
        {"C:\\App", "app.exe /q", "C:\\App\\app.exe \\q"},
        // Arguments are the program's own: never resolved, only their "/" turned.
        {"C:\\App", "app.exe tools\\..\\helper.exe", "C:\\App\\app.exe tools\\..\\helper.exe"},
        {"C:\\App", "app.exe -d C:\\x\\.\\\\y /q", "C:\\App\\app.exe -d C:\\x\\.\\\\y \\q"},
        {"C:\\App", "app.exe ../x", "C:\\App\\app.exe ..\\x"},
        {"C:\\App", "/app.exe", "C:\\App\\app.exe"},
        {"C:\\App\\Setup", "..\\Other\\app.exe", "C:\\App\\Other\\app.exe"},
        {"C:\\App", "C:\\Other\\app.exe", "C:\\App\\C:\\Other\\app.exe"},
        {"C:\\App", "", "C:\\App\\"},
        // A blank in the directory: the program is quoted, the arguments follow.
        {"C:\\Program Files\\App", "app.exe", "\"C:\\Program Files\\App\\app.exe\""},
        {"C:\\Program Files\\App", "bin/app.exe /q -x",
         "\"C:\\Program Files\\App\\bin\\app.exe\" \\q -x"},
        {"C:\\P Q", "app.exe ", "\"C:\\P Q\\app.exe\" "},
        // A quoted value: one quoted program, with or without a blank in the directory.
        {"C:\\a b", "\"my app.exe\" /q", "\"C:\\a b\\my app.exe\" \\q"},
        {"C:\\App", "\"my app.exe\" /q", "\"C:\\App\\my app.exe\" \\q"},
        {"C:\\App", "\"bin/my app.exe\"", "\"C:\\App\\bin\\my app.exe\""},
        // A tab ends the program as a blank does: the arguments stay arguments.
        {"C:\\App", "app.exe\ttools\\..\\helper.exe", "C:\\App\\app.exe\ttools\\..\\helper.exe"},
        {"C:\\P Q", "app.exe\t/q", "\"C:\\P Q\\app.exe\"\t\\q"},
        // A quote never closed: no program can be told, none is started.
        {"C:\\App", "\"my app.exe", ""},
        {"C:\\App", "/\"app.exe\" \"x", "\"C:\\App\\app.exe\" \"x"},
        // A network folder keeps its "\\"; "..\" stops at the share.
        {"\\\\server\\share\\App", "app.exe", "\\\\server\\share\\App\\app.exe"},
        {"\\\\server\\share\\App", "sub\\\\app.exe /q", "\\\\server\\share\\App\\sub\\app.exe \\q"},
        {"\\\\server\\share\\App", "..\\..\\..\\app.exe", "\\\\server\\share\\..\\..\\app.exe"},
        {"\\\\server\\share\\My App", "app.exe", "\"\\\\server\\share\\My App\\app.exe\""},
        {"\\\\?\\C:\\App", "app.exe", "\\\\?\\C:\\App\\app.exe"},
    };
    for (const auto& c : cases) {
        CAPTURE(std::string(c.directory));
        CAPTURE(std::string(c.value));
        CHECK(Tarnbolt::RunCommandFor(c.directory, c.value) == c.command);
    }
}

TEST_CASE("SplitText keeps empty stretches") {
    using V = std::vector<std::string>;
    CHECK(LumoBase::SplitText("", ".").empty());
    CHECK(LumoBase::SplitText("abc", "").empty());
    CHECK(LumoBase::SplitText("abc", ".").empty());
    CHECK(LumoBase::SplitText("6..8637", ".") == V{"6", "", "8637"});
    CHECK(LumoBase::SplitText("6.1.", ".") == V{"6", "1", ""});
    CHECK(LumoBase::SplitText(".", ".") == V{"", ""});
    CHECK(LumoBase::SplitText("a;;b", ";;") == V{"a", "b"});
}

TEST_CASE("the restart marker changes with the installed runtime and with the payload") {
    using Tarnbolt::KnownVersion;
    const KnownVersion none, v60{true, 0x60000, 0}, v61{true, 0x60001, 0x21BD0000};
    const std::string base = Tarnbolt::RestartMarkerText(v60, v61, 1);
    CHECK(base == "Tarnbolt restart\r\ninstalled=6.0.0.0\r\npayload=6.1.8637.0 00000001\r\n");
    CHECK(Tarnbolt::RestartMarkerText(none, v61, 1) != base);
    CHECK(Tarnbolt::RestartMarkerText(KnownVersion{true, 0, 0}, v61, 1) !=
          Tarnbolt::RestartMarkerText(none, v61, 1));
    CHECK(Tarnbolt::RestartMarkerText(v60, v60, 1) != base);
    CHECK(Tarnbolt::RestartMarkerText(v60, v61, 2) != base);
    const unsigned char a[] = {1, 2, 3}, b[] = {1, 2, 4};
    CHECK(Tarnbolt::Fingerprint(a, 3, Tarnbolt::kFingerprintStart) !=
          Tarnbolt::Fingerprint(b, 3, Tarnbolt::kFingerprintStart));
}

TEST_CASE("the marker lists the boot and the sources handed over and reads back whatever it holds") {
    const std::string state = "Tarnbolt restart\r\ninstalled=6.0.0.0\r\npayload=6.1.8637.0 00000001\r\n";
    std::string read, boot;
    std::vector<std::string> deferred;
    const std::vector<std::string> sources = {"C:\\W\\S\\TB1A.TMP", "C:\\W\\S\\TB1B.TMP"};
    Tarnbolt::ParseRestartMarker(Tarnbolt::RestartMarkerFile(state, "01c9a2", sources), read, boot,
                                 deferred);
    CHECK((read == state && boot == "01c9a2" && deferred == sources));
    // A marker an earlier version wrote names no boot and no source.
    Tarnbolt::ParseRestartMarker(state, read, boot, deferred);
    CHECK((read == state && boot.empty() && deferred.empty()));
    Tarnbolt::ParseRestartMarker("deferred=\r\nx\r\ndeferred=C:\\a\r\nboot=7", read, boot, deferred);
    CHECK((read == "x\r\n" && boot == "7" && deferred == std::vector<std::string>{"C:\\a"}));
}

TEST_CASE("a start of Windows is told by the boot identifiers, the queue only where one is unknown") {
    using Tarnbolt::JudgeRestart;
    using Tarnbolt::RestartFinding;
    // An emptied queue in the same boot is no restart that happened.
    CHECK(JudgeRestart("a1", "a1", false) == RestartFinding::kStillToCome);
    // A boot since that left our lines queued (another installer's file put back).
    CHECK(JudgeRestart("a1", "b2", true) == RestartFinding::kWithoutEffect);
    CHECK(JudgeRestart("", "b2", true) == RestartFinding::kStillToCome);
    CHECK(JudgeRestart("a1", "", false) == RestartFinding::kWithoutEffect);
}

TEST_CASE("a queued replacement at least as new as the payload, or of unknown age, keeps ours out") {
    using Tarnbolt::KnownVersion;
    const KnownVersion payload{true, 0x00060001u, 0x21bd0000u};
    CHECK(Tarnbolt::QueuedSupersedes(payload, payload));
    CHECK(Tarnbolt::QueuedSupersedes(KnownVersion{true, 0x00070000u, 0}, payload));
    CHECK(Tarnbolt::QueuedSupersedes(KnownVersion{}, payload));
    CHECK_FALSE(Tarnbolt::QueuedSupersedes(KnownVersion{true, 0x00060001u, 0x21bcffffu}, payload));

    // Both values as the platform writes them: "\??\" sources, "!" targets,
    // deletions with an empty target.
    const char raw[] = "\\??\\C:\\T\\a.tmp\0!\\??\\C:\\S\\msvcrt.dll\0\\??\\C:\\T\\gone\0\0"
                       "C:\\T\\b.tmp\0\\??\\C:\\S\\msvcp60.dll\0";
    const auto moves = Tarnbolt::DelayedMoveEntries(std::string(raw, sizeof raw));
    REQUIRE(moves.size() == 3);
    CHECK((moves[0].first == "C:\\T\\a.tmp" && moves[0].second == "C:\\S\\msvcrt.dll"));
    CHECK((moves[1].first == "C:\\T\\gone" && moves[1].second.empty()));
    CHECK((moves[2].first == "C:\\T\\b.tmp" && moves[2].second == "C:\\S\\msvcp60.dll"));
}

TEST_CASE("only our own staged copies count, and the platform's queues are read as it writes them") {
    const LumoBase::LeadBytes cp932 = LumoBase::LeadBytes::CodePage932();
    const struct {
        const char* path;
        bool ours;
    } names[] = {
        {"C:\\WINDOWS\\SYSTEM\\TB1A2B.TMP", true},
        {"c:\\windows\\system\\tb1.tmp", true},
        {"C:\\WINDOWS\\SYSTEM\\msvcrt.dll", false},
        {"C:\\WINDOWS\\SYSTEM\\sub\\TB1A2B.TMP", false},
        {"C:\\WINDOWS\\TB1A2B.TMP", false},
        {"C:\\WINDOWS\\SYSTEM\\TBXYZ.TMP", false},
        {"C:\\WINDOWS\\SYSTEM\\TB12345.TMP", false},
        {"C:\\WINDOWS\\SYSTEM\\TB.TMP", false},
        {"C:\\WINDOWS\\SYSTEM\\..\\SYSTEM\\TB1.TMP", false},
    };
    for (const auto& n : names) {
        CAPTURE(std::string(n.path));
        CHECK(Tarnbolt::IsStagedCopyName(n.path, "C:\\WINDOWS\\SYSTEM") == n.ours);
    }
    // A folder ending in a trail byte 0x5C; its trail bytes are never folded.
    CHECK(Tarnbolt::IsStagedCopyName("C:\\\x95\\\\TB1.TMP", "C:\\\x95\\", cp932));
    CHECK_FALSE(Tarnbolt::IsStagedCopyName("C:\\\x95\x61\\TB1.TMP", "C:\\\x95\x41", cp932));

    const char raw[] = "\\??\\C:\\W\\S\\tb1.tmp\0!\\??\\C:\\W\\S\\msvcrt.dll\0";
    const std::string moves(raw, sizeof raw);
    CHECK(Tarnbolt::DelayedMovesHold(moves, "c:\\w\\s\\TB1.TMP"));
    CHECK_FALSE(Tarnbolt::DelayedMovesHold(moves, "C:\\W\\S\\msvcrt.dll"));  // a target
    CHECK_FALSE(Tarnbolt::DelayedMovesHold(moves, "C:\\W\\S\\tb1.tm"));
    CHECK_FALSE(Tarnbolt::DelayedMovesHold("", "C:\\W\\S\\tb1.tmp"));

    const std::string wininit = "[boot]\r\nx=C:\\S\\TB2.TMP\r\n[Rename]\r\nC:\\S\\MSVCRT.DLL=c:\\s\\tb1.tmp\r\n";
    CHECK(Tarnbolt::RenameSectionHolds(wininit, "C:\\S\\TB1.TMP"));
    CHECK_FALSE(Tarnbolt::RenameSectionHolds(wininit, "C:\\S\\TB2.TMP"));  // another section
    CHECK_FALSE(Tarnbolt::RenameSectionHolds(wininit, "C:\\S\\MSVCRT.DLL"));  // a target
}
