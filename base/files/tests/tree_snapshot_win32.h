#pragma once
// What a tree holds, to compare before and after an operation: every entry below a
// folder with its content, or "<dir>" for a folder.

#include <windows.h>

#include <cctype>
#include <map>
#include <string>

// The content of the file at path, or "<missing>".
inline std::string Content(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return "<missing>";
    std::string text;
    char buffer[256];
    DWORD n = 0;
    while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) text.append(buffer, n);
    CloseHandle(h);
    return text;
}

// text with ASCII letters in upper case.
inline std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Every entry below dir: its path below dir (upper case) and its content, or
// "<dir>" for a directory.
using Snapshot = std::map<std::string, std::string>;

inline void Take(const std::string& dir, const std::string& below, Snapshot& into) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        const std::string key = below.empty() ? Upper(name) : below + "\\" + Upper(name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            into[key] = "<dir>";
            Take(dir + "\\" + name, key, into);
        } else {
            into[key] = Content(dir + "\\" + name);
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

inline Snapshot Take(const std::string& dir) {
    Snapshot s;
    Take(dir, "", s);
    return s;
}
