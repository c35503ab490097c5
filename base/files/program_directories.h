#pragma once
// The name of the file that proves a directory writable. It holds the thread
// identifier so that probes of different threads within one tick do not collide.

#include "strings/pstring.h"

#include <cstdint>

namespace LumoBase {

// How many probe names are tried before a directory is given up as unusable.
constexpr unsigned kProbeAttempts = 20;

// "tlumo_<threadId>_<tickCount>.tmp", both numbers in decimal without leading
// zeros or sign.
PString ProbeFileName(std::uint32_t threadId, std::uint32_t tickCount);

}  // namespace LumoBase
