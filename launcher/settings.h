#pragma once
// The six values of the settings file, read one way for the launcher and for the
// packager's check, so the two cannot disagree.

#include <string>

namespace Tarnbolt {

// The profile reader's buffer: at most 511 characters of a value survive.
constexpr unsigned long kSettingBufferSize = 512;

struct Settings {
    std::string adminMessage;       // [Administrator] AdminMessage
    std::string adminMessageTitle;  // [Administrator] AdminMessageTitle
    std::string run;                // [General] Run, as written (not yet resolved)
    std::string message;            // [General] Message
    std::string caption;            // [General] Caption
    std::string preferredVersion;   // [General] PreferredVersion
};

// Reads the six values in the launcher's order through one buffer of `bufferSize`
// bytes; a missing file, section or key reads as "". `file` is a full path (a bare
// name is looked up in the Windows directory).
void ReadSettings(const std::string& file, Settings& settings,
                  unsigned long bufferSize = kSettingBufferSize);

}  // namespace Tarnbolt
