// Alone in its file so that a test program can link its own version: Wine cannot
// make a junction or a symbolic link, so those tests mark plain directories as links.
#include "files/file_system_calls.h"

#include <windows.h>

namespace LumoBase {
namespace FileSystemCalls {

bool IsLinkEntry(const char*, unsigned long attributes) {
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

}  // namespace FileSystemCalls
}  // namespace LumoBase
