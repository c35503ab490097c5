// The launch command line from the launcher's directory and the Run value. Input:
// the directory, a zero byte, the value. Properties: the program lies below the
// directory (network folders keep their "\\"), a program in a directory with a
// blank, or one the value quotes, is quoted exactly once, and the arguments (from
// the first blank or tab) follow it as they were (switch slashes turned into
// backslashes), never resolved; a quote never closed gives no command at all.
#include "launcher.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A directory as the module name gives it: no "." or ".." steps, no doubled or
// trailing backslash, no slash or quote.
bool Clean(const std::string& directory) {
    if (directory.empty() || directory.back() == '\\') return false;
    if (directory.find_first_of("/\"") != std::string::npos) return false;
    const size_t start = StartsWith(directory, "\\\\") ? 2 : 0;
    if (directory.find("\\\\", start) != std::string::npos) return false;
    const std::string wrapped = "\\" + directory + "\\";
    return wrapped.find("\\.\\") == std::string::npos && wrapped.find("\\..\\") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    if (split == std::string::npos) return 0;
    const std::string directory = input.substr(0, split);
    const std::string value = input.substr(split + 1);
    if (value.find('\0') != std::string::npos || directory.find('\0') != std::string::npos)
        return 0;

    const std::string command = Tarnbolt::RunCommandFor(directory, value);

    const size_t start = value.find_first_not_of('/');
    const bool quotedValue = start != std::string::npos && value[start] == '"';
    const bool blank = directory.find(' ') != std::string::npos;
    // The program part of the value and what follows it.
    std::string program = value, rest;
    if (quotedValue) {
        program = value.substr(start + 1);
        const size_t close = program.find('"');
        // A quote never closed starts nothing.
        if (close == std::string::npos) {
            if (!command.empty()) std::abort();
            return 0;
        }
        rest = program.substr(close + 1);
        program = program.substr(0, close);
    } else {
        // The platform ends an unquoted program at a blank or a tab.
        const size_t space = value.find_first_of(" \t");
        program = value.substr(0, space);
        if (space != std::string::npos) rest = value.substr(space);
    }
    for (char& c : rest)
        if (c == '/') c = '\\';
    if (!Clean(directory) || program.find('"') != std::string::npos) return 0;

    if (quotedValue || blank) {
        // One opening quote, the program below the directory, the closing quote.
        if (!StartsWith(command, "\"") || command.size() < 2 || command[1] == '"') std::abort();
        const size_t close = command.find('"', 1);
        if (close == std::string::npos) std::abort();
        const std::string joined = command.substr(1, close - 1);
        if (command.substr(close + 1) != rest) std::abort();  // the arguments, untouched
        if (program.find("..") == std::string::npos && !StartsWith(joined, directory + "\\"))
            std::abort();
    } else {
        if (command.size() < rest.size() || command.substr(command.size() - rest.size()) != rest)
            std::abort();  // the arguments, untouched
        // The program itself is never quoted.
        if (command.substr(0, command.size() - rest.size()).find('"') != std::string::npos)
            std::abort();
        if (program.find("..") == std::string::npos && !StartsWith(command, directory + "\\"))
            std::abort();
    }
    // A network folder is never turned into a path on the current drive.
    if (StartsWith(directory, "\\\\") && !StartsWith(command, "\\\\") &&
        !StartsWith(command, "\"\\\\"))
        std::abort();
    return 0;
}
