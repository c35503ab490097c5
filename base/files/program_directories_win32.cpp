#include "files/platform_names.h"
#include "files/program_directory_operations.h"
#include "files/win32au_file_spec.h"

#include <windows.h>

namespace LumoBase {
namespace {

unsigned long CurrentThreadIdentifier() { return GetCurrentThreadId(); }

unsigned long MillisecondTicks() { return GetTickCount(); }

}  // namespace

const DirectorySources& PlatformDirectorySources() {
    static const DirectorySources sources = {CurrentExecutablePath, WindowsDirectoryQuery,
                                             CurrentThreadIdentifier, MillisecondTicks};
    return sources;
}

bool WIN32AU_FileSpec::SetToProgramDirectory() {
    return LumoBase::SetToProgramDirectory(*this, PlatformDirectorySources());
}

bool WIN32AU_FileSpec::SetToWritableTempDirectory() {
    return LumoBase::SetToWritableTempDirectory(*this, PlatformDirectorySources());
}

}  // namespace LumoBase
