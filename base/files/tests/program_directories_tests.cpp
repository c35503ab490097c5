// The probe file's name: its parts and the decimal form of the two numbers.

#include "files/program_directories.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;

TEST_CASE("probe file names") {
    CHECK(std::string(ProbeFileName(1234, 5678901)) == "tlumo_1234_5678901.tmp");
    // No padding and no sign, at either end of the 32-bit range.
    CHECK(std::string(ProbeFileName(0, 0)) == "tlumo_0_0.tmp");
    CHECK(std::string(ProbeFileName(7, 10)) == "tlumo_7_10.tmp");
    CHECK(std::string(ProbeFileName(4294967295u, 2147483648u)) ==
          "tlumo_4294967295_2147483648.tmp");
    // The thread comes first: two threads in one tick get different names.
    CHECK(ProbeFileName(1, 2) != ProbeFileName(2, 1));
}
