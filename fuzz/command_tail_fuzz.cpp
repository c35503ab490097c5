// WinMain's command line taken from the whole command line. Input: the command
// line. Properties: the tail lies inside the line and starts at no blank or tab;
// what it skips is a program name whose every blank or tab stands inside quotes,
// then blanks and tabs only, at least one where arguments follow.
#include "runtime.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    if (line.find('\0') != std::string::npos) return 0;
    char* start = &line[0];
    char* tail = TarnboltRuntime::CommandTail(start);
    const size_t skipped = static_cast<size_t>(tail - start);
    if (tail < start || skipped > line.size()) std::abort();
    if (*tail == ' ' || *tail == '\t') std::abort();
    // The program name: up to the first blank or tab outside quotes.
    size_t name = 0;
    bool quoted = false;
    for (; name < skipped; ++name) {
        const char c = line[name];
        if (!quoted && (c == ' ' || c == '\t')) break;
        if (c == '"') quoted = !quoted;
    }
    for (size_t i = name; i < skipped; ++i)
        if (line[i] != ' ' && line[i] != '\t') std::abort();
    // Arguments follow only a blank or tab outside quotes: a name never runs into them.
    if (name == skipped && skipped < line.size()) std::abort();
    return 0;
}
