#include "tool.h"

#include "check.h"
#include "image_version.h"
#include "launcher.h"
#include "pe_image.h"
#include "pe_stamp.h"
#include "settings.h"
#include "tool_platform.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <utility>

namespace Tarnbolt {
namespace {

const char kUsage[] =
    "usage: tarnbolt-tool --version\n"
    "       tarnbolt-tool check LAUNCHER.exe [SETTINGS.ini] [--dir FOLDER] [--json]\n"
    "       tarnbolt-tool stamp LAUNCHER.exe [--msvcrt F] [--msvcp60 F] [--msvcirt F]\n"
    "                           [--comctl32 F] -o OUT.exe [--settings SETTINGS.ini] [--json]\n"
    "both take --arch x86-64 for the x86-64 test build of the launcher (default i386)\n"
    "and --codepage N, the ANSI code page of the Windows the launcher runs on (default 1252)\n";

// stamp's answer for a signed launcher: the remedy differs from any other refusal.
const int kExitSigned = 3;

const char kCodePages[] = "--codepage takes a Windows ANSI code page: 874, 932, 936, 949, 950 or 1250 to 1258";

// The product is a 32-bit launcher, and every build of the tool checks for one
// unless told otherwise (--arch x86-64: the x86-64 test build of the launcher).
const uint16_t kI386 = 0x14c, kX64 = 0x8664;

// The ANSI code pages of Windows (the Linux tool reads Run's bytes in one of them).
bool ParseCodePage(const std::string& text, unsigned& codePage) {
    static const unsigned known[] = {874,  932,  936,  949,  950,  1250, 1251,
                                     1252, 1253, 1254, 1255, 1256, 1257, 1258};
    for (unsigned page : known) {
        if (text == std::to_string(page)) {
            codePage = page;
            return true;
        }
    }
    return false;
}

bool ParseArch(const std::string& name, uint16_t& machine) {
    if (name == "i386") machine = kI386;
    else if (name == "x86-64") machine = kX64;
    else return false;
    return true;
}

const std::vector<std::string>& AllowList(uint16_t machine) {
    static const std::vector<std::string> launcher = {
#include "import_allowlist.inc"
    };
    static const std::vector<std::string> x64 = [] {
        std::vector<std::string> list = launcher;
        list.insert(list.end(), {
#include "import_allowlist_x64.inc"
        });
        return list;
    }();
    return machine == kX64 ? x64 : launcher;
}

using namespace ToolPlatform;

bool ReadBytes(const std::string& path, std::vector<unsigned char>& bytes) {
    std::FILE* file = std::fopen(NativePath(path).c_str(), "rb");
    if (!file) return false;
    std::string text;
    const bool read = ReadWholeText(file, text);
    std::fclose(file);
    if (!read) return false;
    bytes.assign(text.begin(), text.end());
    return true;
}

std::string Folder(const std::string& path) {
    const size_t slash = PathLeadBytes().FindLast(path, '\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The value after an option, or false when there is none.
bool Value(const std::vector<std::string>& args, size_t& i, std::string& value) {
    if (i + 1 >= args.size()) return false;
    value = args[++i];
    return true;
}

int Usage(std::string& err, const std::string& why) {
    err += "tarnbolt-tool: " + why + "\n" + kUsage;
    return 2;
}

int Check(const std::string& launcher, const std::string& settings, const std::string& dir,
          uint16_t machine, unsigned codePage, bool json, std::string& out, std::string& err) {
    CheckInput input;
    input.launcherPath = FullPath(launcher);
    if (!ReadBytes(input.launcherPath, input.launcher)) {
        err += "tarnbolt-tool: cannot read " + input.launcherPath + "\n";
        return 2;
    }
    // The file the launcher itself reads, unless another is named.
    input.settingsPath =
        settings.empty() ? SettingsBaseFromModuleName(input.launcherPath) + ".ini" : FullPath(settings);
    input.folder = dir.empty() ? Folder(input.settingsPath) : FullPath(dir);
    while (input.folder.size() > 3 && input.folder.back() == '\\') input.folder.pop_back();
    if (input.folder.size() == 3 && input.folder[1] == ':') input.folder.resize(2);
    input.settingsExist = IsFile(input.settingsPath);
    std::vector<unsigned char> settingsBytes;
    if (input.settingsExist && ReadBytes(input.settingsPath, settingsBytes)) {
        const auto starts = [&settingsBytes](std::initializer_list<unsigned char> mark) {
            return settingsBytes.size() >= mark.size() &&
                   std::equal(mark.begin(), mark.end(), settingsBytes.begin());
        };
        input.settingsUtf8Bom = starts({0xEF, 0xBB, 0xBF});
        input.settingsUtf16 = starts({0xFF, 0xFE}) || starts({0xFE, 0xFF});
    }
    if (input.settingsExist) {
        ReadSettingsFile(input.settingsPath, input.seen, kSettingBufferSize);
        // Large enough to tell a value the launcher cuts from one it keeps whole.
        ReadSettingsFile(input.settingsPath, input.whole, 65536);
    }
    input.machine = machine;
    input.allowList = &AllowList(machine);
    input.fileExists = IsFile;
    input.fileSystemText = [codePage](const std::string& run) { return FileSystemText(run, codePage); };
    input.runRule = RunLeadBytes(codePage);
    input.pathRule = PathLeadBytes();

    const CheckReport report = CheckLauncher(input);
    out += json ? FormatJson(input, report, Utf8FromAnsi) : FormatText(input, report);
    return report.ExitCode();
}

struct StampSource {
    const char* option;
    int id;
    const char* name;
    std::string path;
};

int Stamp(const std::vector<std::string>& args, std::string& out, std::string& err) {
    StampSource sources[] = {{"--msvcrt", kPayloadMsvcrt, "msvcrt.dll", ""},
                             {"--msvcp60", kPayloadMsvcp60, "msvcp60.dll", ""},
                             {"--msvcirt", kPayloadMsvcirt, "msvcirt.dll", ""},
                             {"--comctl32", kPayloadComctl32, "comctl32.dll", ""}};
    std::string launcher, output, settings, arch, page;
    uint16_t machine = kI386;
    unsigned codePage = 1252;
    bool json = false;
    for (size_t i = 1; i < args.size(); ++i) {
        bool known = false;
        for (StampSource& source : sources) {
            if (args[i] == source.option) {
                if (!Value(args, i, source.path)) return Usage(err, args[i] + " needs a file");
                known = true;
            }
        }
        if (known) continue;
        if (args[i] == "-o") {
            if (!Value(args, i, output)) return Usage(err, "-o needs a file");
        } else if (args[i] == "--settings") {
            if (!Value(args, i, settings)) return Usage(err, "--settings needs a file");
        } else if (args[i] == "--json") {
            json = true;
        } else if (args[i] == "--arch") {
            if (!Value(args, i, arch) || !ParseArch(arch, machine))
                return Usage(err, "--arch takes i386 or x86-64");
        } else if (args[i] == "--codepage") {
            if (!Value(args, i, page) || !ParseCodePage(page, codePage))
                return Usage(err, kCodePages);
        } else if (!args[i].empty() && args[i][0] == '-') {
            return Usage(err, "unknown option " + args[i]);
        } else if (launcher.empty()) {
            launcher = args[i];
        } else {
            return Usage(err, "one launcher only");
        }
    }
    if (launcher.empty()) return Usage(err, "no launcher named");
    if (output.empty()) return Usage(err, "no output named (-o)");
    launcher = FullPath(launcher);
    output = FullPath(output);
    if (!settings.empty()) settings = FullPath(settings);
    // No input is ever written: the output is none of them, however it is spelt.
    std::vector<std::pair<std::string, std::string>> inputs = {{"the launcher", launcher}};
    for (StampSource& source : sources) {
        if (source.path.empty()) continue;
        source.path = FullPath(source.path);
        inputs.push_back({"the library given as " + std::string(source.option), source.path});
    }
    if (!settings.empty()) inputs.push_back({"the settings file", settings});
    for (const auto& input : inputs) {
        if (SamePath(input.second, output)) {
            err += "tarnbolt-tool: the output must not be " + input.first + " (" + input.second +
                   "): an input is never written\n";
            return 2;
        }
    }
    if (IsReadOnly(output)) {
        err += "tarnbolt-tool: " + output + " is read-only: it is not replaced\n";
        return 2;
    }

    std::vector<unsigned char> image;
    if (!ReadBytes(launcher, image)) {
        err += "tarnbolt-tool: cannot read " + launcher + "\n";
        return 2;
    }
    PeInfo launcherInfo;
    if (ReadPeInfo(image.data(), image.size(), launcherInfo) &&
        (launcherInfo.certificateOffset || launcherInfo.certificateSize)) {
        err += "tarnbolt-tool: " + launcher + " is signed, and stamping would break its signature: "
               "stamp the unsigned launcher, then sign the stamped copy\n";
        return kExitSigned;
    }
    uint32_t preferredHigh = 0, preferredLow = 0;
    if (!settings.empty()) {
        if (!IsFile(settings)) {
            err += "tarnbolt-tool: there is no settings file " + settings + "\n";
            return 2;
        }
        Settings read;
        ReadSettingsFile(settings, read, kSettingBufferSize);
        Launcher::ParseVersion(read.preferredVersion, preferredHigh, preferredLow);
    }

    std::vector<StampItem> items;
    bool refused = false;
    for (const StampSource& source : sources) {
        if (source.path.empty()) continue;
        StampItem item;
        item.id = static_cast<uint32_t>(source.id);
        const std::string& path = source.path;
        PeInfo info;
        uint32_t high = 0, low = 0;
        std::string fault;
        if (!ReadBytes(path, item.bytes))
            fault = "cannot be read";
        else if (!ReadPeInfo(item.bytes.data(), item.bytes.size(), info) || !info.isDll)
            fault = "is not a DLL";
        else if (info.machine != machine)
            fault = "is an " + MachineName(info.machine) + " library, not " + MachineName(machine);
        else if (IsStandIn(item.bytes.data(), item.bytes.size()))
            fault = "is a stand-in, not a library to install";
        else if (!ReadImageFixedVersion(item.bytes.data(), item.bytes.size(), high, low))
            fault = "has no readable file version";
        else if (source.id == kPayloadMsvcrt && !settings.empty() &&
                 !Launcher::IsVersionAtLeast(preferredHigh, preferredLow, high, low))
            fault = "is " + VersionText(high, low) + ", older than PreferredVersion " +
                    VersionText(preferredHigh, preferredLow);
        if (!fault.empty()) {
            err += "tarnbolt-tool: " + std::string(source.option + 2) + " " + path + " " + fault + "\n";
            refused = true;
        }
        items.push_back(std::move(item));
    }
    if (refused) return 2;
    if (items.empty()) return Usage(err, "no library named");

    std::vector<unsigned char> stamped;
    if (!StampResources(image, "DLL", items, stamped)) {
        err += "tarnbolt-tool: " + launcher + " cannot take the libraries (not a launcher image, "
               "bytes after its last section, or no room for a section header)\n";
        return 2;
    }
    if (!WriteVerifiedFile(output, stamped)) {
        err += "tarnbolt-tool: " + output + " could not be written; nothing was left behind\n";
        return 2;
    }
    out += "stamped " + output + "\n";
    return Check(output, settings, "", machine, codePage, json, out, err);
}

}  // namespace

bool WriteVerifiedFile(const std::string& path, const std::vector<unsigned char>& bytes,
                       StreamWrite write) {
    // A side file of a name nobody has yet: created new, it is neither an input
    // nor anyone's file.
    std::string side;
    std::FILE* file = nullptr;
    for (int n = 1; !file && n <= 100; ++n) {
        side = path + ".tbnew" + (n == 1 ? std::string() : std::to_string(n));
        file = CreateNew(side);
    }
    if (!file) return false;
    const std::string text(bytes.begin(), bytes.end());
    bool ok = WriteWholeText(file, text, write) && Flush(file);
    // A failed close may have lost buffered bytes.
    if (std::fclose(file) != 0) ok = false;
    std::vector<unsigned char> back;
    ok = ok && ReadBytes(side, back) && back == bytes && Replace(side, path);
    if (!ok) Remove(side);
    return ok;
}

int ToolMain(const std::vector<std::string>& args, std::string& out, std::string& err) {
    if (args.empty()) return Usage(err, "no command");
    if (args[0] == "--version") {
        out += "tarnbolt-tool " TARNBOLT_VERSION "\n";
        return 0;
    }
    if (args[0] == "check") {
        std::string launcher, settings, dir, arch, page;
        uint16_t machine = kI386;
        unsigned codePage = 1252;
        bool json = false;
        for (size_t i = 1; i < args.size(); ++i) {
            if (args[i] == "--json") {
                json = true;
            } else if (args[i] == "--arch") {
                if (!Value(args, i, arch) || !ParseArch(arch, machine))
                    return Usage(err, "--arch takes i386 or x86-64");
            } else if (args[i] == "--codepage") {
                if (!Value(args, i, page) || !ParseCodePage(page, codePage)) return Usage(err, kCodePages);
            } else if (args[i] == "--dir") {
                if (!Value(args, i, dir)) return Usage(err, "--dir needs a folder");
            } else if (!args[i].empty() && args[i][0] == '-') {
                return Usage(err, "unknown option " + args[i]);
            } else if (launcher.empty()) {
                launcher = args[i];
            } else if (settings.empty()) {
                settings = args[i];
            } else {
                return Usage(err, "too many files");
            }
        }
        if (launcher.empty()) return Usage(err, "no launcher named");
        return Check(launcher, settings, dir, machine, codePage, json, out, err);
    }
    if (args[0] == "stamp") return Stamp(args, out, err);
    return Usage(err, "unknown command " + args[0]);
}

}  // namespace Tarnbolt
