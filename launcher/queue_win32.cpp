// The replace-on-restart installer.

#include "launcher.h"

#include "files/path_text.h"
#include "files/well_known_directories.h"
#include "rename_file.h"
#include "whole_file.h"
#include "system/os_version.h"
#include "system/registry.h"

#include <vector>

namespace Tarnbolt {
namespace {

// The system-directory path of a target file name.
std::string TargetOf(const Launcher& launcher, const std::string& name) {
    return launcher.SystemFilePath(name);
}

// The file name of a source path.
std::string NameOf(const std::string& source) {
    const LumoBase::PString path = LumoBase::ToBackslashes(LumoBase::PString(source.c_str()));
    return LumoBase::TextAfterLast(path, LumoBase::PString("\\"));
}

std::string SystemDirectory() {
    LumoBase::PString directory;
    LumoBase::ReadSystemDirectory(directory);
    return directory;
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

void RemoveAll(const std::vector<std::string>& files) {
    for (const std::string& file : files) DeleteFileA(file.c_str());
}

}  // namespace

// Every file is written afresh into the system directory, under a temporary short
// name nobody else can have opened, and renamed into place from there: a rename
// cannot cross volumes, keeps the file's security descriptor (one made there takes
// the directory's inheritable permissions, where one from a user's temporary folder
// is readable by that user alone), and what it renames is what was written and
// compared, never a file another program could write meanwhile. The copy is the
// caller's to remove when it ends up unused.
bool Launcher::StageCopy(const PendingFile& file, std::string& staged) const {
    const std::string system = SystemDirectory();
    if (system.empty()) return false;
    std::string read;
    const void* bytes = file.bytes;
    size_t size = file.size;
    if (!bytes) {
        if (!ReadWholeFile(file.source, read)) return false;
        bytes = read.data();
        size = read.size();
    }
    // A fresh name; the platform makes it but leaves the file to us (a number is
    // given), and the file is created new or not at all.
    const UINT first = (GetTickCount() ^ GetCurrentProcessId()) & 0xFFFF;
    for (UINT i = 0; i < 64; ++i) {
        const UINT unique = ((first + i * 40503u) & 0xFFFF) | 1;
        char name[MAX_PATH];
        if (!GetTempFileNameA(system.c_str(), "tb", unique, name)) return false;
        if (GetFileAttributesA(name) != INVALID_FILE_ATTRIBUTES) continue;
        if (!WriteNewFile(name, bytes, size)) return false;
        staged = name;
        return true;
    }
    return false;
}

bool Launcher::PlaceNew(const std::string& name, const void* bytes, size_t size) const {
    PendingFile file;
    file.name = name;
    file.bytes = bytes;
    file.size = size;
    std::string staged;
    if (!StageCopy(file, staged)) return false;
    // A move never replaces a file: one that appeared meanwhile stays.
    if (MoveFileA(staged.c_str(), TargetOf(*this, name).c_str())) return true;
    DeleteFileA(staged.c_str());
    return false;
}

void Launcher::ClearPending() {
    pending_.clear();
    deferred_.clear();
}

void Launcher::AddPending(const std::string& path) {
    PendingFile file;
    file.name = NameOf(path);
    file.source = path;
    pending_.push_back(file);
}

void Launcher::AddPending(const std::string& name, const void* bytes, size_t size) {
    PendingFile file;
    file.name = name;
    file.bytes = bytes;
    file.size = size;
    pending_.push_back(file);
}

std::list<std::string> Launcher::Pending() const {
    std::list<std::string> entries;
    for (const PendingFile& file : pending_) entries.push_back(file.bytes ? file.name : file.source);
    return entries;
}

bool Launcher::CommitPending(bool& restartNeeded, const HandOverRecord& record) {
    restartNeeded = false;
    deferred_.clear();
    while (!pending_.empty()) {
        std::string staged;
        if (!StageCopy(pending_.front(), staged)) break;
        if (!MoveFileA(staged.c_str(), TargetOf(*this, pending_.front().name).c_str())) {
            DeleteFileA(staged.c_str());
            break;
        }
        pending_.pop_front();
    }
    if (pending_.empty()) return true;

    restartNeeded = true;
    // The version query itself: the system information object would bring all of
    // its virtual queries (processor speed, memory, drives) into the launcher.
    return LumoBase::IsWindows9xFamily() ? WriteRenameSection(record) : ScheduleDelayedMoves(record);
}

bool Launcher::ScheduleDelayedMoves(const HandOverRecord& record) {
    deferred_.clear();
    // Every copy first, and on record, before the platform holds any of them: what
    // waits for a boot is always listed.
    std::vector<std::string> staged;
    for (const PendingFile& file : pending_) {
        std::string copy;
        if (!StageCopy(file, copy)) {
            RemoveAll(staged);
            return false;
        }
        staged.push_back(copy);
    }
    if (record && !record(staged)) {
        RemoveAll(staged);
        return false;
    }
    size_t handed = 0;
    for (; handed < staged.size(); ++handed) {
        if (!MoveFileExA(staged[handed].c_str(), TargetOf(*this, pending_.front().name).c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT))
            break;
        deferred_.push_back(staged[handed]);
        pending_.pop_front();
    }
    if (handed == staged.size()) return true;
    // Those handed over stay queued and listed: a run before the next boot queues the
    // rest again and asks for it. The others go.
    RemoveAll(std::vector<std::string>(staged.begin() + handed, staged.end()));
    return false;
}

bool Launcher::WriteRenameSection(const HandOverRecord& record) {
    deferred_.clear();
    std::vector<std::string> lines, staged, shortSources;
    bool ready = true;
    for (const PendingFile& file : pending_) {
        std::string copy, shortSource, shortTarget;
        ready = StageCopy(file, copy);
        if (ready) staged.push_back(copy);
        // A long name there is never found: the line would do nothing at boot.
        ready = ready && ShortPath(copy, shortSource) &&
                ShortPath(TargetOf(*this, file.name), shortTarget);
        if (!ready) break;
        lines.push_back(shortTarget + "=" + shortSource);
        shortSources.push_back(shortSource);
    }

    // The lines go in together or not at all: on record first, as the boot will
    // name them.
    const bool written = ready && (!record || record(shortSources)) &&
                         MergeRenameFile(WindowsFilePath("WININIT.INI"), lines);
    if (written) {
        pending_.clear();
        deferred_ = shortSources;
    } else {
        RemoveAll(staged);
    }
    return written;
}

namespace {

const char kSessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

struct QueuedMove {
    std::string target, source;
};

void AddRenameLines(const std::string& path, std::vector<QueuedMove>& moves) {
    std::string text;
    if (!ReadRenameFile(path, text)) return;
    for (const auto& entry : RenameEntries(text)) moves.push_back({entry.first, entry.second});
}

// What the platform holds for the next start: the [rename] lines of WININIT.INI on
// 95/98/Me, with those a stopped merge set aside beside it (they join the file at
// the next merge); the delayed moves elsewhere, in both values the platform reads.
std::vector<QueuedMove> QueuedMoves(const Launcher& launcher, bool nineX) {
    std::vector<QueuedMove> moves;
    if (nineX) {
        const std::string path = launcher.WindowsFilePath("WININIT.INI");
        AddRenameLines(path, moves);
        const std::string base = path.substr(0, path.size() - 4);
        if (GetFileAttributesA((base + ".TBN").c_str()) != INVALID_FILE_ATTRIBUTES)
            for (const char* side : {".TBO", ".TB1", ".TB2", ".TB3", ".TB4", ".TB5", ".TB6", ".TB7",
                                     ".TB8", ".TB9"})
                AddRenameLines(base + side, moves);
        return moves;
    }
    for (const char* value : {"PendingFileRenameOperations", "PendingFileRenameOperations2"}) {
        std::string text;
        LumoBase::ReadRegistryData(HKEY_LOCAL_MACHINE, kSessionManager, value, text);
        for (const auto& move : DelayedMoveEntries(text)) moves.push_back({move.second, move.first});
    }
    return moves;
}

bool Queued(const std::vector<QueuedMove>& moves, const std::string& source) {
    for (const QueuedMove& move : moves)
        if (SameAsciiPath(move.source, source)) return true;
    return false;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

bool Launcher::StillQueued(const std::vector<std::string>& sources) const {
    if (sources.empty()) return false;
    const std::vector<QueuedMove> moves = QueuedMoves(*this, LumoBase::IsWindows9xFamily());
    for (const std::string& source : sources)
        if (!Exists(source) || !Queued(moves, source)) return false;
    return true;
}

std::vector<std::string> Launcher::QueuedSourcesFor(const std::string& target) const {
    const bool nineX = LumoBase::IsWindows9xFamily();
    // A [rename] line may name the target by its short name.
    std::string shortTarget;
    if (!nineX || !ShortPath(target, shortTarget)) shortTarget = target;
    std::vector<std::string> sources;
    for (const QueuedMove& move : QueuedMoves(*this, nineX))
        if (SameAsciiPath(move.target, target) || SameAsciiPath(move.target, shortTarget))
            sources.push_back(move.source);
    return sources;
}

void Launcher::RemoveUnqueuedCopies(const std::vector<std::string>& sources) const {
    if (sources.empty()) return;
    const std::vector<QueuedMove> moves = QueuedMoves(*this, LumoBase::IsWindows9xFamily());
    // On 95/98/Me the sources were written in their short form.
    const std::string system = SystemDirectory();
    std::string shortSystem;
    ShortPath(system, shortSystem);
    for (const std::string& source : sources) {
        // The marker is a file anyone may have edited: only a name that is one of
        // our copies is ever deleted.
        if (!IsStagedCopyName(source, system) && !IsStagedCopyName(source, shortSystem)) continue;
        if (!Queued(moves, source)) DeleteFileA(source.c_str());
    }
}

}  // namespace Tarnbolt
