#include "check.h"

#include "image_version.h"
#include "launcher.h"
#include "pe_image.h"
#include "strings/text_split.h"

#include <algorithm>

namespace Tarnbolt {
namespace {

const size_t kKept = kSettingBufferSize - 1;

struct PayloadSlot {
    int id;
    const char* name;
    bool runtime;  // the installation needs it; comctl32.dll only where it is missing
};
const PayloadSlot kPayloads[] = {{kPayloadMsvcrt, "msvcrt.dll", true},
                                 {kPayloadMsvcp60, "msvcp60.dll", true},
                                 {kPayloadMsvcirt, "msvcirt.dll", true},
                                 {kPayloadComctl32, "comctl32.dll", false}};

void Add(std::vector<Finding>& findings, Severity severity, const char* code,
         const std::string& message) {
    findings.push_back(Finding{severity, code, message});
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// Plain digits: the runtime's formatted output is more than a report needs.
std::string Number(size_t n) {
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + n % 10));
        n /= 10;
    } while (n);
    return digits;
}

std::string Hex4(unsigned value) {
    const char* digits = "0123456789abcdef";
    std::string text;
    for (int shift = 12; shift >= 0; shift -= 4) text += digits[(value >> shift) & 15];
    return text;
}

bool IsDigits(const std::string& text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Why a PreferredVersion text is not four dotted numbers from 0 to 65535, or "".
std::string VersionFault(const std::string& text) {
    if (text.find('.') == std::string::npos) return "it has no dot";
    const std::vector<std::string> parts = LumoBase::SplitText(text, ".");
    if (parts.size() > 4) return "it has " + Number(parts.size()) + " parts; the launcher reads four";
    for (const std::string& part : parts) {
        if (!part.empty() && part[0] == '-') return "part " + Quoted(part) + " is negative";
        if (!IsDigits(part)) return "part " + Quoted(part) + " is not a number";
        unsigned long value = 0;
        for (char c : part) value = part.size() > 5 ? 65536 : value * 10 + static_cast<unsigned long>(c - '0');
        if (value > 65535)
            return "part " + Quoted(part) + " is above 65535";
    }
    return "";
}

// Windows drops the dots and blanks that end a file name.
std::string WithoutTrailingDots(std::string path, const LumoBase::LeadBytes& rule) {
    const size_t name = rule.FindLast(path, '\\') + 1;
    while (path.size() > name && (path.back() == '.' || path.back() == ' ')) path.pop_back();
    return path;
}

bool IsAbsolute(const std::string& program) {
    if (program.size() >= 2 && program[1] == ':' &&
        ((program[0] >= 'A' && program[0] <= 'Z') || (program[0] >= 'a' && program[0] <= 'z')))
        return true;
    return !program.empty() && program[0] == '\\';
}

size_t RootLength(const std::string& folder, const LumoBase::LeadBytes& rule) {
    if (folder.compare(0, 2, "\\\\") == 0) {  // \\server\share
        size_t server = rule.Find(folder, '\\', 2);
        if (server == std::string::npos) return folder.size();
        size_t share = rule.Find(folder, '\\', server + 1);
        return share == std::string::npos ? folder.size() : share;
    }
    return folder.size() >= 2 && folder[1] == ':' ? 2 : 0;
}

// The parts of path between backslashes, stepping over double-byte characters.
std::vector<std::string> Parts(const std::string& path, const LumoBase::LeadBytes& rule) {
    std::vector<std::string> parts;
    size_t begin = 0;
    for (size_t i = 0; i <= path.size(); i = i < path.size() ? rule.Next(path, i) : i + 1) {
        if (i < path.size() && path[i] != '\\') continue;
        parts.push_back(path.substr(begin, i - begin));
        begin = i + 1;
    }
    return parts;
}

// Whether the program's "..\" steps climb above the root of the folder.
bool ClimbsPastRoot(const std::string& folder, const std::string& program, const CheckInput& input) {
    long depth = 0;
    for (const std::string& part : Parts(folder.substr(RootLength(folder, input.pathRule)), input.pathRule))
        if (!part.empty()) ++depth;
    std::string path = program;
    // A "/" is never a trail byte.
    std::replace(path.begin(), path.end(), '/', '\\');
    for (const std::string& part : Parts(path, input.runRule)) {
        if (part == "..") {
            if (--depth < 0) return true;
        } else if (!part.empty() && part != ".") {
            ++depth;
        }
    }
    return false;
}

void CheckRun(const CheckInput& input, std::vector<Finding>& findings) {
    const std::string& run = input.seen.run;
    if (run.empty()) {
        Add(findings, Severity::kError, "run-empty",
            "Run is empty: the launcher would start " + Quoted(input.folder + "\\") +
                ", which is no program");
        return;
    }
    if (input.whole.run.size() > run.size())
        Add(findings, Severity::kError, "run-cut",
            "Run is " + Number(input.whole.run.size()) + " characters long; the launcher keeps " +
                Number(kKept) + ": " + Quoted(run));

    bool quoted = false;
    std::string program, rest;
    if (!SplitRunValue(run, quoted, program, rest)) {
        Add(findings, Severity::kError, "run-unclosed-quote",
            "Run opens a quote it never closes: where the program ends is unknown, and the "
            "launcher starts nothing");
        return;
    }
    if (quoted)
        Add(findings, Severity::kWarning, "run-quoted",
            "the program name is quoted: the launcher takes " + Quoted(program) +
                " as one path below its folder and passes the rest on");
    const std::string stripped = program.substr(std::min(program.find_first_not_of('/'), program.size()));
    if (IsAbsolute(stripped))
        Add(findings, Severity::kWarning, "run-absolute",
            Quoted(stripped) + " is an absolute path; the launcher joins it below its folder: " +
                Quoted(RunProgramFor(input.folder, run)));
    if (ClimbsPastRoot(input.folder, stripped, input))
        Add(findings, Severity::kWarning, "run-climbs",
            Quoted(program) + " climbs above the root of " + Quoted(input.folder) +
                "; it stops at the root: " + Quoted(RunProgramFor(input.folder, run)));
    if (rest.find('/') != std::string::npos) {
        std::string turned = rest;
        std::replace(turned.begin(), turned.end(), '/', '\\');
        Add(findings, Severity::kWarning, "run-switch-slash",
            "the slashes after the program become backslashes: the program gets" + turned);
    }
    // Whether the program a Run value names is there, found as Windows finds it.
    const auto exists = [&input](const std::string& value) {
        if (!input.fileExists) return false;
        const std::string named = input.fileSystemText ? input.fileSystemText(value) : value;
        return input.fileExists(
            WithoutTrailingDots(RunProgramFor(input.folder, named, input.pathRule), input.pathRule));
    };
    const std::string path = RunProgramFor(input.folder, run);
    if (!exists(run)) {
        // A quoted value loses its one pair of quotes in the profile reader.
        const std::string hint =
            !quoted && rest.find_first_not_of(" \t") != std::string::npos && exists("\"" + run + "\"")
                ? " (a program name with a blank must be quoted twice: Run=\"\"" + run + "\"\")"
                : "";
        Add(findings, Severity::kError, "run-missing",
            "the program " + Quoted(path) + " is not there" + hint);
    }
}

}  // namespace

bool IsStandIn(const unsigned char* image, size_t size) {
    size_t offset = 0, length = 0;
    return FindPeResource(image, size, "TARNBOLT_STANDIN", 1, offset, length);
}

std::string VersionText(uint32_t high, uint32_t low) {
    return Number(high >> 16) + "." + Number(high & 0xffff) + "." + Number(low >> 16) + "." +
           Number(low & 0xffff);
}

std::string MachineName(uint16_t machine) {
    if (machine == 0x14c) return "i386";
    if (machine == 0x8664) return "x86-64";
    return "0x" + Hex4(machine);
}

int CheckReport::Errors() const {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(),
                                          [](const Finding& f) { return f.severity == Severity::kError; }));
}

int CheckReport::Warnings() const { return static_cast<int>(findings.size()) - Errors(); }

int CheckReport::ExitCode() const { return Errors() ? 2 : Warnings() ? 1 : 0; }

void CheckSettings(const CheckInput& input, std::vector<Finding>& findings) {
    if (!input.settingsExist) {
        Add(findings, Severity::kError, "settings-missing",
            "there is no settings file " + Quoted(input.settingsPath) +
                ": every value is empty and the launcher starts nothing");
        return;
    }
    if (input.settingsUtf8Bom)
        Add(findings, Severity::kError, "settings-bom",
            "the settings file starts with a UTF-8 byte-order mark: Windows' profile reader does not "
            "skip it, so the launcher cannot see the first section; save it as ANSI, without one");
    if (input.settingsUtf16)
        Add(findings, Severity::kError, "settings-utf16",
            "the settings file is UTF-16: the profile reader of Windows 95, 98 and Me reads no "
            "UTF-16, so there the launcher sees no values and starts nothing; save it as ANSI");
    const Settings& seen = input.seen;
    if (seen.preferredVersion.empty()) {
        Add(findings, Severity::kWarning, "preferred-empty",
            "PreferredVersion is empty: 0.0.0.0, so any msvcrt.dll is recent enough and the "
            "runtime is never installed");
    } else {
        const std::string fault = VersionFault(seen.preferredVersion);
        if (!fault.empty()) {
            uint32_t high = 0, low = 0;
            Launcher::ParseVersion(seen.preferredVersion, high, low);
            Add(findings, Severity::kWarning, "preferred-malformed",
                "PreferredVersion " + Quoted(seen.preferredVersion) + " is not dotted numbers from "
                "0 to 65535 (" + fault + "): the launcher reads it as " + VersionText(high, low));
        }
    }

    CheckRun(input, findings);

    // The values other than Run: each may be cut; the box texts also count when empty.
    const struct {
        const char* key;
        const std::string Settings::*value;
        const char* whenEmpty;
    } values[] = {{"AdminMessage", &Settings::adminMessage, "the administrator box shows no text"},
                  {"AdminMessageTitle", &Settings::adminMessageTitle,
                   "the administrator box has no title"},
                  {"Message", &Settings::message, "the restart box shows no text"},
                  {"Caption", &Settings::caption, "the restart box has no title"},
                  {"PreferredVersion", &Settings::preferredVersion, nullptr}};
    for (const auto& v : values) {
        if (v.whenEmpty && (seen.*v.value).empty())
            Add(findings, Severity::kWarning, "box-text-empty",
                std::string(v.key) + " is empty: " + v.whenEmpty);
    }
    for (const auto& v : values) {
        if ((input.whole.*v.value).size() > (seen.*v.value).size())
            Add(findings, Severity::kWarning, "value-cut",
                std::string(v.key) + " is " + Number((input.whole.*v.value).size()) +
                    " characters long; the launcher keeps " + Number(kKept));
    }
}

CheckReport CheckLauncher(const CheckInput& input) {
    CheckReport report;
    std::vector<Finding>& findings = report.findings;
    const unsigned char* image = input.launcher.data();
    const size_t size = input.launcher.size();

    PeInfo info;
    if (!ReadPeInfo(image, size, info)) {
        Add(findings, Severity::kError, "launcher-unreadable",
            Quoted(input.launcherPath) + " is not a Windows program");
        return report;
    }
    const bool wide = input.machine == 0x8664;
    if (info.machine != input.machine || info.pe32Plus != wide)
        Add(findings, Severity::kError, "launcher-not-pe32",
            "the launcher is an " + MachineName(info.machine) + (info.pe32Plus ? " PE32+" : " PE32") +
                " program; it must be " + MachineName(input.machine) + (wide ? " PE32+" : " PE32"));
    uint32_t high = 0, low = 0;
    if (ReadImageFixedVersion(image, size, high, low)) report.launcherVersion = VersionText(high, low);
    if (info.isDll) Add(findings, Severity::kError, "launcher-unreadable", "the launcher is a DLL");
    report.signature = info.certificateOffset || info.certificateSize;
    // A signature verifies only where its table is the last thing in the file.
    if (report.signature &&
        static_cast<uint64_t>(info.certificateOffset) + info.certificateSize != size)
        Add(findings, Severity::kError, "signature-misplaced",
            "the certificate table (" + Number(info.certificateSize) + " bytes at offset " +
                Number(info.certificateOffset) + ") does not end where the file does (" + Number(size) +
                " bytes): the signature cannot be verified; sign the file again as the last step");
    if (info.subsystem != 2)
        Add(findings, Severity::kError, "launcher-not-gui",
            "the launcher is not of the GUI subsystem (" + Number(info.subsystem) +
                "): a console window would open");
    if (!info.importsReadable) {
        Add(findings, Severity::kError, "launcher-imports", "the launcher's import table cannot be read");
    } else {
        for (const PeImport& import : info.imports) {
            const std::string entry = import.dll + " " + import.function;  // dll in lower case
            if (!input.allowList ||
                std::find(input.allowList->begin(), input.allowList->end(), entry) ==
                    input.allowList->end())
                Add(findings, Severity::kError, "launcher-imports",
                    "the launcher imports " + entry +
                        ", which is not on the allow-list: it may not load on older Windows");
        }
    }

    for (const PayloadSlot& slot : kPayloads) {
        PayloadReport payload;
        payload.id = slot.id;
        payload.name = slot.name;
        const std::string what = std::string(slot.name) + " (resource " + Number(slot.id) + ")";
        const Severity severity = slot.runtime ? Severity::kError : Severity::kWarning;
        size_t offset = 0, length = 0;
        PeInfo library;
        if (!FindPeResource(image, size, "DLL", static_cast<uint32_t>(slot.id), offset, length) ||
            length == 0) {
            Add(findings, severity, "payload-missing",
                what + " is not embedded" +
                    (slot.runtime ? ": the runtime cannot be installed"
                                  : ": nothing is copied where comctl32.dll is missing"));
        } else {
            payload.present = true;
            const unsigned char* bytes = image + offset;
            if (!ReadPeInfo(bytes, length, library) || !library.isDll) {
                Add(findings, Severity::kError, "payload-not-dll", what + " is not a DLL");
            } else {
                payload.dll = true;
                payload.machine = MachineName(library.machine);
                if (library.machine != input.machine)
                    Add(findings, Severity::kError, "payload-wrong-arch",
                        what + " is an " + payload.machine + " library; the launcher needs " +
                            MachineName(input.machine) + " libraries");
                // The build's stand-ins carry versions but no code: installed, they
                // would replace a system library with an empty one.
                if (IsStandIn(bytes, length))
                    Add(findings, Severity::kError, "payload-stand-in",
                        what + " is the build's stand-in, not a library to install: embed real ones");
            }
            payload.versionKnown = ReadImageFixedVersion(bytes, length, payload.high, payload.low);
            if (payload.dll && !payload.versionKnown)
                Add(findings, severity, "payload-no-version",
                    what + " has no readable file version" +
                        (slot.runtime ? ": the launcher never installs it" : ""));
        }
        report.payloads.push_back(payload);
    }

    CheckSettings(input, findings);

    const PayloadReport& runtime = report.payloads[0];
    if (input.settingsExist && runtime.versionKnown) {
        uint32_t high = 0, low = 0;
        Launcher::ParseVersion(input.seen.preferredVersion, high, low);
        if (!Launcher::IsVersionAtLeast(high, low, runtime.high, runtime.low))
            Add(findings, Severity::kError, "preferred-unmet",
                "the embedded msvcrt.dll is " + VersionText(runtime.high, runtime.low) +
                    ", older than PreferredVersion " + VersionText(high, low) +
                    ": the launcher would refuse to install it, and the main program would never start "
                    "where the installed runtime is older");
    }
    return report;
}

namespace {

// text in quotes, with what JSON cannot hold bare escaped.
std::string Escaped(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7f) {
            out += "\\u" + Hex4(c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

const char* SeverityName(Severity severity) {
    return severity == Severity::kError ? "error" : "warning";
}

std::string Plural(int n, const char* word) {
    return Number(n) + " " + word + (n == 1 ? "" : "s");
}

}  // namespace

std::string FormatText(const CheckInput& input, const CheckReport& report) {
    std::string out = "launcher: " + input.launcherPath + "\nversion:  " +
                      (report.launcherVersion.empty() ? "none" : report.launcherVersion) +
                      "\nsettings: " + input.settingsPath +
                      "\nfolder:   " + input.folder +
                      "\nsignature: " + (report.signature ? "present" : "none") + "\n";
    for (const PayloadReport& p : report.payloads) {
        out += "payload " + Number(p.id) + " " + p.name + ": ";
        if (!p.present) {
            out += "missing\n";
            continue;
        }
        out += p.versionKnown ? VersionText(p.high, p.low) : std::string("no version");
        out += ", " + (p.dll ? p.machine : std::string("not a DLL")) + "\n";
    }
    for (const Finding& f : report.findings)
        out += std::string(SeverityName(f.severity)) + ": " + f.code + ": " + f.message + "\n";
    out += Plural(report.Errors(), "error") + ", " + Plural(report.Warnings(), "warning") + "\n";
    return out;
}

std::string FormatJson(const CheckInput& input, const CheckReport& report,
                       const std::function<std::string(const std::string&)>& utf8) {
    const auto JsonString = [&utf8](const std::string& text) {
        return Escaped(utf8 ? utf8(text) : text);
    };
    std::string out = "{\"launcher\":" + JsonString(input.launcherPath) + ",\"launcherVersion\":" +
                      (report.launcherVersion.empty() ? "null" : JsonString(report.launcherVersion)) +
                      ",\"settings\":" + JsonString(input.settingsPath) +
                      ",\"folder\":" + JsonString(input.folder) +
                      ",\"signature\":" + (report.signature ? "\"present\"" : "\"none\"") +
                      ",\"payloads\":[";
    for (size_t i = 0; i < report.payloads.size(); ++i) {
        const PayloadReport& p = report.payloads[i];
        if (i) out += ",";
        out += "{\"id\":" + Number(p.id) + ",\"name\":" + JsonString(p.name) +
               ",\"present\":" + (p.present ? "true" : "false") +
               ",\"dll\":" + (p.dll ? "true" : "false") +
               ",\"machine\":" + (p.dll ? JsonString(p.machine) : std::string("null")) +
               ",\"version\":" +
               (p.versionKnown ? JsonString(VersionText(p.high, p.low)) : std::string("null")) + "}";
    }
    out += "],\"findings\":[";
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        if (i) out += ",";
        out += "{\"severity\":" + JsonString(SeverityName(f.severity)) +
               ",\"code\":" + JsonString(f.code) + ",\"message\":" + JsonString(f.message) + "}";
    }
    out += "],\"errors\":" + Number(report.Errors()) +
           ",\"warnings\":" + Number(report.Warnings()) +
           ",\"exit\":" + Number(report.ExitCode()) + "}\n";
    return out;
}

}  // namespace Tarnbolt
