// The fixed version of an embedded library image, read from any bytes. Property:
// no read outside the image (the sanitizers watch) and the same answer every time;
// read from the file's first bytes and its resource section alone, never another
// answer than from the whole.

#include "image_version.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    uint32_t high = 0, low = 0;
    const bool found = Tarnbolt::ReadImageFixedVersion(data, size, high, low);
    // A copy elsewhere in memory answers the same: nothing depends on the address.
    const std::vector<unsigned char> copy(data, data + size);
    uint32_t high2 = ~high, low2 = ~low;
    const bool found2 = Tarnbolt::ReadImageFixedVersion(copy.data(), copy.size(), high2, low2);
    if (found != found2 || (found && (high != high2 || low != low2))) std::abort();

    // The head as a file read would have it, in a buffer of its own.
    const size_t headSize = size < 512 ? size : 512;
    const std::vector<unsigned char> head(data, data + headSize);
    size_t offset = 0, length = 0;
    if (Tarnbolt::ResourceSectionSpan(head.data(), head.size(), offset, length) && offset <= size) {
        const size_t got = length < size - offset ? length : size - offset;
        const std::vector<unsigned char> body(data + offset, data + offset + got);
        uint32_t high3 = 0, low3 = 0;
        if (Tarnbolt::ReadSplitImageFixedVersion(head.data(), head.size(), body.data(), offset,
                                                 body.size(), high3, low3) &&
            (!found || high3 != high || low3 != low))
            std::abort();
    }
    return 0;
}
