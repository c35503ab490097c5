// Version-information blocks and library images. The input is copied into a heap
// block of exactly its size, so that any read beyond it is reported. Property:
// whatever the validator accepts, a walk bounded by the root's own length (the
// fixed record, then the children) reads only inside the block.
#include "image_version.h"
#include "version_block.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<unsigned char> block(data, data + size);
    const unsigned char* b = block.data();

    size_t fixed = 0;
    if (Tarnbolt::FindFixedFileInfo(b, size, fixed)) {
        const size_t length = U16(b);
        if (length > size || fixed + Tarnbolt::kFixedFileInfoSize > length) std::abort();
        uint32_t sum = 0;
        for (size_t i = 0; i < Tarnbolt::kFixedFileInfoSize; ++i) sum += b[fixed + i];
        if (U16(b + fixed) != 0x04BD || U16(b + fixed + 2) != 0xFEEF) std::abort();
        // The children as the platform's query walks them, within the root.
        size_t child = (fixed + Tarnbolt::kFixedFileInfoSize + 3) & ~static_cast<size_t>(3);
        while (child + 2 <= length) {
            const size_t childLength = U16(b + child);
            if (childLength == 0) break;
            sum += b[child];
            child = (child + childLength + 3) & ~static_cast<size_t>(3);
        }
        if (sum == 0xFFFFFFFFu) std::abort();  // keeps the reads
    }

    uint32_t high = 0, low = 0;
    Tarnbolt::ReadImageFixedVersion(b, size, high, low);
    return 0;
}
