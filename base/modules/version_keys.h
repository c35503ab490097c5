#pragma once
// Where a version resource keeps its "FileVersion" text, and how much of a value
// found in a version block may be read.

#include "strings/pstring.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace LumoBase {

constexpr uint16_t kLanguageUsEnglish = 0x0409;
constexpr uint16_t kCodePageUnicode = 1200;  // hex 04b0
constexpr uint16_t kCodePageWestern = 1252;  // hex 04e4

// "\StringFileInfo\llllcccc\FileVersion": language, then code page, each as four
// lower-case hexadecimal digits.
PString FileVersionKey(uint16_t language, uint16_t codePage);

// The narrow query's keys in the order tried: US English with the Unicode code
// page, then with the Western one.
std::vector<PString> NarrowFileVersionKeys();

// The wide query's: the user's language with the ANSI code page between the two
// US English keys.
std::vector<PString> WideFileVersionKeys(uint16_t userLanguage, uint16_t ansiCodePage);

// The number of bytes from value to the end of the block of blockSize bytes;
// false when value does not lie inside the block. A version file can report any
// length, so nothing is read past the block.
bool BytesToBlockEnd(const char* block, std::size_t blockSize, const char* value,
                     std::size_t& available);

// The length of the text at value up to its first zero, never more than available.
std::size_t BoundedTextLength(const char* value, std::size_t available);

}  // namespace LumoBase
