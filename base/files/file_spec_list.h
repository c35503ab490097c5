#pragma once
// The lists that the file manager fills: FileSpec handles in the order they
// were found, each element owning its own copy.

#include "files/file_spec.h"

#include <list>

namespace LumoBase {

using FileSpecList = std::list<AFileSpec>;

}  // namespace LumoBase
