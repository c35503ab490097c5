// What a later run reads to tell a restart still to come and what is queued: the
// marker file, WININIT.INI and the delayed-move value, any bytes. Properties: a
// marker read and written again reads back the same, boot identifier included, its
// sources never empty; with both boot identifiers known the verdict follows them
// alone, whatever the queue says; a source merged into any WININIT.INI text is found
// there afterwards, also before a NUL or Ctrl-Z the text held; the delayed moves
// never have an empty or prefixed source; a name found to be a staged copy lies in
// the folder given. Any other result aborts.

#include "launcher.h"
#include "rename_section.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

const char kSystem[] = "C:\\WINDOWS\\SYSTEM";
const char kSource[] = "C:\\WINDOWS\\SYSTEM\\TB1A2B.TMP";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string state, boot;
    std::vector<std::string> deferred;
    Tarnbolt::ParseRestartMarker(text, state, boot, deferred);
    for (const std::string& source : deferred) Require(!source.empty());
    std::string again, bootAgain;
    std::vector<std::string> deferredAgain;
    Tarnbolt::ParseRestartMarker(Tarnbolt::RestartMarkerFile(state, boot, deferred), again, bootAgain,
                                 deferredAgain);
    // A state whose last line lacks its line ending runs into the next line; a boot
    // value holding CR LF is no line of ours.
    if ((state.empty() || (state.size() >= 2 && state.compare(state.size() - 2, 2, "\r\n") == 0)) &&
        boot.find("\r\n") == std::string::npos) {
        Require(again == state);
        Require(bootAgain == boot);
        Require(deferredAgain == deferred);
    }

    using Tarnbolt::RestartFinding;
    for (bool queued : {false, true}) {
        const RestartFinding verdict = Tarnbolt::JudgeRestart(boot, state, queued);
        if (!boot.empty() && !state.empty())
            Require(verdict == (boot == state ? RestartFinding::kStillToCome
                                              : RestartFinding::kWithoutEffect));
        else
            Require(verdict == (queued ? RestartFinding::kStillToCome : RestartFinding::kWithoutEffect));
    }

    // The moves written again as the platform writes them read back the same.
    const auto moves = Tarnbolt::DelayedMoveEntries(text);
    std::string rebuilt;
    bool plain = true;
    for (const auto& move : moves) {
        Require(!move.first.empty());
        Require(Tarnbolt::DelayedMovesHold(text, move.first));
        for (const std::string* path : {&move.first, &move.second})
            plain = plain && path->compare(0, 1, "!") != 0 && path->compare(0, 4, "\\??\\") != 0;
        rebuilt += "\\??\\" + move.first + '\0' + (move.second.empty() ? "" : "!\\??\\" + move.second) + '\0';
    }
    if (plain) Require(Tarnbolt::DelayedMoveEntries(rebuilt) == moves);

    for (const std::string& source : deferred)
        if (Tarnbolt::IsStagedCopyName(source, kSystem)) {
            Require(source.size() > sizeof kSystem);
            Require(source[sizeof kSystem - 1] == '\\');
        }

    const std::string merged =
        Tarnbolt::MergeRenameText(text, {std::string("C:\\WINDOWS\\SYSTEM\\msvcrt.dll=") + kSource});
    Require(Tarnbolt::RenameSectionHolds(merged, kSource));
    // A reader that stops at the first NUL or Ctrl-Z sees it too.
    const size_t stop = merged.find_first_of(std::string("\x1a\0", 2));
    Require(Tarnbolt::RenameSectionHolds(merged.substr(0, stop), kSource));
    return 0;
}
