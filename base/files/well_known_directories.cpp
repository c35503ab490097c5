#include "files/well_known_directories.h"

#include "files/file_spec.h"
#include "files/pointer_probes.h"

#include <memory>
#include <new>

namespace LumoBase {

bool QueryExistingDirectory(DirectoryQuery query, PString& directory) {
    try {
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

        const AFileSpec found(buffer.get());
        buffer.reset();
        if (!found.IsValid() || !found.Exists() || !found.IsDirectory()) return false;

        PString result = found.GetDirectory();
        directory.swap(result);
        return true;
    } catch (...) {
        return false;
    }
}

}  // namespace LumoBase
