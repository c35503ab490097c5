// tarnbolt-tool: see tool.h.

#include "tool.h"
#include "tool_platform.h"

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    Tarnbolt::ToolPlatform::KeepRunningOnClosedPipe();
    const int code = Tarnbolt::ToolMain(args, out, err);
    // A report that did not reach its reader (a full disk, a closed pipe) is an
    // error, whatever it said.
    const bool written = std::fwrite(out.data(), 1, out.size(), stdout) == out.size() &&
                         std::fflush(stdout) == 0;
    std::fputs(err.c_str(), stderr);
    if (!written) {
        std::fputs("tarnbolt-tool: the report could not be written\n", stderr);
        return 2;
    }
    return code;
}
