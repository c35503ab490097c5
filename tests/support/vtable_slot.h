#pragma once
// The order of virtual operations is part of an interface: implementations and
// callers built separately must agree on it. Under the Itanium C++ ABI that g++
// follows, a pointer to a virtual member function holds 1 + its byte offset in the
// virtual table, and the destructor takes the first two entries.

#include <cstdint>
#include <cstring>

namespace TarnboltTest {

// The slot of a virtual operation (the destructor counts as slot 0); -1 when the
// operation is not virtual.
template <class Pmf>
long Slot(Pmf pmf) {
    static_assert(sizeof(Pmf) == 2 * sizeof(uintptr_t), "Itanium member pointer");
    uintptr_t words[2];
    std::memcpy(words, &pmf, sizeof words);
    if ((words[0] & 1) == 0) return -1;
    return static_cast<long>((words[0] - 1) / sizeof(void*)) - 1;
}

}  // namespace TarnboltTest
