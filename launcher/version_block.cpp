#include "version_block.h"

#include <cstdint>

namespace Tarnbolt {
namespace {

const char kKey[] = "VS_VERSION_INFO";  // with its terminator: 16 characters
const uint32_t kFixedSignature = 0xFEEF04BD;

uint32_t U16(const unsigned char* p) { return p[0] | (p[1] << 8); }

uint32_t U32(const unsigned char* p) {
    return U16(p) | (U16(p + 2) << 16);
}

}  // namespace

bool FindFixedFileInfo(const unsigned char* block, size_t size, size_t& fixedOffset) {
    // Length, value length, then the type (UTF-16 layout) or at once the key.
    if (!block || size < 6) return false;
    const bool narrow = block[4] >= ' ';
    const size_t key = narrow ? 4 : 6;
    const size_t keySize = narrow ? sizeof kKey : 2 * sizeof kKey;
    const size_t value = (key + keySize + 3) & ~static_cast<size_t>(3);
    const uint32_t length = U16(block);
    if (length > size || length < value + kFixedFileInfoSize) return false;
    if (U16(block + 2) != kFixedFileInfoSize) return false;
    if (!narrow && U16(block + 4) > 1) return false;  // binary (0) or text (1)
    for (size_t i = 0; i < sizeof kKey; ++i) {
        const unsigned char c = static_cast<unsigned char>(kKey[i]);
        if (narrow ? block[key + i] != c : U16(block + key + 2 * i) != c) return false;
    }
    if (U32(block + value) != kFixedSignature) return false;
    fixedOffset = value;
    return true;
}

}  // namespace Tarnbolt
