#include "image_version.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <random>
#include <vector>

using Tarnbolt::ReadImageFixedVersion;

namespace {

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}
void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

// A minimal PE32 image with one section holding a resource tree with one version
// resource of the given fixed version.
std::vector<unsigned char> MakeImage(uint32_t high, uint32_t low, uint32_t magic = 0x10B,
                                     uint32_t type = 16, uint32_t id = 1) {
    std::vector<unsigned char> b(0x400, 0);
    Put16(b, 0, 0x5A4D);
    Put32(b, 0x3C, 0x40);
    Put32(b, 0x40, 0x00004550);
    const size_t fileHeader = 0x44, optional = fileHeader + 20;
    const uint32_t optionalSize = magic == 0x10B ? 224 : 240;
    Put16(b, fileHeader + 2, 1);
    Put16(b, fileHeader + 16, optionalSize);
    Put16(b, optional, magic);
    const size_t count = optional + (magic == 0x10B ? 92 : 108);
    const size_t dirs = optional + (magic == 0x10B ? 96 : 112);
    Put32(b, count, 16);
    Put32(b, dirs + 16, 0x1000);  // resource table
    Put32(b, dirs + 20, 0x100);
    const size_t section = optional + optionalSize;
    Put32(b, section + 8, 0x200);   // virtual size
    Put32(b, section + 12, 0x1000); // virtual address
    Put32(b, section + 16, 0x200);  // raw size
    Put32(b, section + 20, 0x200);  // raw offset
    const size_t root = 0x200;
    Put16(b, root + 14, 1);
    Put32(b, root + 16, type);
    Put32(b, root + 20, 0x80000000u | 0x18);
    Put16(b, root + 0x18 + 14, 1);
    Put32(b, root + 0x18 + 16, id);
    Put32(b, root + 0x18 + 20, 0x80000000u | 0x30);
    Put16(b, root + 0x30 + 14, 1);
    Put32(b, root + 0x30 + 16, 1033);
    Put32(b, root + 0x30 + 20, 0x48);
    Put32(b, root + 0x48, 0x1000 + 0x58);  // data RVA
    Put32(b, root + 0x48 + 4, 92);
    const size_t info = root + 0x58;
    Put16(b, info, 92);
    Put16(b, info + 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; ++i) Put16(b, info + 6 + 2 * i, static_cast<unsigned char>(key[i]));
    Put32(b, info + 40, 0xFEEF04BD);
    Put32(b, info + 44, 0x00010000);
    Put32(b, info + 48, high);
    Put32(b, info + 52, low);
    return b;
}

bool Read(const std::vector<unsigned char>& image, uint32_t& high, uint32_t& low) {
    return ReadImageFixedVersion(image.data(), image.size(), high, low);
}

}  // namespace

TEST_CASE("the fixed version of an image in memory") {
    uint32_t high = 0, low = 0;
    REQUIRE(Read(MakeImage(0x00060001, 0x21BD0000), high, low));
    CHECK(high == 0x00060001);
    CHECK(low == 0x21BD0000);
    REQUIRE(Read(MakeImage(0x00040048, 0x083A0004, 0x20B), high, low));  // PE32+
    CHECK(high == 0x00040048);

    high = low = 7;
    CHECK_FALSE(Read(MakeImage(1, 2, 0x10B, 24), high, low));  // no version resource
    CHECK_FALSE(Read(MakeImage(1, 2, 0x999), high, low));      // unknown optional header
    std::vector<unsigned char> badSignature = MakeImage(1, 2);
    badSignature[0x200 + 0x58 + 40] ^= 1;
    CHECK_FALSE(Read(badSignature, high, low));
    std::vector<unsigned char> notPe = MakeImage(1, 2);
    notPe[0x40] = 'X';
    CHECK_FALSE(Read(notPe, high, low));
    CHECK(high == 7);
    CHECK(low == 7);
    CHECK_FALSE(ReadImageFixedVersion(nullptr, 100, high, low));
}

TEST_CASE("only the version resource with id 1 counts, as the platform's query reads it") {
    struct Case {
        uint32_t id;
        bool found;
    } cases[] = {{1, true}, {2, false}, {0, false}};
    for (const Case& c : cases) {
        CAPTURE(c.id);
        uint32_t high = 0, low = 0;
        CHECK(Read(MakeImage(0x00060001, 0x21BD0000, 0x10B, 16, c.id), high, low) == c.found);
    }
}

TEST_CASE("cut or damaged images are refused without reading past them") {
    const std::vector<unsigned char> image = MakeImage(0x00060001, 0x21BD0000);
    uint32_t high = 0, low = 0;
    for (size_t length = 0; length < 0x200 + 0x58 + 56; ++length) {
        // Each cut copy lives in a buffer of exactly its length, so the sanitizers
        // see any read beyond it.
        std::vector<unsigned char> cut(image.begin(), image.begin() + static_cast<long>(length));
        CHECK_FALSE(ReadImageFixedVersion(cut.data(), cut.size(), high, low));
    }
    std::mt19937 random(20261208);
    for (int round = 0; round < 2000; ++round) {
        std::vector<unsigned char> damaged = image;
        for (int flips = 0; flips < 4; ++flips)
            damaged[random() % damaged.size()] = static_cast<unsigned char>(random());
        Read(damaged, high, low);  // any answer, but no crash or overread
    }
}

TEST_CASE("a file read only at its headers and resource section answers as the whole") {
    // The resource section at 0x200 holds everything the read needs; the headers lie
    // in the first 0x200 bytes.
    const std::vector<unsigned char> image = MakeImage(0x00060001, 0x21BD0000);
    size_t offset = 0, length = 0;
    REQUIRE(Tarnbolt::ResourceSectionSpan(image.data(), 0x200, offset, length));
    CHECK(offset == 0x200);
    CHECK(length == 0x200);
    const std::vector<unsigned char> body(image.begin() + 0x200, image.end());
    uint32_t high = 0, low = 0;
    REQUIRE(Tarnbolt::ReadSplitImageFixedVersion(image.data(), 0x200, body.data(), offset,
                                                  body.size(), high, low));
    CHECK(high == 0x00060001);
    CHECK(low == 0x21BD0000);

    // A head cut before the section table tells no span; a body that stops short of
    // the version record, or lies elsewhere, answers nothing rather than a guess.
    CHECK_FALSE(Tarnbolt::ResourceSectionSpan(image.data(), 0x100, offset, length));
    CHECK_FALSE(Tarnbolt::ReadSplitImageFixedVersion(image.data(), 0x200, body.data(), offset,
                                                     0x58 + 40, high, low));
    CHECK_FALSE(Tarnbolt::ReadSplitImageFixedVersion(image.data(), 0x200, body.data(),
                                                     offset + 4, body.size(), high, low));
}
