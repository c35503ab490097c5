// The fixed version of an embedded library image, read from any bytes. Property:
// no read outside the image (the sanitizers watch) and the same answer every time.

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
    return 0;
}
