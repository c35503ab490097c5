// The portable settings reader: the platform reader's rules, one table per family,
// and the generated files' properties.

#include "profile_text.h"

#include "settings_corpus.h"

#include <doctest/doctest.h>

#include <fstream>
#include <string>

using namespace Tarnbolt;

namespace {

std::string Run(const std::string& file, unsigned long size = kSettingBufferSize) {
    return ProfileText(file).Value("General", "Run", size);
}

std::string Utf16(const std::u16string& text, bool little) {
    std::string out = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : text) {
        const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
        out += little ? std::string{low, high} : std::string{high, low};
    }
    return out;
}

}  // namespace

TEST_CASE("finding the value: sections, keys, case, the first match") {
    const struct {
        const char* file;
        const char* run;
    } cases[] = {
        {"[General]\r\nRun=a.exe\r\n", "a.exe"},
        {"[general]\nrUN=a.exe", "a.exe"},
        {"[General]\nRun=a.exe\nRun=b.exe\n", "a.exe"},
        {"[General]\nX=1\n[General]\nRun=b.exe\n", ""},     // only the first section is searched
        {"[General]\nRun=a\n[General]\nRun=b\n", "a"},
        {"Run=a\n[General]\n", ""},                          // keys before any section
        {"[ General\f]\nRun=a\n", "a"},                      // blanks inside brackets too
        {"[General\xA0]\nRun=a\n", ""},                      // a no-break space is no blank
        {"  [General]  trailing\n Run = a \n", "a"},         // after the last "]" nothing counts
        {"[General]x]\nRun=a\n", ""},
        {"[General]]\nRun=a\n", ""},
        {"[General\nRun=a\n", ""},                           // no "]": a key line, no section
        {"[Other]\nRun=x\n[General]\nRun=a\n", "a"},
        {"[General]\n;Run=a\n#Run=b\nRun\nRun=c\n", ""},     // a line without "=" is the key, valueless
        {"[General]\n;Run=a\nRun=c\n", "c"},
        {"[General]\rRun=a\r", "a"},
        {"[General]\n\n\r\nRun=a", "a"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.file);
        CHECK(Run(c.file) == c.run);
    }
    // Names and values end at a NUL.
    CHECK(Run(std::string("[Gen\0eral]\nRun=a\n", 17)) == "");
    CHECK(Run(std::string("[General\0x]\nRun\0x=a\n", 20)) == "a");
    CHECK(Run(std::string("[General]\nRun=a\0b\n", 18)) == "a");
}

TEST_CASE("the value: blanks, quotes, the cut") {
    const struct {
        const char* value;
        unsigned long size;
        const char* run;
    } cases[] = {
        {" \t a b \x1a ", 512, "a b"},
        {"\"a b\"", 512, "a b"},
        {"'a b'", 512, "a b"},
        {"\"a b'", 512, "\"a b'"},
        {"\"", 512, "\""},
        {"\"\"", 512, ""},
        {"\"a\" b", 512, "\"a\" b"},
        {"\"my app.exe\" /q\"", 512, "my app.exe\" /q"},   // the outer pair, whatever is inside
        {"abcdef", 4, "abc"},
        {"\"abcdef\"", 4, "abc"},
        {"\"abc\"", 4, "abc"},
        {"abc", 1, ""},
        {"= a", 512, "= a"},
    };
    for (const auto& c : cases) {
        CAPTURE(c.value);
        CHECK(Run(std::string("[General]\nRun=") + c.value + "\n", c.size) == c.run);
    }
    const std::string longValue(600, 'x');
    CHECK(Run("[General]\nRun=" + longValue) == std::string(511, 'x'));
    CHECK(Run("[General]\nRun=" + longValue, 65536) == longValue);
}

TEST_CASE("encodings: code page 1252 bytes as they are, UTF-16 and UTF-8 into 1252") {
    CHECK(Run("[General]\nRun=caf\xE9 \x80\x81\n") == "caf\xE9 \x80\x81");
    CHECK(Run(Utf16(u"[General]\r\nRun=\"a b\"\r\n", true)) == "a b");
    CHECK(Run(Utf16(u"[general]\nRUN = x\n", false)) == "x");
    // U+00E9 and U+20AC are in the code page, U+3042 and a pair of surrogates are not.
    const std::string wide = Utf16(u"[General]\nRun=\u00E9\u20AC\u3042\U0001F600", true);
    CHECK(Run(wide) == "\xE9\x80???");
    CHECK(Run(wide + "\n") == "\xE9\x80???");  // an odd last byte is dropped
    CHECK(Run("\xEF\xBB\xBF[General]\nRun=caf\xC3\xA9 \xE3\x81\x82 \xFF\n") == "caf\xE9 ? ?");
    // A capital I with a dot and the Kelvin sign fold to ASCII letters.
    CHECK(ProfileText(Utf16(u"[Adm\u0130nistrator]\nAdminMessage=x\n", true))
              .Value("Administrator", "AdminMessage") == "x");
    CHECK(ProfileText(Utf16(u"[K]\n\u212A=y\n", true)).Value("k", "k") == "y");
}

TEST_CASE("generated files: values fit the buffer, a cut read is the whole read cut") {
    for (uint64_t seed = 0; seed < 3000; ++seed) {
        const std::string file = SettingsCorpus::File(seed);
        CAPTURE(seed);
        Settings seen, whole;
        ReadSettingsText(file, seen);
        ReadSettingsText(file, whole, 65536);
        for (auto value : {&Settings::adminMessage, &Settings::adminMessageTitle, &Settings::run,
                           &Settings::message, &Settings::caption, &Settings::preferredVersion}) {
            CHECK((seen.*value).size() <= kSettingBufferSize - 1);
            CHECK(seen.*value == (whole.*value).substr(0, kSettingBufferSize - 1));
        }
    }
}

TEST_CASE("the generated files' answers, for the comparison with the platform under Wine") {
    // One value a line (values hold no line ends and no NUL), file by file, size by
    // size, in the launcher's order.
    std::ofstream answers(TARNBOLT_ANSWERS, std::ios::binary);
    REQUIRE(answers);
    for (int seed = 0; seed < SettingsCorpus::kFiles; ++seed) {
        for (unsigned long size : SettingsCorpus::kSizes) {
            Settings settings;
            ReadSettingsText(SettingsCorpus::File(static_cast<uint64_t>(seed)), settings, size);
            for (const std::string* value : {&settings.adminMessage, &settings.adminMessageTitle,
                                             &settings.run, &settings.message, &settings.caption,
                                             &settings.preferredVersion}) {
                CHECK(value->find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
                answers << *value << '\n';
            }
        }
    }
}
