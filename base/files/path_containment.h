#pragma once
// Whether one path names a directory or lies below it, judged from the texts
// alone. Both texts must already be resolved (no "." or "..", no doubled
// separators, both full or both relative to the same place): the file manager
// resolves them through the platform first.

#include "files/name_pattern.h"
#include "strings/lead_bytes.h"
#include "strings/pstring.h"

namespace LumoBase {

// True when path is directory itself or lies below it. Letters are compared without
// regard to case by fold, as the file system does; a double-byte character as a
// whole (its trail byte may look like a letter and is never folded alone).
// One trailing "\" of either text is ignored. An empty directory contains nothing.
bool IsSameOrInside(const PString& path, const PString& directory,
                    const LeadBytes& rule = SystemLeadBytes(),
                    const CaseFold& fold = SystemCaseFold());

// When path lies strictly below directory: the part of path after directory and
// its separator (C:\t\a\b below C:\t answers a\b). Otherwise empty.
PString PartBelow(const PString& path, const PString& directory,
                  const LeadBytes& rule = SystemLeadBytes(),
                  const CaseFold& fold = SystemCaseFold());

}  // namespace LumoBase
