#include "files/win32_file_manager.h"

#include "files/file_system_calls.h"
#include "files/name_pattern.h"
#include "files/path_containment.h"
#include "files/path_text.h"
#include "files/program_directories.h"

#include <algorithm>
#include <cstdint>
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

// name inside directory. A bare drive (D:) is its current directory, so its
// entries are D:name; D:\name would be in its root.
AFileSpec Child(const AFileSpec& directory, const PString& name) {
    const PString path = directory.GetFullPath();
    if (IsBareDrive(path)) {
        size_t skip = 0;
        while (skip < name.size() && name[skip] == '/') ++skip;
        return AFileSpec(PString(path + name.substr(skip)));
    }
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
    // D: alone is D:*, the entries of that drive's current directory.
    PString path = pattern.GetFullPath();
    if (IsBareDrive(path)) path.append(kWildcard);
    SplitPattern(path, directory, name);
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

// A pattern's last component as the platform takes it, without blanks at its end.
PString WithoutTrailingBlanks(const PString& name) {
    size_t end = name.size();
    while (end > 0 && name[end - 1] == ' ') --end;
    return PString(name.substr(0, end));
}

bool IsDotEntry(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The directory above a full path and the last component; false at the root.
bool Parent(const PString& path, PString& parent, PString& name) {
    SplitPattern(path, parent, name);
    return !name.empty() && parent != path && IsFullPath(parent);
}

// path with each existing component by its long name (C:\LONGPA~1 becomes
// C:\Longparentname), asked of the file system one level at a time: the short
// form is another name of the same folder, and this query exists on every
// version. From the first component that is not there the rest stays as given.
PString WithLongNames(const PString& path) {
    const LeadBytes& rule = SystemLeadBytes();
    size_t root = 0;
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        root = 3;
    } else if ((root = NetworkRootLength(path)) > 0) {
        // \\server\share\ is a root as a whole: a listing cannot name the share.
        const size_t share = rule.Find(path, '\\', root);
        root = share == std::string::npos ? path.size() : share + 1;
    }
    PString result(path.substr(0, root));
    for (size_t begin = root; begin < path.size();) {
        size_t end = rule.Find(path, '\\', begin);
        if (end == std::string::npos) end = path.size();
        const PString part(path.substr(begin, end - begin));
        PString name;
        if (part.empty() || HasWildcards(part) ||
            !FileSystemCalls::LongNameOf(PString(result + part).c_str(), name)) {
            result.append(path.substr(begin));
            break;
        }
        result.append(name);
        if (end < path.size()) result.push_back('\\');
        begin = end + 1;
    }
    return result;
}

// The platform's full form of spec's path, without a long-path prefix; false when
// it has none.
bool Resolved(const AFileSpec& spec, PString& full) {
    if (!spec.IsValid() || !FileSystemCalls::FullPathOf(spec.GetFullPath().c_str(), full))
        return false;
    // The platform resolves "." and ".." of a prefixed path only without the prefix.
    const PString plain = WithoutLongPrefix(full);
    return plain == full || FileSystemCalls::FullPathOf(plain.c_str(), full);
}

using Identity = FileSystemCalls::EntryIdentity;

bool Before(const Identity& a, const Identity& b) {
    if (a.volume != b.volume) return a.volume < b.volume;
    if (a.indexHigh != b.indexHigh) return a.indexHigh < b.indexHigh;
    return a.indexLow < b.indexLow;
}

// The folders from the top of a tree down to the one a walk or a copy is in, by
// identity where the file system gives one. A copy enters no link, and no folder
// that is already on this path: a link the platform does not mark as one (a Unix
// link under Wine) would otherwise lead back up the tree without end.
class FolderPath {
public:
    // The top, entered whatever it is: a link named as the source is followed.
    explicit FolderPath(const AFileSpec& top) { Push(top); }
    // For a copy that enters no folder.
    FolderPath() {}
    // Whether the copy enters folder, a folder listed in the current one; when it
    // does, folder is the current one until Leave.
    bool Enter(const AFileSpec& folder) {
        if (FileSystemCalls::IsLinkAt(folder.GetFullPath().c_str())) return false;
        Identity identity;
        if (FileSystemCalls::IdentityOf(folder.GetFullPath().c_str(), identity))
            for (const Entry& entry : entries_)
                if (entry.known && entry.identity == identity) return false;
        Push(folder);
        return true;
    }
    void Leave() { entries_.pop_back(); }

private:
    struct Entry {
        Identity identity;
        bool known;
    };
    void Push(const AFileSpec& folder) {
        Entry entry{Identity{0, 0, 0}, false};
        entry.known = FileSystemCalls::IdentityOf(folder.GetFullPath().c_str(), entry.identity);
        entries_.push_back(entry);
    }
    std::vector<Entry> entries_;
};

// Visits folder and every folder below it that a copy enters, each before those
// below it. False when visit answers false or a listing fails.
template <class Visit>
bool WalkTree(WIN32_FileManager& files, const AFileSpec& folder, FolderPath& path, Visit& visit) {
    if (!visit(folder)) return false;
    FileSpecList subdirectories;
    if (!files.ListSubdirectories(folder, subdirectories)) return false;
    for (const AFileSpec& subdirectory : subdirectories) {
        if (!path.Enter(subdirectory)) continue;
        const bool walked = WalkTree(files, subdirectory, path, visit);
        path.Leave();
        if (!walked) return false;
    }
    return true;
}

// The identities of every folder a copy of the tree at top enters; false when one
// of them has none or a listing fails.
bool TreeIdentities(WIN32_FileManager& files, const AFileSpec& top, std::vector<Identity>& all) {
    FolderPath path(top);
    auto collect = [&all](const AFileSpec& folder) {
        Identity identity;
        if (!FileSystemCalls::IdentityOf(folder.GetFullPath().c_str(), identity)) return false;
        all.push_back(identity);
        return true;
    };
    if (!WalkTree(files, top, path, collect)) return false;
    std::sort(all.begin(), all.end(), Before);
    return true;
}

// path, or the nearest folder above it that exists; false when none does.
bool NearestExisting(const PString& path, PString& existing) {
    PString current(path), parent, name;
    while (!FileSystemCalls::IsDirectoryAt(current.c_str())) {
        if (!Parent(current, parent, name)) return false;
        current = parent;
    }
    existing = current;
    return true;
}

// Whether path, or a folder above it that exists, has one of the identities given
// (sorted).
bool ReachesInto(const PString& path, const std::vector<Identity>& identities) {
    PString current(path), parent, name;
    for (;;) {
        Identity found;
        if (FileSystemCalls::IdentityOf(current.c_str(), found) &&
            std::binary_search(identities.begin(), identities.end(), found, Before))
            return true;
        if (!Parent(current, parent, name)) return false;
        current = parent;
    }
}

// When a folder above path is the entry with the identity given: the part of path
// below it. Otherwise empty.
PString PartBelowIdentity(const PString& path, const Identity& identity) {
    PString current(path), parent, name, below;
    while (Parent(current, parent, name)) {
        below = below.empty() ? name : PString(name + "\\" + below);
        Identity found;
        if (FileSystemCalls::IdentityOf(parent.c_str(), found) && found == identity) return below;
        current = parent;
    }
    return PString();
}

// A file of a name no one else uses, made in a folder to be looked for under other
// names: where the file system gives no identity, finding it is the proof that two
// names are one folder. Removed when the object goes away.
class Probe {
public:
    explicit Probe(const PString& folder) {
        unsigned long thread = 0, tick = 0;
        FileSystemCalls::ProbeNumbers(thread, tick);
        for (unsigned attempt = 0; attempt < kProbeAttempts && path_.empty(); ++attempt) {
            const PString name = ProbeFileName(static_cast<std::uint32_t>(thread),
                                               static_cast<std::uint32_t>(tick + attempt));
            const PString path(folder + (folder.back() == '\\' ? "" : "\\") + name);
            if (FileSystemCalls::CreateEmptyFileAt(path.c_str(), false)) {
                path_ = path;
                name_ = name;
            }
        }
    }
    ~Probe() {
        if (!path_.empty()) FileSystemCalls::DeleteFileAt(path_.c_str());
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

    bool Made() const { return !path_.empty(); }
    // Whether the probe is seen in folder.
    bool SeenIn(const AFileSpec& folder) const {
        PString found;
        return FileSystemCalls::LongNameOf(Child(folder, name_).GetFullPath().c_str(), found);
    }

private:
    PString path_;
    PString name_;
};

// Whether copying the tree at source to destination (writing destination\r for
// each r below source) would write into the source itself: when the destination
// is a folder of the source's tree or lies below one, or, with ontoSource, when
// the source lies below the destination and holds the part of its own path below
// it (C:\t\tool to C:\t while C:\t\tool\tool exists: the copy of tool\tool would
// land on the source).
// The platform's full paths without a long-path prefix are compared first, so
// "..", ".", doubled separators and \\?\ make no difference, without regard to
// case as the system folds it. Then, where the file system gives identities, the
// identity of every folder of the source tree is compared with the destination's
// and those above it: that sees through short names, another drive letter for the
// same folder or one inside the source, links and every case rule. Where it gives
// none (Windows 95, 98 and Me, some redirectors), a probe file made in the
// destination's nearest existing folder is looked for in every folder of the
// source tree and above it; when it cannot be made the copy is refused. True also
// when the paths cannot be resolved or a listing fails: the copy is then refused.
bool CopyWouldOverlap(WIN32_FileManager& files, const AFileSpec& source,
                      const AFileSpec& destination, bool ontoSource) {
    PString from, to, nearest;
    if (!Resolved(source, from) || !Resolved(destination, to)) return true;
    if (!NearestExisting(to, nearest)) return true;
    Identity sourceIdentity, nearestIdentity;
    std::vector<Identity> tree;
    const bool known = FileSystemCalls::IdentityOf(from.c_str(), sourceIdentity) &&
                       FileSystemCalls::IdentityOf(nearest.c_str(), nearestIdentity);
    if (known) {
        if (IsSameOrInside(to, from)) return true;
        if (!TreeIdentities(files, source, tree) || ReachesInto(to, tree)) return true;
        if (!ontoSource) return false;
        PString below = PartBelow(from, to);
        Identity identity;
        if (below.empty() && FileSystemCalls::IdentityOf(to.c_str(), identity))
            below = PartBelowIdentity(from, identity);
        return !below.empty() && Child(AFileSpec(from), below).Exists();
    }

    from = WithLongNames(from);
    to = WithLongNames(to);
    if (IsSameOrInside(to, from)) return true;
    Probe probe(nearest);
    if (!probe.Made()) return true;
    FolderPath path(source);
    auto unseen = [&probe](const AFileSpec& folder) { return !probe.SeenIn(folder); };
    if (!WalkTree(files, source, path, unseen)) return true;
    if (!ontoSource) return false;
    // The destination exists and is a folder above the source under another name
    // when the probe is seen there: the part of the source's path below it must
    // not be in the source.
    PString below = PartBelow(from, to);
    if (below.empty() && FileSystemCalls::IsDirectoryAt(to.c_str())) {
        PString current(from), parent, name, part;
        while (Parent(current, parent, name)) {
            part = part.empty() ? name : PString(name + "\\" + part);
            if (probe.SeenIn(AFileSpec(parent))) {
                below = part;
                break;
            }
            current = parent;
        }
    }
    return !below.empty() && Child(AFileSpec(from), below).Exists();
}

// Whether two file specs name the same entry: by their full paths, or, when the
// second exists, as one entry to the file system (a short name, a hard link), or
// by long names where the file system gives no identity.
bool SamePlace(const AFileSpec& a, const AFileSpec& b) {
    PString one, other;
    if (!Resolved(a, one) || !Resolved(b, other)) return false;
    if (IsSameOrInside(one, other) && IsSameOrInside(other, one)) return true;
    if (!b.Exists()) return false;
    FileSystemCalls::EntryIdentity first, second;
    if (FileSystemCalls::IdentityOf(one.c_str(), first) &&
        FileSystemCalls::IdentityOf(other.c_str(), second))
        return first == second;
    one = WithLongNames(one);
    other = WithLongNames(other);
    return IsSameOrInside(one, other) && IsSameOrInside(other, one);
}

// CopyDirectory once the source and the destination are known to lie apart. path
// holds the folders from the top of the copy down to source.
bool CopyTree(WIN32_FileManager& files, const AFileSpec& source, const AFileSpec& destination,
              bool overwrite, bool recursive, bool create, FolderPath& path) {
    if (!source.IsValid() || !source.IsDirectory() || !destination.IsValid()) return false;
    if (create && !files.DirectoryExists(destination)) {
        files.CreateParentDirectories(destination);
        files.MakeDirectory(destination);
    }
    if (!destination.IsValid() || !destination.IsDirectory()) return false;
    if (!recursive) return true;

    FileSpecList subdirectories;
    if (!files.ListSubdirectories(source, subdirectories)) return false;
    for (const AFileSpec& subdirectory : subdirectories) {
        // A link is left out, neither made nor followed.
        if (!path.Enter(subdirectory)) continue;
        const bool copied = CopyTree(files, subdirectory,
                                     Child(destination, subdirectory.GetFileName()), overwrite,
                                     recursive, true, path);
        path.Leave();
        if (!copied) return false;
    }
    return files.CopyFilesIn(source, destination, overwrite, false, true);
}

// CopyMatching once the source tree and the destination are known to lie apart.
bool CopyMatchingTree(WIN32_FileManager& files, const AFileSpec& destination,
                      const AFileSpec& pattern, bool overwrite, bool recursive, bool mirror,
                      FolderPath& path) {
    if (!destination.IsValid() || !destination.IsDirectory()) return false;
    if (recursive) {
        PString directory, last;
        if (!PatternDirectory(pattern, directory, last)) return false;
        // The folder the pattern names, "." for the current one: *.txt copies from
        // the current directory's tree.
        FileSpecList subdirectories;
        if (!files.ListSubdirectories(AFileSpec(directory.empty() ? PString(".") : directory),
                                      subdirectories))
            return false;
        for (const AFileSpec& subdirectory : subdirectories) {
            if (!path.Enter(subdirectory)) continue;
            const AFileSpec subpattern = Child(subdirectory, last);
            bool copied = true;
            if (mirror) {
                const AFileSpec mirrored = Child(destination, subdirectory.GetFileName());
                copied = (files.DirectoryExists(mirrored) || files.MakeDirectory(mirrored)) &&
                         mirrored.IsDirectory() &&
                         CopyMatchingTree(files, mirrored, subpattern, overwrite, recursive,
                                          mirror, path);
            } else {
                copied = CopyMatchingTree(files, destination, subpattern, overwrite, recursive,
                                          false, path);
            }
            path.Leave();
            if (!copied) return false;
        }
    }

    FileSpecList entries;
    if (!files.ListEntries(entries, pattern, false)) return false;
    for (const AFileSpec& entry : entries) {
        // Directories among the matches are the recursion's business; copying
        // them as files would only fail and cut the copy short.
        if (entry.IsDirectory()) continue;
        if (!files.CopySingleFile(entry, Child(destination, entry.GetFileName()), overwrite, true))
            return false;
    }
    return true;
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
        // source: refused before anything is made. The subtrees below a source and
        // a destination that lie apart lie apart too, so they are not judged again.
        if (recursive && CopyWouldOverlap(*this, source, destination, true)) return false;
        FolderPath path(source);
        return CopyTree(*this, source, destination, overwrite, recursive, create, path);
    });
}

bool WIN32_FileManager::MoveDirectory(const AFileSpec& source, const AFileSpec& destination,
                                      bool overwrite) {
    return Answer([&] {
        // Removing the source afterwards would take a copy inside it along, and a
        // directory moved onto itself would be gone.
        if (!source.IsValid() || !source.IsDirectory() ||
            CopyWouldOverlap(*this, source, destination, true))
            return false;
        FolderPath path(source);
        if (!CopyTree(*this, source, destination, overwrite, true, true, path)) return false;
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
        if (!recursive) {
            FolderPath none;
            return CopyMatchingTree(*this, destination, pattern, overwrite, false, mirror, none);
        }
        // Into its own tree the copy would find its own new folders and files;
        // mirrored into a parent it could land on the source. Judged once: the
        // subtrees of trees that lie apart lie apart too.
        PString directory, last;
        if (!PatternDirectory(pattern, directory, last)) return false;
        const AFileSpec source(directory.empty() ? PString(".") : directory);
        if (CopyWouldOverlap(*this, source, destination, mirror)) return false;
        FolderPath path(source);
        return CopyMatchingTree(*this, destination, pattern, overwrite, recursive, mirror, path);
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

        // D: alone lists that drive's current directory.
        const PString given = pattern.GetFullPath();
        const AFileSpec listed(IsBareDrive(given) ? PString(given + kWildcard) : given);
        PString directory, name;
        if (!PatternDirectory(pattern, directory, name)) return nullptr;
        // The platform also answers entries whose short name matches (x.logold
        // for *.log, through X~1.LOG): only what the long name matches is taken.
        // Matched again as the platform matches: without the blanks that end the
        // pattern, which it drops.
        const bool wild = HasWildcards(name);
        const PString matched = WithoutTrailingBlanks(name);
        for (bool found = search.First(listed.GetFullPath().c_str()); found;
             found = search.Next()) {
            if (IsDotEntry(search.Name())) continue;
            if (wild && !MatchesPattern(PString(search.Name()), matched)) {
                if (*search.ShortName() && MatchesPattern(PString(search.ShortName()), matched))
                    continue;
                // Neither name explains why the platform answered the entry: the
                // rules disagree, and leaving it out would answer true for an
                // entry the platform matched and the operation skipped.
                return nullptr;
            }
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
        // A listing that was refused or broke off part-way would leave entries out
        // unnoticed.
        if (!search.Ended()) return nullptr;
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
