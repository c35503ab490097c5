#pragma once
// The Win32 file manager. It has no data: constructing or destroying one does
// nothing to the file system.

#include "files/file_manager.h"

namespace LumoBase {

class WIN32_FileManager : public FileManager {
public:
    WIN32_FileManager();
    ~WIN32_FileManager() override;

    bool MakeDirectory(const AFileSpec& spec) override;
    bool DeleteDirectory(const AFileSpec& spec, bool recursive) override;
    bool CopyDirectory(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                       bool recursive, bool create) override;
    bool MoveDirectory(const AFileSpec& source, const AFileSpec& destination,
                       bool overwrite) override;
    bool RelocateDirectory(const AFileSpec& source, const AFileSpec& destination,
                           bool overwrite) override;
    bool ListDirectories(FileSpecList& list, const AFileSpec& pattern, bool recursive) override;
    bool CreateEmptyFile(const AFileSpec& spec, bool overwrite) override;
    bool CopySingleFile(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                        bool create) override;
    bool DeleteSingleFile(const AFileSpec& spec) override;
    bool MoveSingleFile(const AFileSpec& source, const AFileSpec& destination,
                        bool overwrite) override;
    bool RelocateSingleFile(const AFileSpec& source, const AFileSpec& destination,
                            bool overwrite) override;
    bool ListEntries(FileSpecList& list, const AFileSpec& pattern, bool recursive) override;
    bool DeleteMatching(const AFileSpec& pattern, bool recursive) override;
    bool DeleteFilesIn(const AFileSpec& directory, bool recursive) override;
    bool CopyMatching(const AFileSpec& destination, const AFileSpec& pattern, bool overwrite,
                      bool recursive, bool mirror) override;
    bool CopyFilesIn(const AFileSpec& source, const AFileSpec& destination, bool overwrite,
                     bool recursive, bool mirror) override;
    bool AnyMatches(bool& anyMatch, const AFileSpec& pattern, bool recursive) override;
    PString GetWildcard() override;
    UString GetWildcardWide() override;

    // Operations of this implementation only.
    // The immediate subdirectories of directory, replacing list.
    virtual bool ListSubdirectories(const AFileSpec& directory, FileSpecList& list);    // 22
    // The entries that match pattern (directoriesOnly: the directories only), with
    // recursive also those in matching subdirectories. With append they are added
    // to list, which is answered; otherwise a new list owned by the caller is. Null
    // when pattern is not valid or memory runs out.
    virtual FileSpecList* Enumerate(const AFileSpec& pattern, bool recursive,
                                    bool directoriesOnly, bool append,
                                    FileSpecList* list);                              // 23
    // Makes the missing directories that would contain spec (not spec itself).
    // False when they cannot be made or no ancestor of spec exists.
    virtual bool CreateParentDirectories(const AFileSpec& spec);                      // 24
};

}  // namespace LumoBase
