#pragma once
// What a packager needs to know about a PE image held in memory, read without the
// platform's help. The bytes are outside data: a damaged image answers false (or an
// unreadable part), never reads outside them.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace Tarnbolt {

struct PeImport {
    std::string dll;       // lower-cased
    std::string function;  // "#123" for an import by ordinal
};

struct PeInfo {
    uint16_t machine = 0;   // 0x14c i386, 0x8664 x86-64
    bool pe32Plus = false;  // optional-header magic 0x20b
    bool isDll = false;     // IMAGE_FILE_DLL characteristic
    uint16_t subsystem = 0; // 2 GUI, 3 console
    // The import directory could be walked to its end (an image without one: true,
    // empty list). When false, `imports` holds what was read before the fault.
    bool importsReadable = false;
    std::vector<PeImport> imports;
    // The certificate table (security directory): a file offset, not an address,
    // and its size. Both 0 in an unsigned image.
    uint32_t certificateOffset = 0, certificateSize = 0;
};

// False when `data` is not a PE image (MZ, e_lfanew, "PE\0\0", optional header sane).
bool ReadPeInfo(const unsigned char* data, size_t size, PeInfo& info);

// The bytes of the resource of string type `typeName` (compared case-insensitively,
// ASCII) and integer id `id`, its first language: offset and length within `data`
// (file offsets). False when absent or out of bounds.
bool FindPeResource(const unsigned char* data, size_t size, const char* typeName, uint32_t id,
                    size_t& offset, size_t& length);

}  // namespace Tarnbolt
