#pragma once
// Files of the build tree as the tests under Wine reach them.

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using Blob = std::vector<unsigned char>;

// Build paths are reached through Wine's Z: drive.
inline std::string Windows(const std::string& unix) {
    std::string path = "Z:" + unix;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

inline Blob ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Blob(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
