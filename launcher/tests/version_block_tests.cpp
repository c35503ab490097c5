#include "version_block.h"

#include <doctest/doctest.h>

#include <cstdint>
#include <string>
#include <vector>

using Tarnbolt::FindFixedFileInfo;

namespace {

using Bytes = std::vector<unsigned char>;

void Put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = v & 0xFF;
    b[at + 1] = (v >> 8) & 0xFF;
}

// A root entry as the version reader hands it over: UTF-16 key (value at 40), or
// the narrow layout (value at 20); `spare` bytes of children and slack behind it.
Bytes Block(bool narrow = false, size_t spare = 40) {
    const size_t value = narrow ? 20 : 40;
    Bytes b(value + 52 + spare, 0);
    Put16(b, 0, static_cast<uint32_t>(b.size()));
    Put16(b, 2, 52);
    const char key[] = "VS_VERSION_INFO";
    for (size_t i = 0; i < sizeof key; ++i) {
        if (narrow)
            b[4 + i] = static_cast<unsigned char>(key[i]);
        else
            Put16(b, 6 + 2 * i, static_cast<unsigned char>(key[i]));
    }
    Put16(b, value, 0x04BD);
    Put16(b, value + 2, 0xFEEF);
    return b;
}

}  // namespace

TEST_CASE("a version block is checked against its own lengths") {
    size_t offset = 0;
    Bytes sound = Block();
    REQUIRE(FindFixedFileInfo(sound.data(), sound.size(), offset));
    CHECK(offset == 40);
    Bytes narrow = Block(true);
    REQUIRE(FindFixedFileInfo(narrow.data(), narrow.size(), offset));
    CHECK(offset == 20);
    Bytes exact = Block(false, 0);  // the fixed record ends the entry
    CHECK(FindFixedFileInfo(exact.data(), exact.size(), offset));

    const struct {
        const char* what;
        size_t at;      // 16-bit field to set, or SIZE_MAX for none
        uint32_t value;
        size_t size;    // bytes handed over; 0: the whole block
    } damaged[] = {
        {"cut to 20 bytes", SIZE_MAX, 0, 20},
        {"cut inside the fixed record", SIZE_MAX, 0, 80},
        {"too short for a header", SIZE_MAX, 0, 5},
        {"length beyond the block", 0, 200, 0},
        {"length shorter than the fixed record", 0, 91, 0},
        {"value length of no fixed record", 2, 40, 0},
        {"value length zero", 2, 0, 0},
        {"type neither binary nor text", 4, 2, 0},
        {"key misspelt", 6 + 2 * 14, 'X', 0},
        {"key unterminated", 6 + 2 * 15, 'O', 0},
        {"signature wrong", 40, 0x04BE, 0},
    };
    for (const auto& d : damaged) {
        CAPTURE(std::string(d.what));
        Bytes b = Block();
        if (d.at != SIZE_MAX) Put16(b, d.at, d.value);
        offset = 7;
        CHECK_FALSE(FindFixedFileInfo(b.data(), d.size ? d.size : b.size(), offset));
        CHECK(offset == 7);
    }
    CHECK_FALSE(FindFixedFileInfo(nullptr, 100, offset));
    narrow[4 + 3] = 'x';
    CHECK_FALSE(FindFixedFileInfo(narrow.data(), narrow.size(), offset));
}
