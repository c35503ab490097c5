#include "image_version.h"

#include "version_block.h"

namespace Tarnbolt {
namespace {

const uint32_t kVersionResourceType = 16;   // RT_VERSION
// The platform's version query reads the version resource with this id and no
// other: a resource under another id is no version at all once installed.
const uint32_t kVersionResourceId = 1;      // VS_VERSION_INFO
const uint32_t kSubdirectoryFlag = 0x80000000u;

// Bounds-checked little-endian reads over the image.
class Image {
public:
    Image(const unsigned char* data, size_t size) : data_(data), size_(size) {}
    bool Has(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    bool U16(size_t offset, uint32_t& value) const {
        if (!Has(offset, 2)) return false;
        value = data_[offset] | (data_[offset + 1] << 8);
        return true;
    }
    bool U32(size_t offset, uint32_t& value) const {
        if (!Has(offset, 4)) return false;
        value = static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8) |
                (static_cast<uint32_t>(data_[offset + 2]) << 16) |
                (static_cast<uint32_t>(data_[offset + 3]) << 24);
        return true;
    }

private:
    const unsigned char* data_;
    size_t size_;
};

struct Section {
    uint32_t virtualAddress, virtualSize, rawSize, rawOffset;
};

// Follows one level of the resource tree: the entry with `id`, or the first entry
// when `anyEntry`. Answers the entry's offset field.
bool FindEntry(const Image& image, size_t directory, bool anyEntry, uint32_t id, uint32_t& target) {
    uint32_t named = 0, ids = 0;
    if (!image.U16(directory + 12, named) || !image.U16(directory + 14, ids)) return false;
    for (uint32_t i = 0; i < named + ids; ++i) {
        uint32_t name = 0, offset = 0;
        size_t entry = directory + 16 + static_cast<size_t>(i) * 8;
        if (!image.U32(entry, name) || !image.U32(entry + 4, offset)) return false;
        if (anyEntry || (i >= named && name == id)) {
            target = offset;
            return true;
        }
    }
    return false;
}

}  // namespace

bool LocateVersionResource(const unsigned char* data, size_t size, size_t& entryOffset,
                           size_t& resourceOffset, size_t& resourceLength) {
    if (!data) return false;
    const Image image(data, size);
    uint32_t mz = 0, peOffset = 0, signature = 0;
    if (!image.U16(0, mz) || mz != 0x5A4D || !image.U32(0x3C, peOffset) ||
        !image.U32(peOffset, signature) || signature != 0x00004550)
        return false;
    const size_t fileHeader = static_cast<size_t>(peOffset) + 4;
    uint32_t sectionCount = 0, optionalSize = 0, magic = 0;
    if (!image.U16(fileHeader + 2, sectionCount) || !image.U16(fileHeader + 16, optionalSize))
        return false;
    const size_t optional = fileHeader + 20;
    if (!image.U16(optional, magic)) return false;
    size_t directories, countField;
    if (magic == 0x10B) {
        countField = optional + 92;
        directories = optional + 96;
    } else if (magic == 0x20B) {
        countField = optional + 108;
        directories = optional + 112;
    } else {
        return false;
    }
    uint32_t directoryCount = 0, resourceRva = 0, resourceSize = 0;
    if (!image.U32(countField, directoryCount) || directoryCount < 3 ||
        !image.U32(directories + 16, resourceRva) || !image.U32(directories + 20, resourceSize) ||
        resourceRva == 0)
        return false;

    // Relative virtual addresses become file offsets through the section table.
    const size_t sections = optional + optionalSize;
    auto toOffset = [&](uint32_t rva, size_t& offset) {
        for (uint32_t i = 0; i < sectionCount; ++i) {
            Section s;
            size_t at = sections + static_cast<size_t>(i) * 40;
            if (!image.U32(at + 8, s.virtualSize) || !image.U32(at + 12, s.virtualAddress) ||
                !image.U32(at + 16, s.rawSize) || !image.U32(at + 20, s.rawOffset))
                return false;
            uint32_t extent = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
                offset = static_cast<size_t>(s.rawOffset) + (rva - s.virtualAddress);
                return true;
            }
        }
        return false;
    };

    size_t root = 0;
    if (!toOffset(resourceRva, root)) return false;
    // Type, then name, then language; the last level points at a data entry.
    uint32_t entry = 0;
    if (!FindEntry(image, root, false, kVersionResourceType, entry) || !(entry & kSubdirectoryFlag))
        return false;
    if (!FindEntry(image, root + (entry & ~kSubdirectoryFlag), false, kVersionResourceId, entry) ||
        !(entry & kSubdirectoryFlag))
        return false;
    if (!FindEntry(image, root + (entry & ~kSubdirectoryFlag), true, 0, entry) ||
        (entry & kSubdirectoryFlag))
        return false;
    uint32_t dataRva = 0, dataSize = 0;
    size_t dataOffset = 0;
    if (!image.U32(root + entry, dataRva) || !image.U32(root + entry + 4, dataSize) ||
        !toOffset(dataRva, dataOffset) || !image.Has(dataOffset, dataSize))
        return false;
    entryOffset = root + entry;
    resourceOffset = dataOffset;
    resourceLength = dataSize;
    return true;
}

bool ReadImageFixedVersion(const unsigned char* data, size_t size, uint32_t& high, uint32_t& low) {
    size_t entry = 0, resource = 0, resourceSize = 0, fixed = 0;
    if (!LocateVersionResource(data, size, entry, resource, resourceSize) ||
        !FindFixedFileInfo(data + resource, resourceSize, fixed))
        return false;
    const Image image(data + resource, resourceSize);
    return image.U32(fixed + 8, high) && image.U32(fixed + 12, low);
}

}  // namespace Tarnbolt
