#pragma once
// Whether one path names a directory or lies below it, judged from the texts
// alone.

#include "strings/pstring.h"

namespace LumoBase {

// True when path is directory itself or lies below it. ASCII letters are compared
// without regard to case, as the file system does; one trailing "\" of either text
// is ignored. An empty directory contains nothing.
bool IsSameOrInside(const PString& path, const PString& directory);

}  // namespace LumoBase
