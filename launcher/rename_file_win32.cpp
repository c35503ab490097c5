#include "rename_file.h"

#include "files/path_text.h"
#include "whole_file.h"

#include <windows.h>

namespace Tarnbolt {
namespace {

// `path` with the extension of its file name replaced.
std::string WithExtension(const std::string& path, const char* extension) {
    const size_t separator = path.find_last_of("\\/:");
    const size_t name = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = path.rfind('.');
    return path.substr(0, dot != std::string::npos && dot >= name ? dot : path.size()) + extension;
}

// The path as a file spec would hold it; plain calls keep the library's file
// operations out of the launcher.
std::string Backslashed(const std::string& path) {
    return LumoBase::ToBackslashes(LumoBase::PString(path.c_str()));
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(Backslashed(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The last-write time of a file, as one number; false when there is none.
bool WriteTime(const std::string& path, unsigned long long& time) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(path.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    time = (static_cast<unsigned long long>(found.ftLastWriteTime.dwHighDateTime) << 32) |
           found.ftLastWriteTime.dwLowDateTime;
    return true;
}

// A file of ours, gone even when an earlier version left it read-only.
void Remove(const std::string& path) {
    if (DeleteFileA(path.c_str())) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// What an earlier run left beside the file: the aside copy goes back only where it
// is the one text of a WININIT.INI that no boot has seen since; the rest is removed.
void TidyLeftovers(const std::string& path, const std::string& fresh, const std::string& aside) {
    SideFiles found;
    found.file = Exists(path);
    found.aside = Exists(aside);
    unsigned long long written = 0, consumed = 0;
    found.fresh = WriteTime(fresh, written);
    // A boot that processed WININIT.INI keeps it as WININIT.BAK, with its write time.
    found.consumedSince = WriteTime(WithExtension(path, ".BAK"), consumed) && consumed >= written;
    if (!(PutAsideBack(found) && MoveFileA(aside.c_str(), path.c_str())) && found.aside)
        Remove(aside);
    if (found.fresh) Remove(fresh);
}

bool ReadText(const std::string& path, std::string& text) {
    return ReadWholeFile(Backslashed(path), text);
}

bool WriteText(const std::string& path, const std::string& text, FileWrite write) {
    return WriteWholeFile(Backslashed(path), text.data(), text.size(), write);
}

}  // namespace

bool MergeRenameFile(const std::string& path, const std::vector<std::string>& lines,
                     FileWrite write) {
    // Names of our own beside the file: nobody else's file is ever replaced or
    // deleted.
    const std::string fresh = WithExtension(path, ".TBN");
    const std::string aside = WithExtension(path, ".TBO");
    TidyLeftovers(path, fresh, aside);
    const bool existed = Exists(path);
    std::string old;
    if (existed) {
        // A file that cannot be opened for update (read-only, or held by another
        // program) is not ours to replace. The attribute is asked as well: a
        // process with every right may open a read-only file all the same.
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) return false;
        if (!CanOpenForUpdate(Backslashed(path))) return false;
        if (!ReadText(path, old)) return false;
    }
    const std::string merged = MergeRenameText(old, lines);

    // Windows 9x cannot replace a file in one move: the new text must be complete
    // and checked before the old file is moved aside.
    std::string check;
    if (!WriteText(fresh, merged, write) || !ReadText(fresh, check) || check != merged) {
        Remove(fresh);
        return false;
    }
    if (!existed) {
        if (MoveFileA(fresh.c_str(), path.c_str())) return true;
        Remove(fresh);
        return false;
    }
    if (!MoveFileA(path.c_str(), aside.c_str())) {
        Remove(fresh);
        return false;
    }
    if (!MoveFileA(fresh.c_str(), path.c_str())) {
        // Nothing can have changed since the move aside. Where even the way back
        // fails, both stay: the next run then puts the old text back.
        if (MoveFileA(aside.c_str(), path.c_str())) Remove(fresh);
        return false;
    }
    // Its text is in the new file: a copy that stayed would only be removed by the
    // next run, never put back.
    Remove(aside);
    return true;
}

}  // namespace Tarnbolt
