#pragma once
// The family as the flags register tells it on processors without CPUID; exposed
// so that the road can be taken on processors that have CPUID.

#include <cstdint>

namespace LumoBase {

uint16_t FamilyFromFlagTests();

}  // namespace LumoBase
