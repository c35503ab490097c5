// The portable settings reader on a settings file's bytes. Properties: every value
// fits the launcher's buffer and is the whole value cut there; a value stated in
// a first section of its own wins whatever follows; a section added at the end
// changes nothing of the launcher's six values.
#include "profile_text.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

using Tarnbolt::Settings;

const std::string Settings::*const kValues[] = {
    &Settings::adminMessage, &Settings::adminMessageTitle, &Settings::run,
    &Settings::message,      &Settings::caption,           &Settings::preferredVersion};

void Require(bool holds) {
    if (!holds) std::abort();
}

// Text in the file's own encoding, or false where it cannot be added whole.
bool Encoded(const std::string& file, const std::string& ascii, std::string& bytes) {
    const bool little = file.compare(0, 2, "\xFF\xFE") == 0, big = file.compare(0, 2, "\xFE\xFF") == 0;
    if (!little && !big) {
        bytes = ascii;
        return true;
    }
    if (file.size() % 2) return false;  // the odd byte would join the text
    bytes.clear();
    for (char c : ascii) bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file(reinterpret_cast<const char*>(data), size);
    Settings seen, whole;
    Tarnbolt::ReadSettingsText(file, seen);
    Tarnbolt::ReadSettingsText(file, whole, 1 << 20);
    for (const auto value : kValues) {
        Require((seen.*value).size() <= Tarnbolt::kSettingBufferSize - 1);
        Require(seen.*value == (whole.*value).substr(0, Tarnbolt::kSettingBufferSize - 1));
    }

    Settings first;
    Tarnbolt::ReadSettingsText("[General]\r\nRun=probe.exe\r\n" + file, first);
    Require(first.run == "probe.exe");

    std::string tail;
    if (Encoded(file, "\r\n[Zzz]\r\nRun=other.exe\r\nAdminMessage=other\r\n", tail)) {
        Settings more;
        Tarnbolt::ReadSettingsText(file + tail, more);
        for (const auto value : kValues) Require(more.*value == seen.*value);
    }
    return 0;
}
