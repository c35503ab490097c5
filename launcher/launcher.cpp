// The launcher's portable operations.

#include "launcher.h"

#include "files/path_text.h"
#include "strings/text_split.h"

namespace Tarnbolt {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// A signed decimal number in 32-bit arithmetic: too many digits wrap around, as
// the settings value has always been read.
uint32_t ReadNumber(const std::string& piece) {
    size_t i = 0;
    while (i < piece.size() && IsSpace(piece[i])) ++i;
    bool negative = false;
    if (i < piece.size() && (piece[i] == '+' || piece[i] == '-')) negative = piece[i++] == '-';
    uint32_t value = 0;
    for (; i < piece.size() && piece[i] >= '0' && piece[i] <= '9'; ++i)
        value = value * 10u + static_cast<uint32_t>(piece[i] - '0');
    return negative ? 0u - value : value;
}

}  // namespace

void Launcher::ParseVersion(const std::string& text, uint32_t& high, uint32_t& low) {
    high = 0;
    low = 0;
    // No dot (an empty text, "6", "6,1,8637,0") gives no pieces and so 0.0.0.0.
    const std::vector<std::string> pieces = LumoBase::SplitText(text, ".");
    uint32_t numbers[4] = {0, 0, 0, 0};
    for (size_t n = 0; n < 4 && n < pieces.size(); ++n) numbers[n] = ReadNumber(pieces[n]);
    // The second and fourth numbers are not masked: larger ones spill into the upper half.
    high = (numbers[0] << 16) | numbers[1];
    low = (numbers[2] << 16) | numbers[3];
}

bool Launcher::IsVersionAtLeast(uint32_t preferredHigh, uint32_t preferredLow,
                                uint32_t installedHigh, uint32_t installedLow) {
    if (preferredHigh > installedHigh) return false;
    if (preferredHigh == installedHigh && preferredLow > installedLow) return false;
    return true;
}

bool MayReplaceInstalled(const KnownVersion& payload, const KnownVersion& installed) {
    if (!payload.known) return false;
    return !installed.known ||
           Launcher::IsVersionAtLeast(installed.high, installed.low, payload.high, payload.low);
}

std::string SettingsBaseFromModuleName(const std::string& fileName,
                                       const LumoBase::LeadBytes& rule) {
    size_t slash = rule.FindLast(fileName, '\\');
    size_t dot = rule.Find(fileName, '.', slash == std::string::npos ? 0 : slash);
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

std::string DirectoryOfModuleName(const std::string& fileName, const LumoBase::LeadBytes& rule) {
    size_t slash = rule.FindLast(fileName, '\\');
    return slash == std::string::npos ? fileName : fileName.substr(0, slash);
}

namespace {

// `name` joined below `directory` as FileSpec joins it. The server of a network
// folder (\\server\share) stays apart: collapsing doubled backslashes would lose
// its "\\", and "..\" cannot climb above the share, as it cannot above a drive.
std::string JoinBelow(const std::string& directory, const std::string& name,
                      const LumoBase::LeadBytes& rule) {
    const LumoBase::PString path = LumoBase::ToBackslashes(LumoBase::PString(directory));
    size_t root = 0;
    if (path.compare(0, 2, "\\\\") == 0) {
        const size_t server = rule.Find(path, '\\', 2);
        root = server == std::string::npos ? 2 : server + 1;
    }
    return path.substr(0, root) +
           LumoBase::JoinComponent(LumoBase::PString(path.substr(root)), name.c_str());
}

}  // namespace

namespace {

std::string VersionText(const KnownVersion& version) {
    if (!version.known) return "none";
    return std::to_string(version.high >> 16) + "." + std::to_string(version.high & 0xFFFF) + "." +
           std::to_string(version.low >> 16) + "." + std::to_string(version.low & 0xFFFF);
}

}  // namespace

std::string RestartMarkerText(const KnownVersion& installed, const KnownVersion& payload,
                              uint32_t payloadFingerprint) {
    static const char kHex[] = "0123456789abcdef";
    std::string fingerprint;
    for (int shift = 28; shift >= 0; shift -= 4) fingerprint += kHex[(payloadFingerprint >> shift) & 15];
    return "Tarnbolt restart\r\ninstalled=" + VersionText(installed) +
           "\r\npayload=" + VersionText(payload) + " " + fingerprint + "\r\n";
}

std::string RestartMarkerFile(const std::string& state, const std::string& boot,
                              const std::vector<std::string>& deferred) {
    std::string text = state;
    if (!boot.empty()) text += "boot=" + boot + "\r\n";
    for (const std::string& source : deferred) text += "deferred=" + source + "\r\n";
    return text;
}

void ParseRestartMarker(const std::string& text, std::string& state, std::string& boot,
                        std::vector<std::string>& deferred) {
    static const std::string kDeferred = "deferred=", kBoot = "boot=";
    state.clear();
    boot.clear();
    deferred.clear();
    for (size_t begin = 0; begin < text.size();) {
        size_t end = text.find("\r\n", begin);
        end = end == std::string::npos ? text.size() : end + 2;
        const std::string line = text.substr(begin, end - begin);
        const size_t ending = line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0 ? 2 : 0;
        if (line.compare(0, kDeferred.size(), kDeferred) == 0) {
            const size_t length = line.size() - kDeferred.size() - ending;
            if (length > 0) deferred.push_back(line.substr(kDeferred.size(), length));
        } else if (line.compare(0, kBoot.size(), kBoot) == 0) {
            boot = line.substr(kBoot.size(), line.size() - kBoot.size() - ending);
        } else {
            state += line;
        }
        begin = end;
    }
}

RestartFinding JudgeRestart(const std::string& recordedBoot, const std::string& currentBoot,
                            bool everySourceQueued) {
    if (recordedBoot.empty() || currentBoot.empty())
        return everySourceQueued ? RestartFinding::kStillToCome : RestartFinding::kWithoutEffect;
    return recordedBoot == currentBoot ? RestartFinding::kStillToCome : RestartFinding::kWithoutEffect;
}

bool QueuedSupersedes(const KnownVersion& queued, const KnownVersion& payload) {
    if (!queued.known || !payload.known) return true;
    return Launcher::IsVersionAtLeast(payload.high, payload.low, queued.high, queued.low);
}

std::vector<std::pair<std::string, std::string>> DelayedMoveEntries(const std::string& value) {
    std::vector<std::string> strings;
    for (size_t begin = 0; begin < value.size();) {
        size_t end = value.find('\0', begin);
        if (end == std::string::npos) end = value.size();
        strings.push_back(value.substr(begin, end - begin));
        begin = end + 1;
    }
    // "!" marks a target the move may replace; a source never carries it.
    const auto plain = [](std::string path, bool target) {
        if (target && !path.empty() && path[0] == '!') path.erase(0, 1);
        if (path.compare(0, 4, "\\??\\") == 0) path.erase(0, 4);
        return path;
    };
    std::vector<std::pair<std::string, std::string>> moves;
    // A source is never empty: the empty strings between pairs (the value's own
    // end, a writer's stray terminator) are passed over.
    for (size_t i = 0; i < strings.size(); ++i) {
        if (strings[i].empty()) continue;
        const std::string target = i + 1 < strings.size() ? strings[i + 1] : std::string();
        const std::string source = plain(strings[i], false);
        if (!source.empty()) moves.emplace_back(source, plain(target, true));
        ++i;
    }
    return moves;
}

namespace {

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsHexDigit(char c) {
    c = FoldAscii(c);
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

bool SameAsciiPath(const std::string& a, const std::string& b, const LumoBase::LeadBytes& rule) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        const size_t next = rule.Next(a, i);
        if (rule.Next(b, i) != next) return false;
        if (next == i + 1 ? FoldAscii(a[i]) != FoldAscii(b[i]) : a.compare(i, 2, b, i, 2) != 0)
            return false;
        i = next;
    }
    return true;
}

bool IsStagedCopyName(const std::string& path, const std::string& directory,
                      const LumoBase::LeadBytes& rule) {
    const size_t slash = rule.FindLast(path, '\\');
    if (slash == std::string::npos || directory.empty() ||
        !SameAsciiPath(path.substr(0, slash), directory, rule))
        return false;
    const std::string name = path.substr(slash + 1);
    if (name.size() < 7 || name.size() > 10 || FoldAscii(name[0]) != 't' || FoldAscii(name[1]) != 'b')
        return false;
    const size_t digits = name.size() - 6;
    for (size_t i = 2; i < 2 + digits; ++i)
        if (!IsHexDigit(name[i])) return false;
    return SameAsciiPath(name.substr(name.size() - 4), ".tmp", rule);
}

bool DelayedMovesHold(const std::string& value, const std::string& path,
                      const LumoBase::LeadBytes& rule) {
    for (const auto& move : DelayedMoveEntries(value))
        if (SameAsciiPath(move.first, path, rule)) return true;
    return false;
}

uint32_t Fingerprint(const unsigned char* bytes, size_t size, uint32_t hash) {
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
    return hash;
}

bool SplitRunValue(const std::string& value, bool& quoted, std::string& program,
                   std::string& rest) {
    const size_t start = value.find_first_not_of('/');
    quoted = start != std::string::npos && value[start] == '"';
    rest.clear();
    if (quoted) {
        const size_t close = value.find('"', start + 1);
        program = value.substr(start + 1, close == std::string::npos ? close : close - start - 1);
        if (close == std::string::npos) return false;
        rest = value.substr(close + 1);
    } else {
        // The platform ends an unquoted program at a blank or a tab.
        const size_t blank = value.find_first_of(" \t");
        program = value.substr(0, blank);
        if (blank != std::string::npos) rest = value.substr(blank);
    }
    return true;
}

std::string RunCommandFor(const std::string& directory, const std::string& value,
                          const LumoBase::LeadBytes& rule) {
    bool quoted = false;
    std::string program, rest;
    // Where the program ends is anybody's guess: nothing is started.
    if (!SplitRunValue(value, quoted, program, rest)) return "";
    // Only the program is a path below the folder: arguments resolved with it could
    // name another program ("app.exe tools\..\helper.exe"). They keep only the
    // switch-slash conversion ("/" is never a trail byte).
    for (char& c : rest)
        if (c == '/') c = '\\';
    const std::string path = JoinBelow(directory, program, rule);
    // An unquoted path with a blank lets the platform try a shorter program first
    // (C:\Program.exe for C:\Program Files\...): the program is quoted, once.
    if (quoted || directory.find(' ') != std::string::npos) return "\"" + path + "\"" + rest;
    return path + rest;
}

std::string RunProgramFor(const std::string& directory, const std::string& value,
                          const LumoBase::LeadBytes& rule) {
    bool quoted = false;
    std::string program, rest;
    if (!SplitRunValue(value, quoted, program, rest)) return "";
    return JoinBelow(directory, program, rule);
}

}  // namespace Tarnbolt
