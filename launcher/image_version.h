#pragma once
// The fixed file version of a library image held in memory (an embedded payload),
// read from its version resource without the platform's help.

#include <cstddef>
#include <cstdint>

namespace Tarnbolt {

// True when `image` is a PE image with a version resource of id 1, the one the
// platform's version query reads; high and low are then its fixed file version,
// laid out as the platform's fixed file information has it.
bool ReadImageFixedVersion(const unsigned char* image, size_t size, uint32_t& high, uint32_t& low);

// Where the image's version resource lies: `entry` is the offset of its resource
// data entry (address and size fields), `data` and `dataSize` those of its bytes.
bool LocateVersionResource(const unsigned char* image, size_t size, size_t& entry, size_t& data,
                           size_t& dataSize);

}  // namespace Tarnbolt
