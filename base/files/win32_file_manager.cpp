#include "files/win32_file_manager.h"

#include "files/file_system_calls.h"
#include "files/path_containment.h"
#include "files/path_text.h"

#include <memory>
#include <new>
#include <vector>

namespace LumoBase {
namespace {

const char kWildcard[] = "*";
const unsigned short kWildcardWide[] = {'*', 0};

// Runs one operation; whatever it throws (memory running out while a path or a
// list grows) becomes a false answer, as the file manager throws nothing.
template <class Operation>
bool Answer(Operation operation) {
    try {
        return operation();
    } catch (...) {
        return false;
    }
}

AFileSpec Child(const AFileSpec& directory, const PString& name) {
    AFileSpec child(directory);
    child.AppendComponent(name);
    return child;
}

AFileSpec WildcardPattern(const AFileSpec& directory) { return Child(directory, kWildcard); }

// The directory a pattern's entries lie in, as a path to put their names under.
// Not GetDirectory, which answers the whole path when the pattern names an
// existing directory, so that its entries would be placed one level too deep. A
// pattern without a directory part lists the current directory, and its entries
// keep that form; one relative to the root or to a drive's current directory
// (\*.log, C:*.log) is made whole, so that its entries name the files listed
// rather than those of the same names in the current directory. False when that
// cannot be done.
bool PatternDirectory(const AFileSpec& pattern, PString& directory, PString& name) {
    SplitPattern(pattern.GetFullPath(), directory, name);
    const bool rootedOnly =
        !directory.empty() && !IsFullPath(directory) &&
        (directory[0] == '\\' || (directory.size() >= 2 && directory[1] == ':'));
    if (!rootedOnly) return true;
    PString full;
    if (!FileSystemCalls::FullPathOf(directory.c_str(), full)) return false;
    directory = full;
    return true;
}

// name inside directory as PatternDirectory answered it.
AFileSpec Entry(const PString& directory, const PString& name) {
    if (directory.empty()) return AFileSpec(name);
    AFileSpec entry(directory);
    entry.AppendComponent(name);
    return entry;
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The platform's full form of spec's path; false when it has none.
bool Resolved(const AFileSpec& spec, PString& full) {
    return spec.IsValid() && FileSystemCalls::FullPathOf(spec.GetFullPath().c_str(), full);
}

// Whether copying the tree at source to destination (writing destination\r for
// each r below source) would write into the source itself: when the destination
// is the source or lies below it, or when the source lies below the destination
// and holds the part of its own path below it (C:\t\tool to C:\t while
// C:\t\tool\tool exists: the copy of tool\tool would land on the source). Judged
// on the platform's full paths, so "..", "." and doubled separators make no
// difference, and without regard to case. True also when the paths cannot be
// resolved: the copy is then refused.
bool CopyWouldOverlap(const AFileSpec& source, const AFileSpec& destination) {
    PString from, to;
    if (!Resolved(source, from) || !Resolved(destination, to)) return true;
    if (IsSameOrInside(to, from)) return true;
    const PString below = PartBelow(from, to);
    if (below.empty()) return false;
    return Child(AFileSpec(from), below).Exists();
}

// Whether two file specs name the same entry, by their full paths.
bool SamePlace(const AFileSpec& a, const AFileSpec& b) {
    PString one, other;
    if (!Resolved(a, one) || !Resolved(b, other)) return false;
    return IsSameOrInside(one, other) && IsSameOrInside(other, one);
}

}  // namespace

WIN32_FileManager::WIN32_FileManager() {}

WIN32_FileManager::~WIN32_FileManager() {}

bool WIN32_FileManager::MakeDirectory(const AFileSpec& spec) {
    return Answer([&] { return FileSystemCalls::MakeDirectoryAt(spec.GetFullPath().c_str()); });
}

bool WIN32_FileManager::DeleteDirectory(const AFileSpec& spec, bool recursive) {
    return Answer([&] {
        if (!spec.IsValid() || !spec.IsDirectory()) return false;
        // A link (junction or symbolic link) is removed as it is: what it points
        // to lies outside the tree.
        if (recursive && !FileSystemCalls::IsLinkAt(spec.GetFullPath().c_str())) {
            FileSpecList subdirectories;
            if (!ListSubdirectories(spec, subdirectories)) return false;
            // A subtree that stays behind makes the removal below fail.
            for (const AFileSpec& subdirectory : subdirectories)
                DeleteDirectory(subdirectory, true);
            if (!DeleteFilesIn(spec, false)) return false;
        }
        return FileSystemCalls::RemoveDirectoryAt(spec.GetFullPath().c_str());
    });
}

bool WIN32_FileManager::CopyDirectory(const AFileSpec& source, const AFileSpec& destination,
                                      bool overwrite, bool recursive, bool create) {
    return Answer([&] {
        if (!source.IsValid() || !source.IsDirectory() || !destination.IsValid()) return false;
        // Into its own tree the copy would copy itself without end, or over the
        // source: refused before anything is made.
        if (recursive && CopyWouldOverlap(source, destination)) return false;
        if (create && !DirectoryExists(destination)) {
            CreateParentDirectories(destination);
            MakeDirectory(destination);
        }
        if (!destination.IsValid() || !destination.IsDirectory()) return false;
        if (!recursive) return true;

        FileSpecList subdirectories;
        if (!ListSubdirectories(source, subdirectories)) return false;
        for (const AFileSpec& subdirectory : subdirectories) {
            if (!CopyDirectory(subdirectory, Child(destination, subdirectory.GetFileName()),
                               overwrite, recursive, true))
                return false;
        }
        return CopyFilesIn(source, destination, overwrite, false, true);
    });
}

bool WIN32_FileManager::MoveDirectory(const AFileSpec& source, const AFileSpec& destination,
                                      bool overwrite) {
    return Answer([&] {
        // Removing the source afterwards would take a copy inside it along, and a
        // directory moved onto itself would be gone.
        if (!source.IsValid() || !source.IsDirectory() || CopyWouldOverlap(source, destination))
            return false;
        if (!CopyDirectory(source, destination, overwrite, true, true)) return false;
        return DeleteDirectory(source, true);
    });
}

bool WIN32_FileManager::RelocateDirectory(const AFileSpec& source, const AFileSpec& destination,
                                          bool overwrite) {
    return MoveDirectory(source, destination, overwrite);
}

bool WIN32_FileManager::ListDirectories(FileSpecList& list, const AFileSpec& pattern,
                                        bool recursive) {
    return Answer([&] {
        std::unique_ptr<FileSpecList> found(Enumerate(pattern, recursive, true, false, nullptr));
        if (!found) return false;
        list.swap(*found);
        return true;
    });
}

bool WIN32_FileManager::CreateEmptyFile(const AFileSpec& spec, bool overwrite) {
    return Answer(
        [&] { return FileSystemCalls::CreateEmptyFileAt(spec.GetFullPath().c_str(), overwrite); });
}

bool WIN32_FileManager::CopySingleFile(const AFileSpec& source, const AFileSpec& destination,
                                       bool overwrite, bool create) {
    return Answer([&] {
        if (!source.IsValid() || !source.Exists() || source.IsDirectory() ||
            !destination.IsValid())
            return false;
        // A file copied onto itself (the same path in other words or case) would
        // be lost by the move that deletes the source afterwards.
        if (SamePlace(source, destination)) return false;
        // The copy itself tells whether the directories could be made.
        if (create && !FileExists(destination)) CreateParentDirectories(destination);
        return FileSystemCalls::CopyFileTo(source.GetFullPath().c_str(),
                                           destination.GetFullPath().c_str(), overwrite);
    });
}

bool WIN32_FileManager::DeleteSingleFile(const AFileSpec& spec) {
    return Answer([&] {
        if (!spec.IsValid() || !spec.Exists() || spec.IsDirectory()) return false;
        return FileSystemCalls::DeleteFileAt(spec.GetFullPath().c_str());
    });
}

bool WIN32_FileManager::MoveSingleFile(const AFileSpec& source, const AFileSpec& destination,
                                       bool overwrite) {
    return Answer([&] {
        if (!CopySingleFile(source, destination, overwrite, true)) return false;
        return DeleteSingleFile(source);
    });
}

bool WIN32_FileManager::RelocateSingleFile(const AFileSpec& source,
                                           const AFileSpec& destination, bool overwrite) {
    return MoveSingleFile(source, destination, overwrite);
}

bool WIN32_FileManager::ListEntries(FileSpecList& list, const AFileSpec& pattern,
                                    bool recursive) {
    return Answer([&] {
        std::unique_ptr<FileSpecList> found(Enumerate(pattern, recursive, false, false, nullptr));
        if (!found) return false;
        list.swap(*found);
        return true;
    });
}

bool WIN32_FileManager::DeleteMatching(const AFileSpec& pattern, bool recursive) {
    return Answer([&] {
        FileSpecList entries;
        if (!ListEntries(entries, pattern, recursive)) return false;
        for (const AFileSpec& entry : entries)
            if (!DeleteSingleFile(entry)) return false;
        return true;
    });
}

bool WIN32_FileManager::DeleteFilesIn(const AFileSpec& directory, bool recursive) {
    return Answer([&] {
        if (!directory.IsValid() || !directory.IsDirectory()) return false;
        return DeleteMatching(WildcardPattern(directory), recursive);
    });
}

bool WIN32_FileManager::CopyMatching(const AFileSpec& destination, const AFileSpec& pattern,
                                     bool overwrite, bool recursive, bool mirror) {
    return Answer([&] {
        if (!destination.IsValid() || !destination.IsDirectory()) return false;
        const PString name = pattern.GetFileName();

        if (recursive) {
            // Into its own tree the copy would find its own new folders and files;
            // mirrored into a parent it could land on the source.
            PString directory, last, from, to;
            if (!PatternDirectory(pattern, directory, last)) return false;
            const AFileSpec source(directory.empty() ? PString(".") : directory);
            if (mirror ? CopyWouldOverlap(source, destination)
                       : !Resolved(source, from) || !Resolved(destination, to) ||
                             IsSameOrInside(to, from))
                return false;
            FileSpecList subdirectories;
            if (!ListSubdirectories(AFileSpec(pattern.GetDirectory()), subdirectories))
                return false;
            for (const AFileSpec& subdirectory : subdirectories) {
                const AFileSpec subpattern = Child(subdirectory, name);
                if (mirror) {
                    const AFileSpec mirrored = Child(destination, subdirectory.GetFileName());
                    if (!DirectoryExists(mirrored) && !MakeDirectory(mirrored)) return false;
                    if (!mirrored.IsDirectory()) return false;
                    if (!CopyMatching(mirrored, subpattern, overwrite, recursive, mirror))
                        return false;
                } else if (!CopyMatching(destination, subpattern, overwrite, recursive, false)) {
                    return false;
                }
            }
        }

        FileSpecList entries;
        if (!ListEntries(entries, pattern, false)) return false;
        for (const AFileSpec& entry : entries) {
            // Directories among the matches are the recursion's business; copying
            // them as files would only fail and cut the copy short.
            if (entry.IsDirectory()) continue;
            if (!CopySingleFile(entry, Child(destination, entry.GetFileName()), overwrite, true))
                return false;
        }
        return true;
    });
}

bool WIN32_FileManager::CopyFilesIn(const AFileSpec& source, const AFileSpec& destination,
                                    bool overwrite, bool recursive, bool mirror) {
    return Answer([&] {
        return CopyMatching(destination, WildcardPattern(source), overwrite, recursive, mirror);
    });
}

bool WIN32_FileManager::AnyMatches(bool& anyMatch, const AFileSpec& pattern, bool recursive) {
    anyMatch = false;
    return Answer([&] {
        FileSpecList entries;
        if (!ListEntries(entries, pattern, recursive)) return false;
        anyMatch = !entries.empty();
        return true;
    });
}

PString WIN32_FileManager::GetWildcard() { return PString(kWildcard); }

UString WIN32_FileManager::GetWildcardWide() { return UString(kWildcardWide); }

bool WIN32_FileManager::ListSubdirectories(const AFileSpec& directory, FileSpecList& list) {
    return Answer([&] {
        if (!directory.IsValid() || !directory.IsDirectory()) return false;
        std::unique_ptr<FileSpecList> found(
            Enumerate(WildcardPattern(directory), false, true, false, nullptr));
        if (!found) return false;
        list.swap(*found);
        return true;
    });
}

FileSpecList* WIN32_FileManager::Enumerate(const AFileSpec& pattern, bool recursive,
                                           bool directoriesOnly, bool append,
                                           FileSpecList* list) {
    if (!pattern.IsValid() || (append && !list)) return nullptr;
    try {
        std::unique_ptr<FileSpecList> made;
        if (!append) {
            made.reset(new (std::nothrow) FileSpecList);
            if (!made) return nullptr;
        }
        FileSpecList* const target = append ? list : made.get();

        FileSystemCalls::DirectorySearch search;
        if (!search.IsUsable()) return nullptr;

        PString directory, name;
        if (!PatternDirectory(pattern, directory, name)) return nullptr;
        bool found = search.First(pattern.GetFullPath().c_str());
        const bool started = found;
        for (; found; found = search.Next()) {
            if (IsDotEntry(search.Name())) continue;
            const AFileSpec entry = Entry(directory, PString(search.Name()));
            if (search.IsDirectory()) {
                if (directoriesOnly) target->push_back(entry);
                // A link is listed but not entered: what it points to lies
                // outside the tree, and a recursive delete must not reach it.
                if (recursive && !search.IsLink()) {
                    const AFileSpec subpattern = Child(entry, name);
                    if (!Enumerate(subpattern, recursive, directoriesOnly, true, target))
                        return nullptr;
                }
            }
            if (!directoriesOnly) target->push_back(entry);
        }
        // A listing that broke off part-way would leave entries out unnoticed.
        if (started && !search.Ended()) return nullptr;
        made.release();
        return target;
    } catch (...) {
        return nullptr;
    }
}

bool WIN32_FileManager::CreateParentDirectories(const AFileSpec& spec) {
    return Answer([&] {
        if (!spec.IsValid()) return false;
        if (spec.Exists()) return true;
        // Walked up level by level rather than recursively, so that a path of
        // thousands of components needs no deeper stack than a short one.
        std::vector<AFileSpec> missing;
        AFileSpec current(spec);
        for (;;) {
            const AFileSpec parent(current.GetDirectory());
            if (!parent.IsValid()) return false;
            // Nothing above is left (a relative name, or a drive that does not
            // exist): there is no directory to build on.
            const PString parentPath = parent.GetFullPath();
            if (parentPath.empty() || parentPath.size() >= current.GetFullPath().size())
                return false;
            if (parent.Exists()) {
                if (!parent.IsDirectory()) return false;
                break;
            }
            missing.push_back(parent);
            current = parent;
        }
        for (auto it = missing.rbegin(); it != missing.rend(); ++it)
            if (!MakeDirectory(*it)) return false;
        return true;
    });
}

}  // namespace LumoBase
