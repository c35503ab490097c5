#pragma once
// The packager's tool: check a built launcher, stamp libraries into a copy of it.

#include "rename_section.h"

#include <string>
#include <vector>

namespace Tarnbolt {

// Runs one command line (without the program name); the report goes to `out`,
// complaints to `err`. Answers the exit code: 0 clean, 1 warnings, 2 errors.
int ToolMain(const std::vector<std::string>& args, std::string& out, std::string& err);

// Writes `bytes` to `path` by way of a file beside it, read back and compared
// before it takes the name; false, with nothing of it left, on any failure.
// `write` is the stream's write call.
bool WriteVerifiedFile(const std::string& path, const std::vector<unsigned char>& bytes,
                       StreamWrite write = &std::fwrite);

}  // namespace Tarnbolt
