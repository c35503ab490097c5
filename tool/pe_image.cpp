#include "pe_image.h"

#include "pe_layout.h"

#include <cstring>

namespace Tarnbolt {
namespace PeLayout {

bool Bytes::U16(size_t offset, uint32_t& value) const {
    if (!Has(offset, 2)) return false;
    value = static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8);
    return true;
}

bool Bytes::U32(size_t offset, uint32_t& value) const {
    if (!Has(offset, 4)) return false;
    value = static_cast<uint32_t>(data_[offset]) | (static_cast<uint32_t>(data_[offset + 1]) << 8) |
            (static_cast<uint32_t>(data_[offset + 2]) << 16) |
            (static_cast<uint32_t>(data_[offset + 3]) << 24);
    return true;
}

bool Bytes::U64(size_t offset, uint64_t& value) const {
    uint32_t low = 0, high = 0;
    if (!U32(offset, low) || !U32(offset + 4, high)) return false;
    value = (static_cast<uint64_t>(high) << 32) | low;
    return true;
}

bool ReadHeaders(const Bytes& image, Headers& h) {
    uint32_t mz = 0, peOffset = 0, signature = 0;
    if (!image.U16(0, mz) || mz != 0x5A4D || !image.U32(0x3C, peOffset) ||
        !image.U32(peOffset, signature) || signature != 0x00004550)
        return false;
    h = Headers();
    h.fileHeader = static_cast<size_t>(peOffset) + 4;
    uint32_t sectionCount = 0, optionalSize = 0;
    if (!image.Has(h.fileHeader, 20) || !image.U16(h.fileHeader, h.machine) ||
        !image.U16(h.fileHeader + 2, sectionCount) || !image.U16(h.fileHeader + 16, optionalSize) ||
        !image.U16(h.fileHeader + 18, h.characteristics))
        return false;
    h.optional = h.fileHeader + 20;
    h.optionalSize = optionalSize;
    if (!image.Has(h.optional, h.optionalSize) || !image.U16(h.optional, h.magic)) return false;
    size_t countField;
    if (h.magic == 0x10B) {
        countField = 92;
    } else if (h.magic == 0x20B) {
        countField = 108;
    } else {
        return false;
    }
    uint32_t declared = 0;
    if (h.optionalSize < countField + 4 || !image.U32(h.optional + countField, declared)) return false;
    // The declared directories must fit in the optional header.
    if (declared > (h.optionalSize - countField - 4) / 8) return false;
    h.directoryCount = declared > 16 ? 16 : declared;
    h.directories = h.optional + countField + 4;
    if (!image.U16(h.optional + kSubsystem, h.subsystem) ||
        !image.U32(h.optional + kSectionAlignment, h.sectionAlignment) ||
        !image.U32(h.optional + kFileAlignment, h.fileAlignment) ||
        !image.U32(h.optional + kSizeOfImage, h.sizeOfImage) ||
        !image.U32(h.optional + kSizeOfHeaders, h.sizeOfHeaders) ||
        !image.U32(h.optional + kCheckSum, h.checkSum))
        return false;
    h.sectionTable = h.optional + h.optionalSize;
    if (!image.Has(h.sectionTable, static_cast<size_t>(sectionCount) * kSectionHeaderSize)) return false;
    h.sections.resize(sectionCount);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        Section& s = h.sections[i];
        s.header = h.sectionTable + static_cast<size_t>(i) * kSectionHeaderSize;
        if (!image.U32(s.header + 8, s.virtualSize) || !image.U32(s.header + 12, s.virtualAddress) ||
            !image.U32(s.header + 16, s.rawSize) || !image.U32(s.header + 20, s.rawOffset))
            return false;
    }
    return true;
}

bool Directory(const Bytes& image, const Headers& h, unsigned index, uint32_t& rva, uint32_t& size) {
    rva = size = 0;
    if (index >= h.directoryCount) return true;
    return image.U32(h.directories + index * 8, rva) && image.U32(h.directories + index * 8 + 4, size);
}

bool MapRva(const Headers& h, size_t fileSize, uint32_t rva, size_t& offset, size_t& available) {
    for (const Section& s : h.sections) {
        if (rva < s.virtualAddress || rva - s.virtualAddress >= s.rawSize) continue;
        const uint32_t delta = rva - s.virtualAddress;
        const uint64_t at = static_cast<uint64_t>(s.rawOffset) + delta;
        if (at >= fileSize) return false;
        const uint64_t inSection = s.rawSize - delta;
        const uint64_t inFile = fileSize - at;
        offset = static_cast<size_t>(at);
        available = static_cast<size_t>(inSection < inFile ? inSection : inFile);
        return true;
    }
    return false;
}

}  // namespace PeLayout

namespace {

using PeLayout::Bytes;
using PeLayout::Headers;

const uint32_t kHighBit = 0x80000000u;
// Limits on what a damaged import table can make the walk do.
const size_t kMaxImports = 1u << 16;
const size_t kMaxNameLength = 4096;

// A zero-terminated text at `rva`, wholly inside its section's file data.
bool ReadText(const Bytes& image, const Headers& h, uint32_t rva, std::string& text) {
    size_t offset = 0, available = 0;
    if (!PeLayout::MapRva(h, image.Size(), rva, offset, available)) return false;
    if (available > kMaxNameLength) available = kMaxNameLength;
    const unsigned char* start = image.Data() + offset;
    const void* end = std::memchr(start, 0, available);
    if (!end) return false;
    text.assign(reinterpret_cast<const char*>(start), static_cast<const unsigned char*>(end) - start);
    return true;
}

// One library's thunks, from the lookup table (or the address table when the image
// has none). Each entry is 4 bytes in PE32, 8 in PE32+; a zero entry ends the list.
bool ReadThunks(const Bytes& image, const Headers& h, uint32_t rva, const std::string& dll,
                std::vector<PeImport>& imports) {
    const bool plus = h.magic == 0x20B;
    const size_t width = plus ? 8 : 4;
    for (uint64_t index = 0;; ++index) {
        if (imports.size() >= kMaxImports) return false;
        const uint64_t at = rva + index * width;
        if (at > 0xFFFFFFFFu) return false;
        size_t offset = 0, available = 0;
        if (!PeLayout::MapRva(h, image.Size(), static_cast<uint32_t>(at), offset, available) ||
            available < width)
            return false;
        uint64_t thunk = 0;
        if (plus) {
            if (!image.U64(offset, thunk)) return false;
        } else {
            uint32_t value = 0;
            if (!image.U32(offset, value)) return false;
            thunk = value;
        }
        if (thunk == 0) return true;
        const uint64_t ordinalFlag = plus ? (1ull << 63) : kHighBit;
        PeImport import;
        import.dll = dll;
        if (thunk & ordinalFlag) {
            import.function = "#" + std::to_string(thunk & 0xFFFF);
        } else {
            // A hint/name entry: two bytes of hint, then the name.
            if (thunk >= kHighBit) return false;
            if (!ReadText(image, h, static_cast<uint32_t>(thunk) + 2, import.function)) return false;
        }
        imports.push_back(import);
    }
}

bool ReadImports(const Bytes& image, const Headers& h, std::vector<PeImport>& imports) {
    uint32_t rva = 0, size = 0;
    if (!PeLayout::Directory(image, h, 1, rva, size)) return false;
    if (rva == 0) return true;
    for (uint64_t index = 0;; ++index) {
        const uint64_t at = rva + index * 20;
        if (at > 0xFFFFFFFFu || index >= kMaxImports) return false;
        size_t offset = 0, available = 0;
        if (!PeLayout::MapRva(h, image.Size(), static_cast<uint32_t>(at), offset, available) ||
            available < 20)
            return false;
        uint32_t lookup = 0, name = 0, addresses = 0;
        if (!image.U32(offset, lookup) || !image.U32(offset + 12, name) ||
            !image.U32(offset + 16, addresses))
            return false;
        if (name == 0) return true;  // the loader stops at the descriptor without a name
        std::string dll;
        if (!ReadText(image, h, name, dll)) return false;
        for (char& c : dll)
            if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (!ReadThunks(image, h, lookup ? lookup : addresses, dll, imports)) return false;
    }
}

bool SameTypeName(const Bytes& image, size_t name, const char* typeName) {
    uint32_t length = 0;
    if (!image.U16(name, length) || length != std::strlen(typeName)) return false;
    for (uint32_t i = 0; i < length; ++i) {
        uint32_t unit = 0;
        if (!image.U16(name + 2 + 2 * static_cast<size_t>(i), unit) || unit > 0x7F) return false;
        unsigned char a = static_cast<unsigned char>(unit), b = static_cast<unsigned char>(typeName[i]);
        if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 'a' + 'A');
        if (a != b) return false;
    }
    return true;
}

}  // namespace

bool ReadPeInfo(const unsigned char* data, size_t size, PeInfo& info) {
    const Bytes image(data, size);
    Headers h;
    if (!PeLayout::ReadHeaders(image, h)) return false;
    info = PeInfo();
    info.machine = static_cast<uint16_t>(h.machine);
    info.pe32Plus = h.magic == 0x20B;
    info.isDll = (h.characteristics & 0x2000) != 0;
    info.subsystem = static_cast<uint16_t>(h.subsystem);
    info.importsReadable = ReadImports(image, h, info.imports);
    PeLayout::Directory(image, h, 4, info.certificateOffset, info.certificateSize);
    return true;
}

bool FindPeResource(const unsigned char* data, size_t size, const char* typeName, uint32_t id,
                    size_t& offset, size_t& length) {
    if (!typeName) return false;
    const Bytes image(data, size);
    Headers h;
    uint32_t rva = 0, directorySize = 0;
    size_t root = 0, span = 0;
    if (!PeLayout::ReadHeaders(image, h) || !PeLayout::Directory(image, h, 2, rva, directorySize) ||
        rva == 0 || !PeLayout::MapRva(h, size, rva, root, span))
        return false;
    // Every offset of the tree is relative to its root and stays inside the span.
    const Bytes tree(data + root, span);

    // One level: the offset field of the first entry that `match` accepts. The walk
    // has three levels and no recursion, so a damaged tree cannot make it loop.
    auto find = [&](size_t directory, auto match, uint32_t& target) {
        uint32_t named = 0, ids = 0;
        if (!tree.U16(directory + 12, named) || !tree.U16(directory + 14, ids)) return false;
        for (uint32_t i = 0; i < named + ids; ++i) {
            uint32_t name = 0, field = 0;
            const size_t entry = directory + 16 + static_cast<size_t>(i) * 8;
            if (!tree.U32(entry, name) || !tree.U32(entry + 4, field)) return false;
            if (match(name)) {
                target = field;
                return true;
            }
        }
        return false;
    };
    uint32_t entry = 0;
    auto byType = [&](uint32_t name) {
        return (name & kHighBit) && SameTypeName(tree, name & ~kHighBit, typeName);
    };
    if (!find(0, byType, entry) || !(entry & kHighBit)) return false;
    auto byId = [&](uint32_t name) { return name == id; };
    if (id & kHighBit || !find(entry & ~kHighBit, byId, entry) || !(entry & kHighBit)) return false;
    auto first = [](uint32_t) { return true; };
    if (!find(entry & ~kHighBit, first, entry) || (entry & kHighBit)) return false;

    uint32_t dataRva = 0, dataSize = 0;
    size_t at = 0, available = 0;
    if (!tree.U32(entry, dataRva) || !tree.U32(entry + 4, dataSize) ||
        !PeLayout::MapRva(h, size, dataRva, at, available) || dataSize > available)
        return false;
    offset = at;
    length = dataSize;
    return true;
}

}  // namespace Tarnbolt
