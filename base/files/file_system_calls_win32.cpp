#include "files/file_system_calls.h"

#include <windows.h>

#include <new>

namespace LumoBase {
namespace FileSystemCalls {

bool MakeDirectoryAt(const char* path) { return CreateDirectoryA(path, nullptr) != FALSE; }

bool RemoveDirectoryAt(const char* path) { return RemoveDirectoryA(path) != FALSE; }

bool CreateEmptyFileAt(const char* path, bool overwrite) {
    HANDLE file = CreateFileA(path, 0, 0, nullptr, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    CloseHandle(file);
    return true;
}

bool CopyFileTo(const char* source, const char* destination, bool overwrite) {
    return CopyFileA(source, destination, overwrite ? FALSE : TRUE) != FALSE;
}

bool DeleteFileAt(const char* path) { return DeleteFileA(path) != FALSE; }

bool IsDirectoryAt(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

struct DirectorySearch::Record {
    WIN32_FIND_DATAA data;
};

DirectorySearch::DirectorySearch()
    : record_(new (std::nothrow) Record()), handle_(INVALID_HANDLE_VALUE) {}

DirectorySearch::~DirectorySearch() {
    // A search that never started holds no handle to close.
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    delete record_;
}

bool DirectorySearch::IsUsable() const { return record_ != nullptr; }

bool DirectorySearch::First(const char* pattern) {
    if (!record_ || handle_ != INVALID_HANDLE_VALUE) return false;
    handle_ = FindFirstFileA(pattern, &record_->data);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool DirectorySearch::Next() {
    if (!record_ || handle_ == INVALID_HANDLE_VALUE) return false;
    return FindNextFileA(handle_, &record_->data) == TRUE;
}

const char* DirectorySearch::Name() const { return record_ ? record_->data.cFileName : ""; }

bool DirectorySearch::IsDirectory() const {
    return record_ && (record_->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace FileSystemCalls
}  // namespace LumoBase
