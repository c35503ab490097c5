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
// waits under the extension .TBO; neither stays. A run interrupted between those
// moves leaves .TBN and the text set aside: the next run joins that text (never
// seen by a boot) with whatever WININIT.INI was written since, setting the latter
// aside under .TB1 and on while .TBO is taken. Set-aside copies without .TBN are
// stale and removed. False when any step fails, with the old file unchanged and
// anything still waiting kept, and when the file cannot be opened for update
// (read-only). `write` is the system's write call.
bool MergeRenameFile(const std::string& path, const std::vector<std::string>& lines,
                     FileWrite write = &WriteFile);

// The whole file at `path`, byte for byte; false when it cannot be read.
bool ReadRenameFile(const std::string& path, std::string& text);

}  // namespace Tarnbolt
