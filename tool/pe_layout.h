#pragma once
// The headers of a PE image as the reader and the stamper both need them. Internal
// to tool/: the public operations are in pe_image.h and pe_stamp.h.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace Tarnbolt {
namespace PeLayout {

// Bounds-checked little-endian reads: a read that does not fit answers false.
class Bytes {
public:
    Bytes(const unsigned char* data, size_t size) : data_(data), size_(data ? size : 0) {}
    size_t Size() const { return size_; }
    const unsigned char* Data() const { return data_; }
    bool Has(size_t offset, size_t length) const {
        return offset <= size_ && length <= size_ - offset;
    }
    bool U16(size_t offset, uint32_t& value) const;
    bool U32(size_t offset, uint32_t& value) const;
    bool U64(size_t offset, uint64_t& value) const;

private:
    const unsigned char* data_;
    size_t size_;
};

struct Section {
    size_t header = 0;  // file offset of its 40-byte header
    uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawOffset = 0;
};

// Offsets within the optional header shared by PE32 and PE32+.
const size_t kSizeOfInitializedData = 8;
const size_t kSectionAlignment = 32;
const size_t kFileAlignment = 36;
const size_t kSizeOfImage = 56;
const size_t kSizeOfHeaders = 60;
const size_t kCheckSum = 64;
const size_t kSubsystem = 68;
const size_t kSectionHeaderSize = 40;

struct Headers {
    size_t fileHeader = 0, optional = 0, optionalSize = 0, directories = 0, sectionTable = 0;
    uint32_t machine = 0, characteristics = 0, magic = 0, subsystem = 0;
    uint32_t directoryCount = 0;  // at most 16: a loader looks at no more
    uint32_t fileAlignment = 0, sectionAlignment = 0, sizeOfHeaders = 0, sizeOfImage = 0, checkSum = 0;
    std::vector<Section> sections;
};

// False when the bytes do not begin with a PE image whose headers and section
// table lie inside them.
bool ReadHeaders(const Bytes& image, Headers& headers);

// Data directory `index`; a directory the header does not hold reads as 0, 0.
bool Directory(const Bytes& image, const Headers& headers, unsigned index, uint32_t& rva,
               uint32_t& size);

// The file offset of `rva` and how many bytes of the section's file data follow it
// (never past the end of the file). False when no section's file data holds it.
bool MapRva(const Headers& headers, size_t fileSize, uint32_t rva, size_t& offset, size_t& available);

}  // namespace PeLayout
}  // namespace Tarnbolt
