#include "pe_stamp.h"

#include "pe_layout.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <utility>

namespace Tarnbolt {
namespace {

using PeLayout::Bytes;
using PeLayout::Headers;

const uint32_t kHighBit = 0x80000000u;
const uint32_t kStampLanguage = 1033;
// A damaged tree may share directories or blobs; these bound what reading it costs.
const size_t kMaxEntries = 1u << 16;

// The resource tree as a model: type, name, language.
struct Name {
    bool named = false;
    std::u16string text;
    uint32_t id = 0;
};
struct Language {
    uint32_t id = 0;
    uint32_t codePage = 0;
    std::vector<unsigned char> bytes;
};
struct Item {
    Name name;
    std::vector<Language> languages;
};
struct Type {
    Name name;
    std::vector<Item> items;
};

char16_t Upper(char16_t c) { return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c; }

// The order of entries in a directory: named ones first, by name compared in upper
// case, then ids ascending.
bool Before(const Name& a, const Name& b) {
    if (a.named != b.named) return a.named;
    if (!a.named) return a.id < b.id;
    return std::lexicographical_compare(a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
                                        [](char16_t x, char16_t y) { return Upper(x) < Upper(y); });
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char16_t x, char16_t y) { return Upper(x) == Upper(y); });
}

class TreeReader {
public:
    TreeReader(const Bytes& image, const Headers& headers, const Bytes& tree)
        : image_(image), headers_(headers), tree_(tree) {}

    bool Read(std::vector<Type>& types) {
        std::vector<std::pair<uint32_t, uint32_t>> typeEntries;
        if (!Entries(0, typeEntries)) return false;
        for (const auto& t : typeEntries) {
            Type type;
            std::vector<std::pair<uint32_t, uint32_t>> itemEntries;
            if (!ReadName(t.first, type.name) || !(t.second & kHighBit) ||
                !Entries(t.second & ~kHighBit, itemEntries))
                return false;
            for (const auto& n : itemEntries) {
                Item item;
                std::vector<std::pair<uint32_t, uint32_t>> languageEntries;
                if (!ReadName(n.first, item.name) || !(n.second & kHighBit) ||
                    !Entries(n.second & ~kHighBit, languageEntries))
                    return false;
                for (const auto& l : languageEntries) {
                    Language language;
                    language.id = l.first;
                    if ((l.first & kHighBit) || (l.second & kHighBit) || !ReadData(l.second, language))
                        return false;
                    item.languages.push_back(std::move(language));
                }
                type.items.push_back(std::move(item));
            }
            types.push_back(std::move(type));
        }
        return true;
    }

private:
    // A directory's (name, offset) fields. Each directory is read once, which with the
    // fixed depth of three keeps a looping or shared tree from repeating work.
    bool Entries(size_t at, std::vector<std::pair<uint32_t, uint32_t>>& entries) {
        uint32_t named = 0, ids = 0;
        if (!seen_.insert(at).second || !tree_.U16(at + 12, named) || !tree_.U16(at + 14, ids))
            return false;
        count_ += named + ids;
        if (count_ > kMaxEntries) return false;
        for (uint32_t i = 0; i < named + ids; ++i) {
            uint32_t name = 0, field = 0;
            const size_t entry = at + 16 + static_cast<size_t>(i) * 8;
            if (!tree_.U32(entry, name) || !tree_.U32(entry + 4, field)) return false;
            entries.emplace_back(name, field);
        }
        return true;
    }

    // A name is an id, or (high bit) the offset of a length-prefixed UTF-16 text.
    bool ReadName(uint32_t field, Name& name) {
        if (!(field & kHighBit)) {
            name.id = field;
            return true;
        }
        name.named = true;
        const size_t at = field & ~kHighBit;
        uint32_t length = 0;
        if (!tree_.U16(at, length) || !tree_.Has(at + 2, static_cast<size_t>(length) * 2)) return false;
        for (uint32_t i = 0; i < length; ++i) {
            uint32_t unit = 0;
            tree_.U16(at + 2 + 2 * static_cast<size_t>(i), unit);
            name.text.push_back(static_cast<char16_t>(unit));
        }
        return true;
    }

    bool ReadData(size_t at, Language& language) {
        uint32_t rva = 0, size = 0;
        size_t offset = 0, available = 0;
        if (!tree_.U32(at, rva) || !tree_.U32(at + 4, size) || !tree_.U32(at + 8, language.codePage) ||
            !PeLayout::MapRva(headers_, image_.Size(), rva, offset, available) || size > available)
            return false;
        // Blobs shared between entries could otherwise multiply the image.
        copied_ += size;
        if (copied_ > image_.Size()) return false;
        language.bytes.assign(image_.Data() + offset, image_.Data() + offset + size);
        return true;
    }

    const Bytes& image_;
    const Headers& headers_;
    const Bytes& tree_;
    std::set<size_t> seen_;
    size_t count_ = 0;
    uint64_t copied_ = 0;
};

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = static_cast<unsigned char>(v);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The smallest page of the x86 systems the launcher runs on.
const uint64_t kPageSize = 0x1000;

uint64_t AlignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

// The tree as the section holding it at `rva` stores it: all directories, then the
// data entries, then the names, then the blobs, each aligned to 8. The types must be
// sorted. False when it would not fit the 31-bit offsets of the tree.
bool WriteTree(const std::vector<Type>& types, uint32_t rva, std::vector<unsigned char>& out) {
    auto directorySize = [](size_t entries) { return 16 + 8 * static_cast<uint64_t>(entries); };
    uint64_t directories = directorySize(types.size()), dataEntries = 0, names = 0;
    for (const Type& type : types) {
        directories += directorySize(type.items.size());
        if (type.name.named) names += 2 + 2 * static_cast<uint64_t>(type.name.text.size());
        for (const Item& item : type.items) {
            directories += directorySize(item.languages.size());
            dataEntries += 16 * static_cast<uint64_t>(item.languages.size());
            if (item.name.named) names += 2 + 2 * static_cast<uint64_t>(item.name.text.size());
        }
    }
    uint64_t blobs = AlignUp(directories + dataEntries + names, 8), total = blobs;
    for (const Type& type : types)
        for (const Item& item : type.items)
            for (const Language& language : item.languages) total = AlignUp(total + language.bytes.size(), 8);
    if (total >= kHighBit || rva + total > 0xFFFFFFFFull) return false;
    out.assign(static_cast<size_t>(total), 0);

    size_t nextDirectory = 0, nextData = static_cast<size_t>(directories);
    size_t nextName = static_cast<size_t>(directories + dataEntries), nextBlob = static_cast<size_t>(blobs);
    auto directory = [&](size_t named, size_t ids) {
        const size_t at = nextDirectory;
        nextDirectory += static_cast<size_t>(directorySize(named + ids));
        Put16(out, at + 12, static_cast<uint32_t>(named));
        Put16(out, at + 14, static_cast<uint32_t>(ids));
        return at;
    };
    auto nameField = [&](const Name& name) {
        if (!name.named) return name.id;
        const size_t at = nextName;
        Put16(out, at, static_cast<uint32_t>(name.text.size()));
        for (size_t i = 0; i < name.text.size(); ++i) Put16(out, at + 2 + 2 * i, name.text[i]);
        nextName += 2 + 2 * name.text.size();
        return static_cast<uint32_t>(at) | kHighBit;
    };
    auto namedCount = [](const auto& list) {
        return static_cast<size_t>(std::count_if(list.begin(), list.end(), [](const auto& e) { return e.name.named; }));
    };

    // Breadth first: the root, then every type's directory, then every name's.
    const size_t root = directory(namedCount(types), types.size() - namedCount(types));
    std::vector<size_t> typeDirectories;
    for (size_t t = 0; t < types.size(); ++t) {
        const Type& type = types[t];
        const size_t at = directory(namedCount(type.items), type.items.size() - namedCount(type.items));
        typeDirectories.push_back(at);
        Put32(out, root + 16 + 8 * t, nameField(type.name));
        Put32(out, root + 20 + 8 * t, static_cast<uint32_t>(at) | kHighBit);
    }
    for (size_t t = 0; t < types.size(); ++t) {
        const Type& type = types[t];
        for (size_t n = 0; n < type.items.size(); ++n) {
            const Item& item = type.items[n];
            const size_t at = directory(0, item.languages.size());
            Put32(out, typeDirectories[t] + 16 + 8 * n, nameField(item.name));
            Put32(out, typeDirectories[t] + 20 + 8 * n, static_cast<uint32_t>(at) | kHighBit);
            for (size_t l = 0; l < item.languages.size(); ++l) {
                const Language& language = item.languages[l];
                Put32(out, at + 16 + 8 * l, language.id);
                Put32(out, at + 20 + 8 * l, static_cast<uint32_t>(nextData));
                Put32(out, nextData, rva + static_cast<uint32_t>(nextBlob));
                Put32(out, nextData + 4, static_cast<uint32_t>(language.bytes.size()));
                Put32(out, nextData + 8, language.codePage);
                nextData += 16;
                if (!language.bytes.empty())
                    std::memcpy(out.data() + nextBlob, language.bytes.data(), language.bytes.size());
                nextBlob = static_cast<size_t>(AlignUp(nextBlob + language.bytes.size(), 8));
            }
        }
    }
    return true;
}

void Apply(std::vector<Type>& types, const std::u16string& typeName, const std::vector<StampItem>& items) {
    auto type = std::find_if(types.begin(), types.end(),
                             [&](const Type& t) { return t.name.named && SameName(t.name.text, typeName); });
    if (type == types.end()) {
        Type added;
        added.name.named = true;
        added.name.text = typeName;
        types.push_back(added);
        type = types.end() - 1;
    }
    for (const StampItem& stamp : items) {
        auto& list = type->items;
        auto same = [&](const Item& i) { return !i.name.named && i.name.id == stamp.id; };
        auto item = std::find_if(list.begin(), list.end(), same);
        if (item == list.end()) {
            list.emplace_back();
            item = list.end() - 1;
            item->name.id = stamp.id;
        } else {
            // A second entry of the same id would shadow or contradict the stamped one.
            list.erase(std::remove_if(item + 1, list.end(), same), list.end());
        }
        Language language;
        language.id = kStampLanguage;
        language.bytes = stamp.bytes;
        item->languages.assign(1, language);
    }
}

void Sort(std::vector<Type>& types) {
    auto byName = [](const auto& a, const auto& b) { return Before(a.name, b.name); };
    std::stable_sort(types.begin(), types.end(), byName);
    for (Type& type : types) {
        std::stable_sort(type.items.begin(), type.items.end(), byName);
        for (Item& item : type.items)
            std::stable_sort(item.languages.begin(), item.languages.end(),
                             [](const Language& a, const Language& b) { return a.id < b.id; });
    }
}

// The standard image checksum: 16-bit one's-complement-style sum of the file with
// the checksum field taken as zero, plus the file's length.
uint32_t CheckSum(const std::vector<unsigned char>& b, size_t field) {
    auto byte = [&](size_t i) -> uint32_t { return i >= b.size() || (i >= field && i < field + 4) ? 0 : b[i]; };
    uint64_t sum = 0;
    for (size_t i = 0; i < b.size(); i += 2) {
        sum += byte(i) | (byte(i + 1) << 8);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + b.size());
}

bool PowerOfTwo(uint32_t v) { return v != 0 && (v & (v - 1)) == 0; }

}  // namespace

bool StampResources(const std::vector<unsigned char>& input, const char* typeName,
                    const std::vector<StampItem>& items, std::vector<unsigned char>& out) {
    if (!typeName || !*typeName) return false;
    std::u16string type;
    for (const char* c = typeName; *c; ++c) {
        if (static_cast<unsigned char>(*c) > 0x7F) return false;
        type.push_back(Upper(static_cast<char16_t>(*c)));  // as resource compilers store it
    }
    for (const StampItem& item : items)
        if (item.bytes.empty() || item.id == 0 || item.id > 0xFFFF) return false;

    const Bytes image(input.data(), input.size());
    Headers h;
    if (!PeLayout::ReadHeaders(image, h) || h.sections.empty() || h.sections.size() >= 0xFFFF ||
        h.directoryCount < 3)
        return false;
    uint32_t certificateRva = 0, certificateSize = 0;
    if (!PeLayout::Directory(image, h, 4, certificateRva, certificateSize) || certificateRva || certificateSize)
        return false;
    if (!PowerOfTwo(h.fileAlignment) || !PowerOfTwo(h.sectionAlignment) || h.sectionAlignment < h.fileAlignment)
        return false;

    // Where the file's data ends and where the image's address space ends.
    uint64_t dataEnd = h.sizeOfHeaders, firstData = UINT64_MAX, virtualEnd = h.sizeOfHeaders;
    for (const PeLayout::Section& s : h.sections) {
        if (s.rawSize) {
            dataEnd = std::max<uint64_t>(dataEnd, static_cast<uint64_t>(s.rawOffset) + s.rawSize);
            firstData = std::min<uint64_t>(firstData, s.rawOffset);
        }
        virtualEnd = std::max<uint64_t>(virtualEnd, static_cast<uint64_t>(s.virtualAddress) +
                                                        std::max(s.virtualSize, s.rawSize));
    }
    virtualEnd = std::max<uint64_t>(virtualEnd, h.sizeOfImage);
    // Bytes after the last section (an overlay) would need moving; a truncated file
    // cannot be understood.
    if (dataEnd != input.size()) return false;

    // Room for one more section header, in zeros, before any section's data.
    const size_t newHeader = h.sectionTable + h.sections.size() * PeLayout::kSectionHeaderSize;
    const uint64_t headerEnd = newHeader + PeLayout::kSectionHeaderSize;
    if (headerEnd > h.sizeOfHeaders || headerEnd > firstData) return false;
    for (size_t i = newHeader; i < headerEnd; ++i)
        if (input[i] != 0) return false;

    std::vector<Type> types;
    uint32_t resourceRva = 0, resourceSize = 0;
    if (!PeLayout::Directory(image, h, 2, resourceRva, resourceSize)) return false;
    if (resourceRva) {
        size_t root = 0, span = 0;
        if (!PeLayout::MapRva(h, input.size(), resourceRva, root, span)) return false;
        const Bytes tree(input.data() + root, span);
        if (!TreeReader(image, h, tree).Read(types)) return false;
    }
    Apply(types, type, items);
    Sort(types);

    // Below the page size the loader maps the file as it lies, so each section's
    // file offset must be its address: the new one starts where both are past
    // what is there, and the file is filled with zeros up to it.
    const bool mappedAsFile = h.sectionAlignment < kPageSize;
    if (mappedAsFile && h.fileAlignment != h.sectionAlignment) return false;
    const uint64_t rva = AlignUp(mappedAsFile ? std::max(virtualEnd, dataEnd) : virtualEnd,
                                 h.sectionAlignment);
    const uint64_t rawOffset = mappedAsFile ? rva : AlignUp(dataEnd, h.fileAlignment);
    if (rva > 0xFFFFFFFFull) return false;
    std::vector<unsigned char> section;
    if (!WriteTree(types, static_cast<uint32_t>(rva), section)) return false;
    const uint64_t rawSize = AlignUp(section.size(), h.fileAlignment);
    const uint64_t imageSize = AlignUp(rva + section.size(), h.sectionAlignment);
    if (imageSize > 0xFFFFFFFFull || rawOffset + rawSize > 0xFFFFFFFFull) return false;

    std::vector<unsigned char> result(input);
    result.resize(static_cast<size_t>(rawOffset + rawSize), 0);
    std::copy(section.begin(), section.end(), result.begin() + static_cast<std::ptrdiff_t>(rawOffset));

    static const char kRsrc[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    static const char kRsold[8] = {'.', 'r', 's', 'o', 'l', 'd', 0, 0};
    for (const PeLayout::Section& s : h.sections)
        if (std::memcmp(result.data() + s.header, kRsrc, 8) == 0) std::memcpy(result.data() + s.header, kRsold, 8);
    std::memcpy(result.data() + newHeader, kRsrc, 8);
    Put32(result, newHeader + 8, static_cast<uint32_t>(section.size()));
    Put32(result, newHeader + 12, static_cast<uint32_t>(rva));
    Put32(result, newHeader + 16, static_cast<uint32_t>(rawSize));
    Put32(result, newHeader + 20, static_cast<uint32_t>(rawOffset));
    Put32(result, newHeader + 36, 0x40000040u);  // initialised data, readable

    Put16(result, h.fileHeader + 2, static_cast<uint32_t>(h.sections.size() + 1));
    Put32(result, h.optional + PeLayout::kSizeOfImage, static_cast<uint32_t>(imageSize));
    uint32_t initialised = 0;
    image.U32(h.optional + PeLayout::kSizeOfInitializedData, initialised);
    Put32(result, h.optional + PeLayout::kSizeOfInitializedData,
          static_cast<uint32_t>(std::min<uint64_t>(0xFFFFFFFFull, initialised + rawSize)));
    Put32(result, h.directories + 2 * 8, static_cast<uint32_t>(rva));
    Put32(result, h.directories + 2 * 8 + 4, static_cast<uint32_t>(section.size()));
    if (h.checkSum != 0) {
        const size_t field = h.optional + PeLayout::kCheckSum;
        Put32(result, field, CheckSum(result, field));
    }
    out.swap(result);
    return true;
}

}  // namespace Tarnbolt
