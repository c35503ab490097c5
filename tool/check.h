#pragma once
// What a packager is told about a built launcher and its settings before shipping:
// every finding names what the launcher will make of the input.

#include "settings.h"
#include "strings/lead_bytes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Tarnbolt {

enum class Severity { kWarning, kError };

struct Finding {
    Severity severity;
    std::string code;     // stable, for scripts and the troubleshooting guide
    std::string message;
};

struct PayloadReport {
    int id = 0;
    std::string name;
    bool present = false;
    bool dll = false;
    std::string machine;   // "i386", "x86-64", or the number
    bool versionKnown = false;
    uint32_t high = 0, low = 0;
};

struct CheckInput {
    std::string launcherPath, settingsPath, folder;
    std::vector<unsigned char> launcher;  // the whole file
    bool settingsExist = false;
    bool settingsUtf8Bom = false;  // the file starts with EF BB BF
    bool settingsUtf16 = false;    // the file starts with FF FE or FE FF
    Settings seen;    // as the launcher reads them (511 characters at most)
    Settings whole;   // read through a large buffer: longer values show as cut
    // The architecture the launcher and its libraries must have (machine field).
    uint16_t machine = 0x14c;
    // Import allow-list entries: "<dll> <function>", the dll in lower case.
    const std::vector<std::string>* allowList = nullptr;
    // Whether a file exists at a full path (not a directory).
    std::function<bool(const std::string&)> fileExists;
    // The Run value's bytes as the file system names them, where it does not take
    // the launcher's code page itself (Linux names files in UTF-8); none: as they are.
    std::function<std::string(const std::string&)> fileSystemText;
    // Which bytes lead a double-byte character in the Run value, as the launcher
    // reads it in its code page, and in the paths (folder), as the tool's system
    // spells them: a trail byte 0x5C is no separator.
    LumoBase::LeadBytes runRule;
    LumoBase::LeadBytes pathRule;
};

struct CheckReport {
    std::string launcherVersion;  // its fixed file version; "" without a version resource
    bool signature = false;       // it carries a certificate table
    std::vector<PayloadReport> payloads;
    std::vector<Finding> findings;
    int Errors() const;
    int Warnings() const;
    // 0 clean, 1 warnings only, 2 errors.
    int ExitCode() const;
};

CheckReport CheckLauncher(const CheckInput& input);

// The findings about the settings alone (part of CheckLauncher).
void CheckSettings(const CheckInput& input, std::vector<Finding>& findings);

// Whether a library image is one of the build's stand-ins (marked by a resource).
bool IsStandIn(const unsigned char* image, size_t size);

// A fixed file version as dotted numbers.
std::string VersionText(uint32_t high, uint32_t low);

// The name the machine field stands for.
std::string MachineName(uint16_t machine);

std::string FormatText(const CheckInput& input, const CheckReport& report);
// Each text is made UTF-8 by utf8 (none: passed through as it came) before it is
// escaped, so that a trail byte 0x5C is never taken for a backslash.
std::string FormatJson(const CheckInput& input, const CheckReport& report,
                       const std::function<std::string(const std::string&)>& utf8 = nullptr);

}  // namespace Tarnbolt
