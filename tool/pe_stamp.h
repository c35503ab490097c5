#pragma once
// Puts resources into a copy of a PE image without the platform's help.

#include <cstdint>
#include <vector>

namespace Tarnbolt {

struct StampItem {
    uint32_t id;
    std::vector<unsigned char> bytes;
};

// A copy of `image` whose resources of string type `typeName` with the items' ids
// hold the items' bytes under language 1033 (any other languages of those ids are
// dropped), every other resource as it was. The whole tree goes into a new ".rsrc"
// section after the last one; an older ".rsrc" header is renamed ".rsold" and its
// bytes stay. When two items share an id the later one wins. In an image whose
// section alignment is below the page size the new section's file offset is its
// address, as the loader needs there.
// False (out untouched) when the image cannot be understood, has no room for one
// more section header, carries bytes after its last section or a certificate (a
// stamped signed file would be broken anyway), aligns its sections below the page
// size with another file alignment, or an item is empty or its id is not
// a 16-bit integer name (1 to 65535).
bool StampResources(const std::vector<unsigned char>& image, const char* typeName,
                    const std::vector<StampItem>& items, std::vector<unsigned char>& out);

}  // namespace Tarnbolt
