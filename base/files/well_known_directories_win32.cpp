#include "files/well_known_directories.h"
#include "files/win32au_file_spec.h"

#include <windows.h>

namespace LumoBase {
namespace {

unsigned long SystemDirectoryQuery(char* buffer, unsigned long size) {
    return GetSystemDirectoryA(buffer, size);
}

unsigned long TempDirectoryQuery(char* buffer, unsigned long size) {
    return GetTempPathA(size, buffer);
}

unsigned long CurrentDirectoryQuery(char* buffer, unsigned long size) {
    return GetCurrentDirectoryA(size, buffer);
}

}  // namespace

bool ReadSystemDirectory(PString& directory) {
    return QueryExistingDirectory(SystemDirectoryQuery, directory);
}

bool ReadTempDirectory(PString& directory) { return QueryExistingDirectory(TempDirectoryQuery, directory); }

bool WIN32AU_FileSpec::SetToSystemDirectory() {
    PString directory;
    if (!ReadSystemDirectory(directory)) return false;
    path_.swap(directory);
    return true;
}

bool WIN32AU_FileSpec::SetToTempDirectory() {
    PString directory;
    if (!ReadTempDirectory(directory)) return false;
    path_.swap(directory);
    return true;
}

bool WIN32AU_FileSpec::SetToCurrentDirectory() {
    PString directory;
    if (!QueryExistingDirectory(CurrentDirectoryQuery, directory)) return false;
    path_.swap(directory);
    return true;
}

}  // namespace LumoBase
