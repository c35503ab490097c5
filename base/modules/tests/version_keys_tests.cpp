#include "modules/version_keys.h"

#include <doctest/doctest.h>

using namespace LumoBase;

TEST_CASE("a string table's key is language then code page in lower-case hex") {
    CHECK(FileVersionKey(0x0407, 1252) == PString("\\StringFileInfo\\040704e4\\FileVersion"));
    CHECK(FileVersionKey(0x0001, 0x0002) == PString("\\StringFileInfo\\00010002\\FileVersion"));
    CHECK(FileVersionKey(0xABCD, 65001) == PString("\\StringFileInfo\\abcdfde9\\FileVersion"));
    const std::vector<PString> wide = WideFileVersionKeys(0x0411, 932);
    REQUIRE(wide.size() == 3);
    CHECK(wide[1] == PString("\\StringFileInfo\\041103a4\\FileVersion"));
}

TEST_CASE("a value is read only inside its block") {
    const char block[8] = {'1', '.', '0', 0, 'a', 'b', 'c', 'd'};
    std::size_t available = 99;
    CHECK(BytesToBlockEnd(block, sizeof block, block + 7, available));
    CHECK(available == 1);
    CHECK_FALSE(BytesToBlockEnd(block, sizeof block, block + 8, available));
    CHECK(available == 0);
    CHECK_FALSE(BytesToBlockEnd(block + 1, 7, block, available));

    CHECK(BoundedTextLength(block, 8) == 3);
    CHECK(BoundedTextLength(block + 4, 4) == 4);  // no zero before the block ends
}
