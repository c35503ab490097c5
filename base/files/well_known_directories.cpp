#include "files/well_known_directories.h"

#include "files/file_system_calls.h"
#include "files/path_text.h"
#include "files/pointer_probes.h"

#include <memory>
#include <new>

namespace LumoBase {

bool QueryDirectoryText(DirectoryQuery query, PString& text) {
    const unsigned long needed = query(nullptr, 0);
    if (needed == 0) return false;

    // Zero-filled, so that the text is terminated whatever the second call writes.
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[needed]());
    if (!buffer) return false;
    if (IsBadCodePointer(buffer.get())) {
        buffer.release();  // memory the probe rejects is not handed back
        return false;
    }
    if (IsBadWritePointer(buffer.get(), needed)) return false;

    const unsigned long written = query(buffer.get(), needed);
    // An answer that does not fit means the directory changed between the two
    // calls and the buffer holds no text of it.
    if (written == 0 || written >= needed) return false;

    PString result(buffer.get());
    text.swap(result);
    return true;
}

bool QueryExistingDirectory(DirectoryQuery query, PString& directory) {
    try {
        PString text;
        if (!QueryDirectoryText(query, text)) return false;
        // The path as a file spec would hold and answer it, asked without one: a
        // file spec object brings every file operation of the library along.
        PString found = ToBackslashes(PString(text.c_str()));
        if (!FileSystemCalls::IsDirectoryAt(found.c_str())) return false;
        if (EndsWithChar(found, '\\')) found.pop_back();
        directory.swap(found);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace LumoBase
