// The processor's vendor text read straight from CPUID, to hold the processor
// code's answer against. Out of line and after the library's test for CPUID, so
// that the instruction audit finds the instruction in this function alone.
#pragma once

#include <cpuid.h>

#include <cstring>
#include <string>

namespace {

__attribute__((noinline)) std::string ReferenceVendor() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(0, &eax, &ebx, &ecx, &edx)) return std::string();
    char text[13] = {};
    std::memcpy(text, &ebx, 4);
    std::memcpy(text + 4, &edx, 4);
    std::memcpy(text + 8, &ecx, 4);
    return text;
}

}  // namespace
