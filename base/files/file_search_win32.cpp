// Alone in its file so that a test program can link its own listing: Wine cannot
// refuse one, as a folder without the right to list it or a lost network does.
#include "files/file_system_calls.h"

#include <windows.h>

namespace LumoBase {
namespace FileSystemCalls {

void* FindFirstEntry(const char* pattern, WIN32_FIND_DATAA* data) {
    return FindFirstFileA(pattern, data);
}

bool FindNextEntry(void* search, WIN32_FIND_DATAA* data) {
    return FindNextFileA(search, data) == TRUE;
}

}  // namespace FileSystemCalls
}  // namespace LumoBase
