#include "rename_file.h"

#include "files/path_text.h"

#include <windows.h>

#include <cstdio>

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

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::FILE* stream = std::fopen(Backslashed(path).c_str(), "rb");
    if (!stream) return false;
    const bool read = ReadWholeText(stream, text);
    return std::fclose(stream) == 0 && read;
}

bool WriteWholeFile(const std::string& path, const std::string& text, StreamWrite write) {
    std::FILE* stream = std::fopen(Backslashed(path).c_str(), "wb");
    if (!stream) return false;
    bool written = WriteWholeText(stream, text, write);
    // A failed close may have lost buffered bytes.
    if (std::fclose(stream) != 0) written = false;
    return written;
}

}  // namespace

bool MergeRenameFile(const std::string& path, const std::vector<std::string>& lines,
                     StreamWrite write) {
    // Names of our own beside the file: nobody else's file is ever replaced or
    // deleted. A run that stopped between its two moves left the old text aside:
    // it is put back before anything else.
    const std::string fresh = WithExtension(path, ".TBN");
    const std::string aside = WithExtension(path, ".TBO");
    if (!Exists(path) && Exists(aside))
        MoveFileA(aside.c_str(), path.c_str());
    const bool existed = Exists(path);
    std::string old;
    if (existed && !ReadWholeFile(path, old)) return false;
    const std::string merged = MergeRenameText(old, lines);

    // Windows 9x cannot replace a file in one move: the new text must be complete
    // and checked before the old file is moved aside.
    std::string check;
    if (!WriteWholeFile(fresh, merged, write) || !ReadWholeFile(fresh, check) || check != merged) {
        DeleteFileA(fresh.c_str());
        return false;
    }
    if (!existed) {
        if (MoveFileA(fresh.c_str(), path.c_str())) return true;
        DeleteFileA(fresh.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());  // left by an earlier run that stopped after the move-in
    if (!MoveFileA(path.c_str(), aside.c_str())) {
        DeleteFileA(fresh.c_str());
        return false;
    }
    if (!MoveFileA(fresh.c_str(), path.c_str())) {
        MoveFileA(aside.c_str(), path.c_str());
        DeleteFileA(fresh.c_str());
        return false;
    }
    DeleteFileA(aside.c_str());
    return true;
}

}  // namespace Tarnbolt
