#pragma once
// Operations on the file system named by FileSpec paths: single files,
// directories with or without their trees, and listings of wildcard patterns.
// FileManager is the interface, whose virtual operations keep the numbered order
// below. It holds no state; every failure is a false answer.

#include "files/file_spec.h"
#include "files/file_spec_list.h"
#include "strings/pstring.h"
#include "strings/ustring.h"

namespace LumoBase {

class FileManager {
public:
    virtual ~FileManager();                                                          // 0

    // An existing directory.
    virtual bool DirectoryExists(const AFileSpec& spec);                             // 1
    virtual bool MakeDirectory(const AFileSpec& spec) = 0;                           // 2
    // Without recursive only an empty directory is removed. A link (junction or
    // symbolic link) in the tree, or named itself, is removed as a link, never entered.
    virtual bool DeleteDirectory(const AFileSpec& spec, bool recursive) = 0;         // 3
    // Without recursive only the destination is made (when create is set). A
    // recursive copy that would write into its own source (the destination in the
    // source's tree under any name, or the source's own path below the destination
    // already in the source) is refused before anything is made; paths are
    // compared in full form, without regard to case, then by the identity of every
    // folder of the source's tree (or, without identities, by a probe file). A link
    // inside the source is left out, neither copied nor followed.
    virtual bool CopyDirectory(const AFileSpec& source, const AFileSpec& destination,
                               bool overwrite, bool recursive, bool create) = 0;     // 4
    // The whole tree copied, then the source removed once the copy succeeded;
    // refused as the copy is.
    virtual bool MoveDirectory(const AFileSpec& source, const AFileSpec& destination,
                               bool overwrite) = 0;                                  // 5
    virtual bool RelocateDirectory(const AFileSpec& source, const AFileSpec& destination,
                                   bool overwrite) = 0;                              // 6
    // The directories that match pattern, each before its own contents.
    virtual bool ListDirectories(FileSpecList& list, const AFileSpec& pattern,
                                 bool recursive) = 0;                                // 7
    // An existing entry that is not a directory.
    virtual bool FileExists(const AFileSpec& spec);                                  // 8
    virtual bool CreateEmptyFile(const AFileSpec& spec, bool overwrite) = 0;         // 9
    // With create, missing directories above the destination are made first. A
    // file is never copied onto itself.
    virtual bool CopySingleFile(const AFileSpec& source, const AFileSpec& destination,
                                bool overwrite, bool create) = 0;                    // 10
    // Refuses directories.
    virtual bool DeleteSingleFile(const AFileSpec& spec) = 0;                        // 11
    virtual bool MoveSingleFile(const AFileSpec& source, const AFileSpec& destination,
                                bool overwrite) = 0;                                 // 12
    virtual bool RelocateSingleFile(const AFileSpec& source, const AFileSpec& destination,
                                    bool overwrite) = 0;                             // 13
    // Files and directories that match pattern, each directory after its contents.
    // Recursion never enters a link. Entries of a pattern relative to the root or
    // to a drive's current directory (\*.log, C:*.log) are full paths.
    virtual bool ListEntries(FileSpecList& list, const AFileSpec& pattern,
                             bool recursive) = 0;                                    // 14
    // Deletes what ListEntries finds, in its order; stops with false at the first
    // entry that cannot be deleted (a directory among them).
    virtual bool DeleteMatching(const AFileSpec& pattern, bool recursive) = 0;       // 15
    virtual bool DeleteFilesIn(const AFileSpec& directory, bool recursive) = 0;      // 16
    // Copies the files that match pattern into destination; with recursive also
    // those below, recreating the subdirectories when mirror is set.
    virtual bool CopyMatching(const AFileSpec& destination, const AFileSpec& pattern,
                              bool overwrite, bool recursive, bool mirror) = 0;      // 17
    virtual bool CopyFilesIn(const AFileSpec& source, const AFileSpec& destination,
                             bool overwrite, bool recursive, bool mirror) = 0;       // 18
    // anyMatch tells whether the listing found anything; false when it failed.
    virtual bool AnyMatches(bool& anyMatch, const AFileSpec& pattern,
                            bool recursive) = 0;                                     // 19
    virtual PString GetWildcard() = 0;                                               // 20
    virtual UString GetWildcardWide() = 0;                                           // 21
};

}  // namespace LumoBase
