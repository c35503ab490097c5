// WinMain's command line: what follows the program name. Portable, so that it is
// fuzzed on the host too.

#include "runtime.h"

namespace TarnboltRuntime {

char* CommandTail(char* line) {
    // The program name ends at the first blank or tab outside quotes.
    bool quoted = false;
    while (*line && (quoted || (*line != ' ' && *line != '\t'))) {
        if (*line == '"') quoted = !quoted;
        ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace TarnboltRuntime
