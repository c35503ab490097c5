#include "files/program_directory_operations.h"

#include "files/file_spec.h"
#include "files/program_directories.h"
#include "files/win32_file_manager.h"
#include "files/well_known_directories.h"
#include "files/win32au_file_spec.h"
#include "modules/module_info.h"


namespace LumoBase {
namespace {

// The path becomes text byte for byte, without the slash rule of SetFullPath.
void SetPathExactly(FileSpec& spec, const PString& text) {
    if (text.empty())
        spec.SetFullPath(text);
    else
        spec.AssignPath(text.data(), static_cast<unsigned>(text.size()));
}

}  // namespace

bool CurrentExecutablePath(PString& path) {
    const AModuleInfo info;
    return info.IsValid() && info.CurrentFileName(path);
}

bool SetToProgramDirectory(FileSpec& spec, const DirectorySources& sources) {
    try {
        PString fileName;
        if (!sources.executablePath(fileName)) return false;

        const AFileSpec executable(fileName);
        if (!executable.IsValid() || !executable.Exists() || !spec.IsValid()) return false;

        // A name without any directory part leaves nothing to answer.
        const PString directory = executable.GetDirectory();
        if (directory.empty()) return false;
        return spec.AssignPath(directory.data(), static_cast<unsigned>(directory.size()));
    } catch (...) {
        return false;
    }
}

bool SetToWindowsTempDirectory(FileSpec& spec, const DirectorySources& sources) {
    try {
        PString windows;
        if (!QueryDirectoryText(sources.windowsDirectory, windows)) return false;
        SetPathExactly(spec, windows);
        if (windows.empty()) return false;

        if (spec.Exists() && spec.IsDirectory()) {
            spec.AppendComponent("Temp");
            if (spec.Exists() && spec.IsDirectory()) return true;
        }
        spec.SetFullPath(PString());
        return false;
    } catch (...) {
        return false;
    }
}

bool ProbeWritable(const WIN32AU_FileSpec& spec, const DirectorySources& sources) {
    try {
        PString directory = spec.GetFullPath();
        if (!spec.EndsWithSeparator()) spec.AppendSeparator(directory);

        // Attempts within one tick repeat the same name; the loop only outlasts a
        // name that another probe holds for a moment.
        AFileSpec candidate;
        bool found = false;
        for (unsigned attempt = 0; attempt < kProbeAttempts && !found; ++attempt) {
            const PString name = ProbeFileName(
                static_cast<std::uint32_t>(sources.threadId()),
                static_cast<std::uint32_t>(sources.tickCount()));
            PString path(directory);
            path.append(name);
            candidate.SetFullPath(path);
            if (!candidate.IsValid()) return false;
            found = !candidate.Exists();
        }
        if (!found) return false;

        WIN32_FileManager files;
        if (!files.CreateEmptyFile(candidate, false)) return false;
        if (!candidate.Exists()) return false;
        files.DeleteSingleFile(candidate);
        return true;
    } catch (...) {
        return false;
    }
}

bool SetToWritableTempDirectory(WIN32AU_FileSpec& spec, const DirectorySources& sources) {
    if (spec.SetToTempDirectory() && ProbeWritable(spec, sources)) return true;
    if (SetToWindowsTempDirectory(spec, sources)) return ProbeWritable(spec, sources);
    return false;
}

}  // namespace LumoBase
