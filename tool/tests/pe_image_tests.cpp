#include "image_version.h"
#include "pe_image.h"
#include "pe_stamp.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using namespace Tarnbolt;

namespace {

using Blob = std::vector<unsigned char>;
const uint32_t kHigh = 0x80000000u;

void Put16(Blob& b, size_t at, uint32_t v) {
    for (int i = 0; i < 2; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
void Put32(Blob& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}
uint32_t Get32(const Blob& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
size_t Align(size_t v, size_t a) { return (v + a - 1) / a * a; }
Blob Text(const std::string& s) { return Blob(s.begin(), s.end()); }

// One resource; an empty `type` means the integer type `typeId`. Listed in the
// order a directory sorts them.
struct Res {
    std::string type;
    uint32_t typeId, id, lang;
    Blob bytes;
};

// A resource section at `rva`: directories first, then data entries, names, blobs.
Blob Tree(const std::vector<Res>& list, uint32_t rva) {
    struct Name { uint32_t id; std::vector<const Res*> langs; };
    struct Type { const Res* first; std::vector<Name> names; };
    std::vector<Type> types;
    for (const Res& r : list) {
        if (types.empty() || types.back().first->type != r.type || types.back().first->typeId != r.typeId)
            types.push_back({&r, {}});
        auto& names = types.back().names;
        if (names.empty() || names.back().id != r.id) names.push_back({r.id, {}});
        names.back().langs.push_back(&r);
    }
    Blob out;
    auto dir = [&](size_t named, size_t ids) {
        size_t at = out.size();
        out.resize(at + 16 + 8 * (named + ids));
        Put16(out, at + 12, static_cast<uint32_t>(named));
        Put16(out, at + 14, static_cast<uint32_t>(ids));
        return at;
    };
    size_t named = 0;
    for (const Type& t : types) named += !t.first->type.empty();
    const size_t root = dir(named, types.size() - named);
    std::vector<std::pair<size_t, const Res*>> dataEntries, typeNames;
    for (size_t t = 0; t < types.size(); ++t) {
        const size_t td = dir(0, types[t].names.size());
        Put32(out, root + 16 + 8 * t, types[t].first->typeId);
        Put32(out, root + 20 + 8 * t, kHigh | static_cast<uint32_t>(td));
        if (!types[t].first->type.empty()) typeNames.push_back({root + 16 + 8 * t, types[t].first});
        for (size_t n = 0; n < types[t].names.size(); ++n) {
            const Name& name = types[t].names[n];
            const size_t ld = dir(0, name.langs.size());
            Put32(out, td + 16 + 8 * n, name.id);
            Put32(out, td + 20 + 8 * n, kHigh | static_cast<uint32_t>(ld));
            for (size_t l = 0; l < name.langs.size(); ++l) {
                Put32(out, ld + 16 + 8 * l, name.langs[l]->lang);
                dataEntries.push_back({ld + 20 + 8 * l, name.langs[l]});
            }
        }
    }
    for (auto& d : dataEntries) {
        Put32(out, d.first, static_cast<uint32_t>(out.size()));
        d.first = out.size();
        out.resize(out.size() + 16);
    }
    for (auto& n : typeNames) {
        Put32(out, n.first, kHigh | static_cast<uint32_t>(out.size()));
        const std::string& s = n.second->type;
        out.resize(out.size() + 2 + 2 * s.size());
        Put16(out, out.size() - 2 - 2 * s.size(), static_cast<uint32_t>(s.size()));
        for (size_t i = 0; i < s.size(); ++i) Put16(out, out.size() - 2 * s.size() + 2 * i, static_cast<unsigned char>(s[i]));
    }
    for (auto& d : dataEntries) {
        out.resize(Align(out.size(), 4));
        Put32(out, d.first, rva + static_cast<uint32_t>(out.size()));
        Put32(out, d.first + 4, static_cast<uint32_t>(d.second->bytes.size()));
        out.insert(out.end(), d.second->bytes.begin(), d.second->bytes.end());
    }
    return out;
}

struct Import { std::string dll; std::vector<std::string> functions; };  // "#n": by ordinal

// An import section at `rva`: descriptors, lookup tables, address tables, names.
Blob Imports(const std::vector<Import>& list, uint32_t rva, bool plus) {
    const size_t width = plus ? 8 : 4;
    size_t thunks = 0;
    for (const Import& i : list) thunks += i.functions.size() + 1;
    Blob out(20 * (list.size() + 1) + 2 * width * thunks);
    size_t table = 20 * (list.size() + 1);
    auto text = [&](const std::string& s, size_t hint) {
        size_t at = out.size();
        out.resize(at + hint + s.size() + 1);
        std::copy(s.begin(), s.end(), out.begin() + static_cast<std::ptrdiff_t>(at + hint));
        return rva + static_cast<uint32_t>(at);
    };
    for (size_t d = 0; d < list.size(); ++d) {
        const size_t count = list[d].functions.size() + 1;
        Put32(out, 20 * d, rva + static_cast<uint32_t>(table));
        Put32(out, 20 * d + 16, rva + static_cast<uint32_t>(table + width * count));
        Put32(out, 20 * d + 12, text(list[d].dll, 0));
        for (size_t f = 0; f < count - 1; ++f) {
            const std::string& fn = list[d].functions[f];
            const size_t lookup = table + width * f, address = lookup + width * count;
            if (fn[0] == '#') {
                Put32(out, lookup, static_cast<uint32_t>(std::stoul(fn.substr(1))));
                Put32(out, lookup + (plus ? 4 : 0), plus ? kHigh : kHigh | Get32(out, lookup));
            } else {
                Put32(out, lookup, text(fn, 2));
            }
            std::copy(out.begin() + static_cast<std::ptrdiff_t>(lookup),
                      out.begin() + static_cast<std::ptrdiff_t>(lookup + width), out.begin() + static_cast<std::ptrdiff_t>(address));
        }
        table += 2 * width * count;
    }
    return out;
}

struct Recipe {
    bool plus = false;
    uint32_t sizeOfHeaders = 0x400, checkSum = 0;
    std::vector<Res> resources;
    std::vector<Import> imports;
};

struct Image {
    Blob bytes;
    size_t optional, sectionTable, resourceRoot;  // file offsets
    uint32_t sections;
};

const std::vector<Res> kResources = {
    {"CONFIG", 0, 5, 1033, Text("config five")},
    {"DLL", 0, 103, 1031, Text("old 103 german")},
    {"DLL", 0, 103, 1033, Text("old 103 english")},
    {"DLL", 0, 200, 1033, Text("two hundred")},
    {"", 16, 1, 1033, {}},  // a version resource, filled in below
};

Blob VersionBlob() {
    Blob b(92);
    Put16(b, 0, 92);
    Put16(b, 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; ++i) Put16(b, 6 + 2 * i, static_cast<unsigned char>(key[i]));
    Put32(b, 40, 0xFEEF04BD);
    Put32(b, 48, 0x00020003);
    Put32(b, 52, 0x00040005);
    return b;
}

// A small image: .text, then .idata and .rsrc when there is something to hold.
Image Make(const Recipe& recipe) {
    Image image;
    Blob& b = image.bytes;
    const uint32_t optionalSize = recipe.plus ? 240 : 224;
    std::vector<std::pair<std::string, Blob>> sections = {{".text", Blob(0x30, 0xC3)}};
    auto rvaOf = [](size_t index) { return static_cast<uint32_t>(0x1000 + 0x10000 * index); };
    int importDir = -1, resourceDir = -1;
    if (!recipe.imports.empty()) {
        importDir = static_cast<int>(sections.size());
        sections.push_back({".idata", Imports(recipe.imports, rvaOf(sections.size()), recipe.plus)});
    }
    if (!recipe.resources.empty()) {
        resourceDir = static_cast<int>(sections.size());
        sections.push_back({".rsrc", Tree(recipe.resources, rvaOf(sections.size()))});
    }
    b.assign(recipe.sizeOfHeaders, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, 0x80);
    Put32(b, 0x80, 0x00004550);
    Put16(b, 0x84, recipe.plus ? 0x8664 : 0x14C);
    Put16(b, 0x86, static_cast<uint32_t>(sections.size()));
    Put16(b, 0x94, optionalSize);
    Put16(b, 0x96, recipe.plus ? 0x2022 : 0x0102);  // a DLL in the PE32+ case
    image.optional = 0x98;
    const size_t o = image.optional, dirs = o + (recipe.plus ? 112 : 96);
    Put16(b, o, recipe.plus ? 0x20B : 0x10B);
    Put32(b, o + 32, 0x1000);
    Put32(b, o + 36, 0x200);
    Put32(b, o + 60, recipe.sizeOfHeaders);
    Put32(b, o + 64, recipe.checkSum);
    Put16(b, o + 68, recipe.plus ? 3 : 2);
    Put32(b, o + (recipe.plus ? 108 : 92), 16);
    image.sectionTable = o + optionalSize;
    image.sections = static_cast<uint32_t>(sections.size());
    for (size_t i = 0; i < sections.size(); ++i) {
        const size_t h = image.sectionTable + 40 * i, raw = b.size();
        const Blob& data = sections[i].second;
        std::copy(sections[i].first.begin(), sections[i].first.end(), b.begin() + static_cast<std::ptrdiff_t>(h));
        Put32(b, h + 8, static_cast<uint32_t>(data.size()));
        Put32(b, h + 12, rvaOf(i));
        Put32(b, h + 16, static_cast<uint32_t>(Align(data.size(), 0x200)));
        Put32(b, h + 20, static_cast<uint32_t>(raw));
        b.insert(b.end(), data.begin(), data.end());
        b.resize(Align(b.size(), 0x200));
        if (static_cast<int>(i) == importDir) Put32(b, dirs + 8, rvaOf(i)), Put32(b, dirs + 12, static_cast<uint32_t>(data.size()));
        if (static_cast<int>(i) == resourceDir) {
            Put32(b, dirs + 16, rvaOf(i));
            Put32(b, dirs + 20, static_cast<uint32_t>(data.size()));
            image.resourceRoot = raw;
        }
        Put32(b, o + 56, static_cast<uint32_t>(Align(rvaOf(i) + data.size(), 0x1000)));
    }
    return image;
}

Recipe Standard(bool plus) {
    Recipe recipe;
    recipe.plus = plus;
    recipe.resources = kResources;
    recipe.resources.back().bytes = VersionBlob();
    recipe.imports = {{"KERNEL32.dll", {"ExitProcess", "#17"}}, {"User32.DLL", {"MessageBoxA"}}};
    return recipe;
}

bool Find(const Blob& b, const char* type, uint32_t id, Blob& bytes) {
    size_t offset = 0, length = 0;
    if (!FindPeResource(b.data(), b.size(), type, id, offset, length)) return false;
    bytes.assign(b.begin() + static_cast<std::ptrdiff_t>(offset), b.begin() + static_cast<std::ptrdiff_t>(offset + length));
    return true;
}

Blob Version(const Blob& b) {
    size_t entry = 0, offset = 0, length = 0;
    if (!LocateVersionResource(b.data(), b.size(), entry, offset, length)) return {};
    return Blob(b.begin() + static_cast<std::ptrdiff_t>(offset), b.begin() + static_cast<std::ptrdiff_t>(offset + length));
}

}  // namespace

TEST_CASE("image facts and imports, PE32 and PE32+") {
    for (bool plus : {false, true}) {
        CAPTURE(plus);
        PeInfo info;
        Image image = Make(Standard(plus));
        REQUIRE(ReadPeInfo(image.bytes.data(), image.bytes.size(), info));
        CHECK(info.machine == (plus ? 0x8664 : 0x14C));
        CHECK(info.pe32Plus == plus);
        CHECK(info.isDll == plus);
        CHECK(info.subsystem == (plus ? 3 : 2));
        CHECK(info.importsReadable);
        std::vector<std::string> got;
        for (const PeImport& i : info.imports) got.push_back(i.dll + " " + i.function);
        CHECK(got == std::vector<std::string>{"kernel32.dll ExitProcess", "kernel32.dll #17", "user32.dll MessageBoxA"});

        // No import directory: readable and empty. One that leads nowhere: unreadable.
        Recipe bare = Standard(plus);
        bare.imports.clear();
        Image none = Make(bare);
        REQUIRE(ReadPeInfo(none.bytes.data(), none.bytes.size(), info));
        CHECK((info.importsReadable && info.imports.empty()));
        Put32(image.bytes, image.optional + (plus ? 112 : 96) + 8, 0x7FFF0000);
        REQUIRE(ReadPeInfo(image.bytes.data(), image.bytes.size(), info));
        CHECK(!info.importsReadable);
    }
}

TEST_CASE("stamping replaces one id, adds another and keeps every other resource") {
    for (bool plus : {false, true}) {
        CAPTURE(plus);
        const Image image = Make(Standard(plus));
        const Blob odd = Text("thirteen byte"), added = Text("one hundred and four");
        Blob out, bytes;
        REQUIRE(StampResources(image.bytes, "dll", {{103, odd}, {104, added}}, out));
        // The only language of 103 is the stamped one: the German one sorted first before.
        CHECK((Find(out, "DLL", 103, bytes) && bytes == odd));
        CHECK((Find(out, "Dll", 104, bytes) && bytes == added));
        CHECK((Find(out, "DLL", 200, bytes) && bytes == Text("two hundred")));
        CHECK((Find(out, "CONFIG", 5, bytes) && bytes == Text("config five")));
        CHECK(Version(out) == VersionBlob());
        CHECK(!Find(out, "DLL", 105, bytes));

        // The old sections stay where they were; the new one is appended and named.
        for (size_t i = image.sectionTable + 40 * image.sections; i < image.bytes.size(); ++i)
            if (i >= 0x400 && out[i] != image.bytes[i]) FAIL("section data moved at ", i);
        CHECK(std::string(reinterpret_cast<const char*>(&out[image.sectionTable + 40 * (image.sections - 1)])) == ".rsold");
        CHECK(std::string(reinterpret_cast<const char*>(&out[image.sectionTable + 40 * image.sections])) == ".rsrc");
        CHECK(out.size() % 0x200 == 0);
        CHECK(Get32(out, image.optional + 56) % 0x1000 == 0);
        CHECK(Get32(out, image.optional + 64) == 0);  // no checksum before, none after
        PeInfo before, after;
        REQUIRE(ReadPeInfo(image.bytes.data(), image.bytes.size(), before));
        REQUIRE(ReadPeInfo(out.data(), out.size(), after));
        CHECK(after.imports.size() == before.imports.size());

        // A stamped image stamps again; an image without resources gets its first.
        Blob again;
        REQUIRE(StampResources(out, "DLL", {{200, Text("x")}}, again));
        CHECK((Find(again, "DLL", 200, bytes) && bytes == Text("x")));
        CHECK((Find(again, "DLL", 103, bytes) && bytes == odd));
        Recipe bare = Standard(plus);
        bare.resources.clear();
        REQUIRE(StampResources(Make(bare).bytes, "DLL", {{107, added}}, out));
        CHECK((Find(out, "DLL", 107, bytes) && bytes == added));
        CHECK(Version(out).empty());
    }
}

// image laid out as the loader maps an image aligned below the page size: each
// section's data at its address in the file, both alignments 0x200.
Blob FileMapped(const Image& image) {
    Blob b(image.bytes.begin(), image.bytes.begin() + 0x400);
    Put32(b, image.optional + 32, 0x200);
    for (uint32_t i = 0; i < image.sections; ++i) {
        const size_t h = image.sectionTable + 40 * i;
        const uint32_t rva = Get32(b, h + 12), size = Get32(b, h + 16), raw = Get32(b, h + 20);
        b.resize(rva, 0);
        b.insert(b.end(), image.bytes.begin() + raw, image.bytes.begin() + raw + size);
        Put32(b, h + 20, rva);
    }
    return b;
}

TEST_CASE("stamping an image aligned below the page size keeps file offsets at addresses") {
    const Image image = Make(Standard(false));
    const Blob mapped = FileMapped(image);
    Blob out, bytes;
    REQUIRE(StampResources(mapped, "DLL", {{104, Text("added")}}, out));
    const size_t added = image.sectionTable + 40 * image.sections;
    CHECK(Get32(out, added + 20) == Get32(out, added + 12));
    CHECK(out.size() == Get32(out, added + 20) + Get32(out, added + 16));
    CHECK((Find(out, "DLL", 104, bytes) && bytes == Text("added")));
    CHECK((Find(out, "DLL", 200, bytes) && bytes == Text("two hundred")));
    // A file alignment other than the section alignment cannot be laid out so.
    Blob odd = mapped;
    Put32(odd, image.optional + 36, 0x100);
    CHECK_FALSE(StampResources(odd, "DLL", {{104, Text("added")}}, out));
}

TEST_CASE("stamping refuses what it cannot do and leaves out untouched") {
    const Image image = Make(Standard(false));
    Recipe tight = Standard(false);
    tight.sizeOfHeaders = 0x200;  // three section headers fill it
    struct Case {
        const char* what;
        std::function<void(Blob&)> damage;
        std::vector<StampItem> items;
        const char* type;
    };
    const std::vector<StampItem> ok = {{103, Text("x")}};
    const Case cases[] = {
        {"an empty item", nullptr, {{103, {}}}, "DLL"},
        {"id 0", nullptr, {{0, Text("x")}}, "DLL"},
        {"no type", nullptr, ok, nullptr},
        {"no room for a header", [&](Blob& b) { b = Make(tight).bytes; }, ok, "DLL"},
        {"header room in use", [&](Blob& b) { b[image.sectionTable + 40 * image.sections + 4] = 1; }, ok, "DLL"},
        {"an overlay", [](Blob& b) { b.push_back(0); }, ok, "DLL"},
        {"a certificate", [&](Blob& b) { Put32(b, image.optional + 96 + 32, 0x2000); }, ok, "DLL"},
        {"not an image", [](Blob& b) { b[0] = 'X'; }, ok, "DLL"},
    };
    for (const Case& c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Blob in = image.bytes, out = Text("sentinel");
        if (c.damage) c.damage(in);
        CHECK(!StampResources(in, c.type, c.items, out));
        CHECK(out == Text("sentinel"));
    }
}

TEST_CASE("damaged images answer false, quickly") {
    const Image image = Make(Standard(true));
    const Blob& full = image.bytes;
    size_t offset = 0, length = 0;
    REQUIRE(FindPeResource(full.data(), full.size(), "DLL", 200, offset, length));
    const size_t resourceEnd = offset + length, tableEnd = image.sectionTable + 40 * image.sections;

    // Every length short of the whole.
    for (size_t cut = 0; cut < full.size(); ++cut) {
        const Blob part(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut));
        PeInfo info;
        Blob out;
        size_t o = 0, l = 0;
        if (ReadPeInfo(part.data(), part.size(), info) != (cut >= tableEnd)) FAIL("read at ", cut);
        if (FindPeResource(part.data(), part.size(), "DLL", 200, o, l) != (cut >= resourceEnd)) FAIL("find at ", cut);
        if (StampResources(part, "DLL", {{103, Text("x")}}, out)) FAIL("stamp at ", cut);
    }

    const size_t root = image.resourceRoot;
    const size_t typeDir = root + (Get32(full, root + 28) & ~kHigh);  // "DLL"
    const size_t nameDir = root + (Get32(full, typeDir + 28) & ~kHigh);  // its 200
    struct Case {
        const char* what;
        std::function<void(Blob&)> damage;
        bool readable;
        bool findable = false;  // the walk to DLL 200 never reaches the damage
    };
    const Case cases[] = {
        {"e_lfanew far out", [](Blob& b) { Put32(b, 0x3C, 0xFFFFFFF0); }, false},
        {"e_lfanew at the end", [](Blob& b) { Put32(b, 0x3C, static_cast<uint32_t>(b.size() - 2)); }, false},
        {"an unknown magic", [&](Blob& b) { Put16(b, image.optional, 0x10C); }, false},
        {"more directories than fit", [&](Blob& b) { Put32(b, image.optional + 108, 17); }, false},
        {"sections past the end", [](Blob& b) { Put16(b, 0x86, 0xFFFF); }, false},
        {"resources outside every section", [&](Blob& b) { Put32(b, image.optional + 112 + 16, 0x7FFF0000); }, true},
        {"a type that is its own root", [&](Blob& b) { Put32(b, root + 20, kHigh); Put32(b, root + 28, kHigh); }, true},
        {"a name level that is itself", [&](Blob& b) { Put32(b, typeDir + 28, kHigh | static_cast<uint32_t>(typeDir - root)); }, true},
        {"a language that is a directory", [&](Blob& b) { Put32(b, nameDir + 20, kHigh); }, true},
        {"a type name past the end", [&](Blob& b) { Put32(b, root + 24, kHigh | 0x7FFFFFF0); }, true},
        {"a name longer than the section", [&](Blob& b) { Put16(b, root + (Get32(b, root + 24) & ~kHigh), 0xFFFF); }, true},
        {"an entry count past the end", [&](Blob& b) { Put16(b, root + 14, 0xFFFF); }, true, true},
    };
    for (const Case& c : cases) {
        const std::string what = c.what;
        CAPTURE(what);
        Blob in = full, out;
        c.damage(in);
        PeInfo info;
        CHECK(ReadPeInfo(in.data(), in.size(), info) == c.readable);
        CHECK(FindPeResource(in.data(), in.size(), "DLL", 200, offset, length) == c.findable);
        CHECK(!StampResources(in, "DLL", {{103, Text("x")}}, out));
    }
}
