#pragma once
// The root entry of a version-information block, checked against the block's own
// lengths before anything walks it: the platform's query trusts those lengths.

#include <cstddef>

namespace Tarnbolt {

// The size of the fixed file information record.
constexpr size_t kFixedFileInfoSize = 52;

// True when the `size` bytes at `block` begin with a sound root entry: its length
// fits the block, its key is "VS_VERSION_INFO" (in UTF-16, or in the narrow layout
// of the older version readers), and its value is one whole fixed file information
// record, signature included, inside the entry. `fixedOffset` is then where that
// record begins.
bool FindFixedFileInfo(const unsigned char* block, size_t size, size_t& fixedOffset);

}  // namespace Tarnbolt
