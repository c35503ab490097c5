// The replace-on-restart installer.

#include "launcher.h"

#include "files/path_text.h"
#include "rename_file.h"
#include "system/os_version.h"

#include <vector>

namespace Tarnbolt {
namespace {

// The system-directory path of a pending file: its own name, in the system directory.
std::string TargetOf(const Launcher& launcher, const std::string& source) {
    const LumoBase::PString path = LumoBase::ToBackslashes(LumoBase::PString(source.c_str()));
    return launcher.SystemFilePath(LumoBase::TextAfterLast(path, LumoBase::PString("\\")));
}

}  // namespace

void Launcher::ClearPending() { pending_.clear(); }

void Launcher::AddPending(const std::string& path) { pending_.push_back(path); }

bool Launcher::CommitPending(bool& restartNeeded) {
    restartNeeded = false;
    while (!pending_.empty()) {
        const std::string& source = pending_.front();
        if (!MoveFileA(source.c_str(), TargetOf(*this, source).c_str())) break;
        pending_.pop_front();
    }
    if (pending_.empty()) return true;

    restartNeeded = true;
    // The version query itself: the system information object would bring all of
    // its virtual queries (processor speed, memory, drives) into the launcher.
    return LumoBase::IsWindows9xFamily() ? WriteRenameSection() : ScheduleDelayedMoves();
}

bool Launcher::ScheduleDelayedMoves() {
    while (!pending_.empty()) {
        const std::string& source = pending_.front();
        if (!MoveFileExA(source.c_str(), TargetOf(*this, source).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
            return false;
        pending_.pop_front();
    }
    return true;
}

bool Launcher::WriteRenameSection() {
    std::vector<std::string> lines;
    for (const std::string& source : pending_) lines.push_back(TargetOf(*this, source) + "=" + source);

    const bool written = MergeRenameFile(WindowsFilePath("WININIT.INI"), lines);
    if (written) pending_.clear();
    return written;
}

}  // namespace Tarnbolt
