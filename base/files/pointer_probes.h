#pragma once
// Probes that tell whether memory handed in by a caller may be used. Each answers
// true when the memory is unusable. The code-pointer probe serves as the general
// test that a pointer may be used at all, data pointers included.

#include <cstddef>

namespace LumoBase {

bool IsBadCodePointer(const void* p);
bool IsBadReadPointer(const void* p, size_t size);
bool IsBadWritePointer(void* p, size_t size);

}  // namespace LumoBase
