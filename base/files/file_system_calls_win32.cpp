#include "files/file_system_calls.h"

#include <windows.h>

#include <memory>
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

bool FullPathOf(const char* path, PString& full) {
    char* part = nullptr;
    DWORD size = GetFullPathNameA(path, 0, nullptr, &part);
    if (size == 0) return false;
    // The buffer is as long as the platform asks; a path that grew meanwhile fails.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[size]);
    if (!buffer) return false;
    const DWORD length = GetFullPathNameA(path, size, buffer.get(), &part);
    if (length == 0 || length >= size) return false;
    full.assign(buffer.get(), length);
    return true;
}

void ProbeNumbers(unsigned long& thread, unsigned long& tick) {
    thread = GetCurrentThreadId();
    tick = GetTickCount();
}

bool LongNameOf(const char* path, PString& name) {
    WIN32_FIND_DATAA data;
    HANDLE search = FindFirstFileA(path, &data);
    if (search == INVALID_HANDLE_VALUE) return false;
    FindClose(search);
    name.assign(data.cFileName);
    return true;
}

bool IsLinkAt(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && IsLinkEntry(path, attributes);
}

struct DirectorySearch::Record {
    WIN32_FIND_DATAA data;
};

DirectorySearch::DirectorySearch()
    : record_(new (std::nothrow) Record()), handle_(INVALID_HANDLE_VALUE), ended_(false) {}

DirectorySearch::~DirectorySearch() {
    // A search that never started holds no handle to close.
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    delete record_;
}

bool DirectorySearch::IsUsable() const { return record_ != nullptr; }

bool DirectorySearch::First(const char* pattern) {
    if (!record_ || handle_ != INVALID_HANDLE_VALUE) return false;
    handle_ = FindFirstEntry(pattern, &record_->data);
    if (handle_ != INVALID_HANDLE_VALUE) return true;
    // Nothing matches, or the folder is not there: an empty listing. A refused or
    // failed one is not.
    const DWORD error = GetLastError();
    ended_ = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
             error == ERROR_NO_MORE_FILES;
    return false;
}

bool DirectorySearch::Next() {
    if (!record_ || handle_ == INVALID_HANDLE_VALUE) return false;
    if (FindNextEntry(handle_, &record_->data)) return true;
    ended_ = GetLastError() == ERROR_NO_MORE_FILES;
    return false;
}

bool DirectorySearch::Ended() const { return ended_; }

const char* DirectorySearch::Name() const { return record_ ? record_->data.cFileName : ""; }

const char* DirectorySearch::ShortName() const {
    return record_ ? record_->data.cAlternateFileName : "";
}

bool DirectorySearch::IsDirectory() const {
    return record_ && (record_->data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool DirectorySearch::IsLink() const {
    return record_ && IsLinkEntry(record_->data.cFileName, record_->data.dwFileAttributes);
}

}  // namespace FileSystemCalls
}  // namespace LumoBase
