#pragma once
// Setting a FileSpec to the program directory or to a writable temporary
// directory, with the two steps of the writable-directory search. What the
// platform knows comes from a DirectorySources table: the shipped one asks the
// platform, tests hand in their own to reach states the platform will not enter.

#include "files/well_known_directories.h"
#include "strings/pstring.h"

namespace LumoBase {

class FileSpec;
class WIN32AU_FileSpec;

struct DirectorySources {
    // The full path of the running executable; false when it cannot be had.
    bool (*executablePath)(PString& path);
    // The Windows directory, in the manner of GetWindowsDirectoryA.
    DirectoryQuery windowsDirectory;
    // The two numbers of a probe file's name.
    unsigned long (*threadId)();
    unsigned long (*tickCount)();
};

// The platform's answers (GetWindowsDirectoryA, GetCurrentThreadId, GetTickCount
// and the executable's path from module information).
const DirectorySources& PlatformDirectorySources();

// The executable's path as module information reports it.
bool CurrentExecutablePath(PString& path);

// The path becomes the directory of the running executable (C:\App\setup.exe gives
// C:\App). False, with the path unchanged, when the executable's path cannot be
// had or does not exist.
bool SetToProgramDirectory(FileSpec& spec, const DirectorySources& sources);

// The path becomes the Windows directory's "Temp" subdirectory. False when the
// Windows directory cannot be queried (path unchanged), or when it or its "Temp"
// subdirectory is not an existing directory (path empty).
bool SetToWindowsTempDirectory(FileSpec& spec, const DirectorySources& sources);

// Whether a file of a fresh probe name can be created in the directory of the
// path; the file is deleted again. The path is not changed.
bool ProbeWritable(const WIN32AU_FileSpec& spec, const DirectorySources& sources);

// The temporary-files directory when a probe file can be made in it, else the
// Windows directory's "Temp" when one can be made there. On false the path holds
// the last directory tried, the empty text when the Windows directory has no
// usable "Temp", or is unchanged when no directory was found at all.
bool SetToWritableTempDirectory(WIN32AU_FileSpec& spec, const DirectorySources& sources);

}  // namespace LumoBase
