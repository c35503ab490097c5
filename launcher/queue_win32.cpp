// The replace-on-restart installer.

#include "launcher.h"

#include "files/path_text.h"
#include "files/well_known_directories.h"
#include "rename_file.h"
#include "system/os_version.h"
#include "system/registry.h"

#include <vector>

namespace Tarnbolt {
namespace {

// The system-directory path of a pending file: its own name, in the system directory.
std::string TargetOf(const Launcher& launcher, const std::string& source) {
    const LumoBase::PString path = LumoBase::ToBackslashes(LumoBase::PString(source.c_str()));
    return launcher.SystemFilePath(LumoBase::TextAfterLast(path, LumoBase::PString("\\")));
}

std::string SystemDirectory() {
    LumoBase::PString directory;
    LumoBase::ReadSystemDirectory(directory);
    return directory;
}

// A deferred entry is a rename done at boot, from a copy in the system directory
// under a fresh temporary short name: the rename cannot cross volumes, keeps the
// file's security descriptor (a copy made there takes the directory's inheritable
// permissions, where one in a user's temporary folder is readable by that user
// alone), and a temporary folder may be emptied before the boot. The copy is the
// caller's to remove when it ends up unused; the fresh name is made by the
// platform, so no other run can be writing into it.
bool StageCopy(const std::string& source, std::string& staged) {
    const std::string system = SystemDirectory();
    char name[MAX_PATH];
    if (system.empty() || !GetTempFileNameA(system.c_str(), "tb", 0, name)) return false;
    // GetTempFileNameA made the file empty; the copy fills it.
    if (!CopyFileA(source.c_str(), name, FALSE)) {
        DeleteFileA(name);
        return false;
    }
    staged = name;
    return true;
}

// The short (8.3) form of a path, which is all the boot-time processor of
// 95/98/Me reads. A file that does not exist yet keeps its own name below its
// folder's short form. False when there is none.
bool ShortPath(const std::string& path, std::string& shortPath) {
    char buffer[MAX_PATH];
    DWORD length = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (length != 0 && length < sizeof buffer) {
        shortPath.assign(buffer, length);
        return true;
    }
    const std::string name =
        LumoBase::TextAfterLast(LumoBase::PString(path.c_str()), LumoBase::PString("\\"));
    if (name.empty() || name.size() >= path.size()) return false;
    const std::string folder = path.substr(0, path.size() - name.size() - 1);
    length = GetShortPathNameA(folder.c_str(), buffer, sizeof buffer);
    if (length == 0 || length >= sizeof buffer) return false;
    shortPath = std::string(buffer, length) + "\\" + name;
    return true;
}

}  // namespace

void Launcher::ClearPending() {
    pending_.clear();
    deferred_.clear();
}

void Launcher::AddPending(const std::string& path) { pending_.push_back(path); }

bool Launcher::CommitPending(bool& restartNeeded) {
    restartNeeded = false;
    while (!pending_.empty()) {
        // Through a copy made in the system directory too: a file moved there
        // straight from a temporary folder inside a user's profile would keep
        // permissions that let that user alone read it.
        const std::string& source = pending_.front();
        std::string staged;
        if (!StageCopy(source, staged)) break;
        if (!MoveFileA(staged.c_str(), TargetOf(*this, source).c_str())) {
            DeleteFileA(staged.c_str());
            break;
        }
        pending_.pop_front();
    }
    if (pending_.empty()) return true;

    restartNeeded = true;
    // The version query itself: the system information object would bring all of
    // its virtual queries (processor speed, memory, drives) into the launcher.
    return LumoBase::IsWindows9xFamily() ? WriteRenameSection() : ScheduleDelayedMoves();
}

bool Launcher::ScheduleDelayedMoves() {
    deferred_.clear();
    while (!pending_.empty()) {
        const std::string& source = pending_.front();
        std::string staged;
        if (!StageCopy(source, staged)) return false;
        if (!MoveFileExA(staged.c_str(), TargetOf(*this, source).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
            DeleteFileA(staged.c_str());
            return false;
        }
        deferred_.push_back(staged);
        pending_.pop_front();
    }
    return true;
}

bool Launcher::WriteRenameSection() {
    deferred_.clear();
    std::vector<std::string> lines, staged, shortSources;
    bool ready = true;
    for (const std::string& source : pending_) {
        std::string copy, shortSource, shortTarget;
        ready = StageCopy(source, copy);
        if (ready) staged.push_back(copy);
        // A long name there is never found: the line would do nothing at boot.
        ready = ready && ShortPath(copy, shortSource) &&
                ShortPath(TargetOf(*this, source), shortTarget);
        if (!ready) break;
        lines.push_back(shortTarget + "=" + shortSource);
        shortSources.push_back(shortSource);
    }

    const bool written = ready && MergeRenameFile(WindowsFilePath("WININIT.INI"), lines);
    if (written) {
        pending_.clear();
        deferred_ = shortSources;
    } else {
        for (const std::string& copy : staged) DeleteFileA(copy.c_str());
    }
    return written;
}

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

// What the platform holds for the next start: the text of WININIT.INI on 95/98/Me,
// the value of the delayed moves elsewhere; empty when there is none.
std::string QueuedText(const Launcher& launcher, bool nineX) {
    std::string text;
    if (nineX)
        ReadRenameFile(launcher.WindowsFilePath("WININIT.INI"), text);
    else
        LumoBase::ReadRegistryData(HKEY_LOCAL_MACHINE, kSessionManager, "PendingFileRenameOperations",
                                   text);
    return text;
}

bool Queued(const std::string& queued, const std::string& source, bool nineX) {
    return nineX ? RenameSectionHolds(queued, source) : DelayedMovesHold(queued, source);
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool Launcher::StillQueued(const std::vector<std::string>& sources) const {
    if (sources.empty()) return false;
    const bool nineX = LumoBase::IsWindows9xFamily();
    const std::string queued = QueuedText(*this, nineX);
    for (const std::string& source : sources)
        if (!Exists(source) || !Queued(queued, source, nineX)) return false;
    return true;
}

void Launcher::RemoveUnqueuedCopies(const std::vector<std::string>& sources) const {
    if (sources.empty()) return;
    const bool nineX = LumoBase::IsWindows9xFamily();
    const std::string queued = QueuedText(*this, nineX);
    // On 95/98/Me the sources were written in their short form.
    const std::string system = SystemDirectory();
    std::string shortSystem;
    ShortPath(system, shortSystem);
    for (const std::string& source : sources) {
        // The marker is a file anyone may have edited: only a name that is one of
        // our copies is ever deleted.
        if (!IsStagedCopyName(source, system) && !IsStagedCopyName(source, shortSystem)) continue;
        if (!Queued(queued, source, nineX)) DeleteFileA(source.c_str());
    }
}

}  // namespace Tarnbolt
