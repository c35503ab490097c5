#include "image_version.h"

#include "version_block.h"

namespace Tarnbolt {
namespace {

const uint32_t kVersionResourceType = 16;   // RT_VERSION
// The platform's version query reads the version resource with this id and no
// other: a resource under another id is no version at all once installed.
const uint32_t kVersionResourceId = 1;      // VS_VERSION_INFO
const uint32_t kSubdirectoryFlag = 0x80000000u;

// Bounds-checked little-endian reads over the image: its first bytes and, apart
// from them, one more stretch of it at its own file offset (a library read from
// its file is read only where the version read looks). A read that is not wholly
// inside one of the two fails.
class Image {
public:
    Image(const unsigned char* head, size_t headSize, const unsigned char* body = nullptr,
          size_t bodyOffset = 0, size_t bodySize = 0)
        : head_(head), headSize_(head ? headSize : 0), body_(body), bodyOffset_(bodyOffset),
          bodySize_(body ? bodySize : 0) {}
    const unsigned char* At(size_t offset, size_t length) const {
        if (head_ && offset <= headSize_ && length <= headSize_ - offset) return head_ + offset;
        if (body_ && offset >= bodyOffset_ && offset - bodyOffset_ <= bodySize_ &&
            length <= bodySize_ - (offset - bodyOffset_))
            return body_ + (offset - bodyOffset_);
        return nullptr;
    }
    bool Has(size_t offset, size_t length) const { return At(offset, length) != nullptr; }
    bool U16(size_t offset, uint32_t& value) const {
        const unsigned char* p = At(offset, 2);
        if (!p) return false;
        value = p[0] | (p[1] << 8);
        return true;
    }
    bool U32(size_t offset, uint32_t& value) const {
        const unsigned char* p = At(offset, 4);
        if (!p) return false;
        value = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
        return true;
    }

private:
    const unsigned char* head_;
    size_t headSize_;
    const unsigned char* body_;
    size_t bodyOffset_;
    size_t bodySize_;
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

namespace {

// The headers: where the section table lies and the resource directory's address.
struct Headers {
    size_t sections = 0;
    uint32_t sectionCount = 0;
    uint32_t resourceRva = 0;
};

bool ReadHeaders(const Image& image, Headers& headers) {
    uint32_t mz = 0, peOffset = 0, signature = 0;
    if (!image.U16(0, mz) || mz != 0x5A4D || !image.U32(0x3C, peOffset) ||
        !image.U32(peOffset, signature) || signature != 0x00004550)
        return false;
    const size_t fileHeader = static_cast<size_t>(peOffset) + 4;
    uint32_t optionalSize = 0, magic = 0;
    if (!image.U16(fileHeader + 2, headers.sectionCount) ||
        !image.U16(fileHeader + 16, optionalSize))
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
    uint32_t directoryCount = 0, resourceSize = 0;
    if (!image.U32(countField, directoryCount) || directoryCount < 3 ||
        !image.U32(directories + 16, headers.resourceRva) ||
        !image.U32(directories + 20, resourceSize) || headers.resourceRva == 0)
        return false;
    headers.sections = optional + optionalSize;
    return true;
}

// The section that holds `rva`: its file offset for that address, and the extent
// from the section's start that addresses reach (raw or virtual size, the larger).
bool FindSection(const Image& image, const Headers& headers, uint32_t rva, size_t& offset,
                 size_t& sectionOffset, size_t& extent) {
    for (uint32_t i = 0; i < headers.sectionCount; ++i) {
        Section s;
        size_t at = headers.sections + static_cast<size_t>(i) * 40;
        if (!image.U32(at + 8, s.virtualSize) || !image.U32(at + 12, s.virtualAddress) ||
            !image.U32(at + 16, s.rawSize) || !image.U32(at + 20, s.rawOffset))
            return false;
        uint32_t reach = s.virtualSize > s.rawSize ? s.virtualSize : s.rawSize;
        if (rva >= s.virtualAddress && rva - s.virtualAddress < reach) {
            offset = static_cast<size_t>(s.rawOffset) + (rva - s.virtualAddress);
            sectionOffset = s.rawOffset;
            extent = reach;
            return true;
        }
    }
    return false;
}

bool Locate(const Image& image, size_t& entryOffset, size_t& resourceOffset,
            size_t& resourceLength) {
    Headers headers;
    if (!ReadHeaders(image, headers)) return false;
    // Relative virtual addresses become file offsets through the section table.
    auto toOffset = [&](uint32_t rva, size_t& offset) {
        size_t sectionOffset = 0, extent = 0;
        return FindSection(image, headers, rva, offset, sectionOffset, extent);
    };

    size_t root = 0;
    if (!toOffset(headers.resourceRva, root)) return false;
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

bool FixedVersion(const Image& image, uint32_t& high, uint32_t& low) {
    size_t entry = 0, resource = 0, resourceSize = 0, fixed = 0;
    if (!Locate(image, entry, resource, resourceSize)) return false;
    const unsigned char* block = image.At(resource, resourceSize);
    if (!block || !FindFixedFileInfo(block, resourceSize, fixed)) return false;
    const Image record(block, resourceSize);
    return record.U32(fixed + 8, high) && record.U32(fixed + 12, low);
}

}  // namespace

bool LocateVersionResource(const unsigned char* data, size_t size, size_t& entryOffset,
                           size_t& resourceOffset, size_t& resourceLength) {
    return data && Locate(Image(data, size), entryOffset, resourceOffset, resourceLength);
}

bool ReadImageFixedVersion(const unsigned char* data, size_t size, uint32_t& high, uint32_t& low) {
    return data && FixedVersion(Image(data, size), high, low);
}

bool ResourceSectionSpan(const unsigned char* head, size_t headSize, size_t& offset,
                         size_t& length) {
    if (!head) return false;
    const Image image(head, headSize);
    Headers headers;
    size_t directory = 0;
    return ReadHeaders(image, headers) &&
           FindSection(image, headers, headers.resourceRva, directory, offset, length);
}

bool ReadSplitImageFixedVersion(const unsigned char* head, size_t headSize,
                                const unsigned char* body, size_t bodyOffset, size_t bodySize,
                                uint32_t& high, uint32_t& low) {
    return head && body &&
           FixedVersion(Image(head, headSize, body, bodyOffset, bodySize), high, low);
}

}  // namespace Tarnbolt
