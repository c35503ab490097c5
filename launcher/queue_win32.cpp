// The replace-on-restart installer.

#include "launcher.h"

#include "files/path_text.h"
#include "files/well_known_directories.h"
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

std::string SystemDirectory() {
    LumoBase::PString directory;
    LumoBase::ReadSystemDirectory(directory);
    return directory;
}

// A deferred entry is a rename done at boot, which cannot cross volumes: a source
// elsewhere is first copied into the system directory under a temporary short
// name. `staged` tells whether `deferred` is such a copy, which is the caller's to
// remove when it ends up unused.
bool DeferredSource(const std::string& source, std::string& deferred, bool& staged) {
    staged = false;
    const std::string system = SystemDirectory();
    if (OnSameVolume(source, system)) {
        deferred = source;
        return true;
    }
    char name[MAX_PATH];
    if (system.empty() || !GetTempFileNameA(system.c_str(), "tb", 0, name)) return false;
    // GetTempFileNameA made the file empty; the copy fills it.
    if (!CopyFileA(source.c_str(), name, FALSE)) {
        DeleteFileA(name);
        return false;
    }
    deferred = name;
    staged = true;
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
        std::string deferred;
        bool staged = false;
        if (!DeferredSource(source, deferred, staged)) return false;
        if (!MoveFileExA(deferred.c_str(), TargetOf(*this, source).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT)) {
            if (staged) DeleteFileA(deferred.c_str());
            return false;
        }
        pending_.pop_front();
    }
    return true;
}

bool Launcher::WriteRenameSection() {
    std::vector<std::string> lines, stagedCopies;
    bool ready = true;
    for (const std::string& source : pending_) {
        std::string deferred, shortSource, shortTarget;
        bool staged = false;
        ready = DeferredSource(source, deferred, staged);
        if (staged) stagedCopies.push_back(deferred);
        // A long name there is never found: the line would do nothing at boot.
        ready = ready && ShortPath(deferred, shortSource) &&
                ShortPath(TargetOf(*this, source), shortTarget);
        if (!ready) break;
        lines.push_back(shortTarget + "=" + shortSource);
    }

    const bool written = ready && MergeRenameFile(WindowsFilePath("WININIT.INI"), lines);
    if (written)
        pending_.clear();
    else
        for (const std::string& copy : stagedCopies) DeleteFileA(copy.c_str());
    return written;
}

}  // namespace Tarnbolt
