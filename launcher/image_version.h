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

// Where in a file the version read looks beyond the file's first bytes: the
// section that holds the resource directory, from its file offset over the extent
// its addresses reach. False when `head`, the file's first `headSize` bytes, does
// not hold the headers and section table that tell it.
bool ResourceSectionSpan(const unsigned char* head, size_t headSize, size_t& offset,
                         size_t& length);

// ReadImageFixedVersion over a file of which only two stretches were read: its
// first `headSize` bytes and `bodySize` bytes at `bodyOffset`. Whenever it answers
// true it answers what the whole file would; false when the read needed any other
// byte, or the whole file would answer false.
bool ReadSplitImageFixedVersion(const unsigned char* head, size_t headSize,
                                const unsigned char* body, size_t bodyOffset, size_t bodySize,
                                uint32_t& high, uint32_t& low);

}  // namespace Tarnbolt
