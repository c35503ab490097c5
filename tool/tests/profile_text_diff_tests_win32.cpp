// The portable settings reader against the launcher's own (GetPrivateProfileStringA)
// under Wine: the same generated and fuzzed files, every value, at the launcher's
// buffer, at the check's large one and at a small one.

#include "profile_text.h"
#include "settings.h"

#include "settings_corpus.h"

#include "../../base/files/tests/temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace Tarnbolt;

namespace {

std::string Shown(const std::string& text) {
    std::string shown;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            shown += static_cast<char>(c);
        } else {
            const char* digits = "0123456789abcdef";
            shown += std::string("\\x") + digits[c >> 4] + digits[c & 15];
        }
    }
    return shown;
}

void Compare(const Settings& platform, const Settings& portable) {
    CHECK(Shown(platform.adminMessage) == Shown(portable.adminMessage));
    CHECK(Shown(platform.adminMessageTitle) == Shown(portable.adminMessageTitle));
    CHECK(Shown(platform.run) == Shown(portable.run));
    CHECK(Shown(platform.message) == Shown(portable.message));
    CHECK(Shown(platform.caption) == Shown(portable.caption));
    CHECK(Shown(platform.preferredVersion) == Shown(portable.preferredVersion));
}

}  // namespace

TEST_CASE("the portable reader answers what GetPrivateProfileStringA answers") {
    REQUIRE(GetACP() == 1252);
    // The answers of the Linux build, where the host tree has written them; else
    // the portable reader's in this program.
    std::ifstream in(TARNBOLT_NATIVE_ANSWERS, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> native;
    for (size_t at = 0, end; (end = all.find('\n', at)) != std::string::npos; at = end + 1)
        native.push_back(all.substr(at, end - at));
    const size_t expected = SettingsCorpus::kFiles * 3 * 6;
    if (native.size() != expected) {
        MESSAGE("no answers of the Linux build at " TARNBOLT_NATIVE_ANSWERS
                ": the portable reader's of this program are compared");
        native.clear();
    }
    TempFolder folder;
    size_t next = 0;
    for (int seed = 0; seed < SettingsCorpus::kFiles; ++seed) {
        const std::string bytes = SettingsCorpus::File(static_cast<uint64_t>(seed));
        // A name of its own for each file: the platform keeps files it has read.
        const std::string path = folder / ("s" + std::to_string(seed) + ".ini");
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        CAPTURE(seed);
        CAPTURE(Shown(bytes));
        for (unsigned long size : SettingsCorpus::kSizes) {
            CAPTURE(size);
            Settings platform, portable;
            ReadSettings(path, platform, size);
            ReadSettingsText(bytes, portable, size);
            Compare(platform, portable);
            if (!native.empty()) {
                Settings fromLinux;
                for (std::string* value : {&fromLinux.adminMessage, &fromLinux.adminMessageTitle, &fromLinux.run,
                                           &fromLinux.message, &fromLinux.caption, &fromLinux.preferredVersion})
                    *value = native[next++];
                Compare(platform, fromLinux);
            }
        }
    }
}
