#pragma once
// WININIT.INI on disk: the [rename] merge written so that a failure leaves the old
// file as it was.

#include "rename_section.h"
#include "whole_file.h"

#include <string>
#include <vector>

namespace Tarnbolt {

// Adds the lines to the [rename] section of the file at `path`, creating it when
// it does not exist. The new text goes to a file beside it (extension .TBN), is
// read back and compared, and only then replaces the old file, which meanwhile
// waits under the extension .TBO; neither stays. What an earlier run left under
// those names is dealt with first (PutAsideBack). False, with the old file
// unchanged, when any step fails, and when the file cannot be opened for update
// (read-only). `write` is the system's write call.
bool MergeRenameFile(const std::string& path, const std::vector<std::string>& lines,
                     FileWrite write = &WriteFile);

}  // namespace Tarnbolt
