// tarnbolt-tool: see tool.h.

#include "tool.h"

#include <cstdio>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    const int code = Tarnbolt::ToolMain(args, out, err);
    std::fputs(out.c_str(), stdout);
    std::fputs(err.c_str(), stderr);
    return code;
}
