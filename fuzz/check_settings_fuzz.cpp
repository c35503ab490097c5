// The packager's check of settings values. Input: the six values separated by
// zero bytes, then bytes of a launcher image. Properties: a report always comes
// back, every finding is one of the documented codes, the exit code follows the
// severities, an empty Run is reported as such and nothing else about Run is, a
// Run that never closes its quote is reported with nothing about its program, and
// a value the launcher keeps whole is never reported as cut; a UTF-16 file is
// reported exactly when it is one. The input's size chooses code page 932 for the
// paths and Run, and a UTF-16 file.
#include "check.h"
#include "launcher.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

namespace {

const std::set<std::string> kCodes = {
    "launcher-unreadable", "launcher-not-pe32", "launcher-not-gui", "launcher-imports",
    "payload-missing", "payload-not-dll", "payload-wrong-arch", "payload-stand-in",
    "payload-no-version", "settings-missing", "preferred-empty", "preferred-malformed",
    "preferred-unmet", "run-empty", "run-cut", "run-missing", "run-climbs", "run-absolute",
    "run-switch-slash", "run-quoted", "run-unclosed-quote", "box-text-empty", "value-cut",
    "settings-bom", "settings-utf16", "signature-misplaced"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::string parts[7];
    size_t at = 0;
    for (int i = 0; i < 6; ++i) {
        const size_t zero = input.find('\0', at);
        if (zero == std::string::npos) return 0;
        parts[i] = input.substr(at, zero - at);
        at = zero + 1;
    }
    parts[6] = input.substr(at);

    Tarnbolt::CheckInput check;
    check.launcherPath = "C:\\Pkg\\setup.exe";
    check.settingsPath = "C:\\Pkg\\setup.ini";
    check.folder = "C:\\Pkg";
    check.settingsExist = true;
    check.whole = Tarnbolt::Settings{parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
    check.seen = check.whole;
    check.seen.run = check.seen.run.substr(0, 511);
    check.launcher.assign(parts[6].begin(), parts[6].end());
    check.fileExists = [](const std::string& path) { return path.size() % 2 == 0; };
    check.settingsUtf16 = (size & 2) != 0;
    if (size & 1) {
        check.runRule = check.pathRule = LumoBase::LeadBytes::CodePage932();
        check.folder = "C:\\\x83\x5c\x83\x74\x83\x67";
    }

    const Tarnbolt::CheckReport report = Tarnbolt::CheckLauncher(check);
    std::vector<Tarnbolt::Finding> findings;
    Tarnbolt::CheckSettings(check, findings);
    bool runEmpty = false, unclosed = false, otherRun = false, cut = false, utf16 = false;
    for (const Tarnbolt::Finding& f : findings) {
        if (!kCodes.count(f.code) || f.message.empty()) std::abort();
        if (f.code == "run-empty") runEmpty = true;
        else if (f.code == "run-unclosed-quote") unclosed = true;
        else if (f.code.compare(0, 4, "run-") == 0 && f.code != "run-cut") otherRun = true;
        if (f.code == "value-cut") cut = true;
        if (f.code == "settings-utf16") utf16 = true;
    }
    if (utf16 != check.settingsUtf16) std::abort();
    if (runEmpty != check.seen.run.empty() || (runEmpty && (otherRun || unclosed))) std::abort();
    // A quote never closed is reported, and nothing about a program that is not started.
    bool quoted = false;
    std::string program, rest;
    const bool split = Tarnbolt::SplitRunValue(check.seen.run, quoted, program, rest);
    if (unclosed == split || (unclosed && otherRun)) std::abort();
    if (cut) std::abort();  // only Run is cut here
    for (const Tarnbolt::Finding& f : report.findings)
        if (!kCodes.count(f.code)) std::abort();
    const int expected = report.Errors() ? 2 : report.Warnings() ? 1 : 0;
    if (report.ExitCode() != expected) std::abort();
    Tarnbolt::FormatJson(check, report);
    Tarnbolt::FormatText(check, report);
    return 0;
}
