#pragma once
// Text rules of the run-at-startup entry: the entry name of a program path and the
// editing of the profile value "Run" (a comma-separated list of programs; a comma
// inside double quotes belongs to the item).

#include "strings/lead_bytes.h"

#include <string>

namespace LumoBase {

// Characters the profile reader is offered. It keeps one of them for the
// terminator, so a value cut to fit arrives one shorter: a value that long may
// have been cut.
constexpr size_t kProfileValueOffered = 2999;
constexpr size_t kProfileValueLongest = kProfileValueOffered - 1;

// The last path component without its extension; a leading dot is no extension.
// `rule` tells which bytes lead a double-byte character (a trail byte 0x5C is no
// separator).
std::string StartupEntryName(const std::string& programPath,
                             const LeadBytes& rule = SystemLeadBytes());

// The shortcut's file names in the Startup folder, tried in turn: "<entry>.lnk",
// then "<entry> (2).lnk" to "<entry> (10).lnk". Another product's link may bear
// the entry name: it is never overwritten, ours takes the next free name.
constexpr int kStartupLinkNames = 10;
std::string StartupLinkName(const std::string& entryName, int index);

// Whether the text ends in a separator "\\" of its own, not in the trail byte of a
// double-byte character.
bool EndsWithSeparator(const std::string& text, const LeadBytes& rule = SystemLeadBytes());

// Whether two paths name the same file as text: equal but for the case of ASCII
// letters (trail bytes are never folded).
bool SamePathText(const std::string& a, const std::string& b,
                  const LeadBytes& rule = SystemLeadBytes());

// Adding the quoted program to the value. Answers true when the registration is in
// place afterwards (an item is the program path, quoted or not); `write` tells
// whether `newValue` must be written. A value that may have been cut, that would
// grow too long to be read back whole, or whose quotes do not pair up, is left
// alone.
bool AddToRunValue(const std::string& value, const std::string& programPath, bool& write,
                   std::string& newValue);

// Removing every item that is the program path, quoted or not, without regard to
// case. Other items are written back as they were stored, and nothing is written
// when no item names the program or the quotes do not pair up.
void RemoveFromRunValue(const std::string& value, const std::string& programPath, bool& write,
                        std::string& newValue, const LeadBytes& rule = SystemLeadBytes());

}  // namespace LumoBase
