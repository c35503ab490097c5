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
#include <string>

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
    TempFolder folder;
    const int kFiles = 1500;
    for (int seed = 0; seed < kFiles; ++seed) {
        const std::string bytes = SettingsCorpus::File(static_cast<uint64_t>(seed));
        // A name of its own for each file: the platform keeps files it has read.
        const std::string path = folder / ("s" + std::to_string(seed) + ".ini");
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        CAPTURE(seed);
        CAPTURE(Shown(bytes));
        for (unsigned long size : {kSettingBufferSize, 65536ul, 6ul}) {
            CAPTURE(size);
            Settings platform, portable;
            ReadSettings(path, platform, size);
            ReadSettingsText(bytes, portable, size);
            Compare(platform, portable);
        }
    }
}
