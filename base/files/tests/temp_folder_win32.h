#pragma once
// A fresh folder under the prefix's temporary directory, removed with everything
// in it when the test ends.

#include <windows.h>

#include <string>

class TempFolder {
public:
    TempFolder() {
        char base[MAX_PATH + 1];
        DWORD n = GetTempPathA(sizeof base, base);
        std::string root(base, n < sizeof base ? n : 0);
        for (unsigned i = 0; path_.empty() && i < 1000; ++i) {
            std::string candidate = root + "tarnbolt-files-" +
                                    std::to_string(GetCurrentProcessId()) + "-" +
                                    std::to_string(i);
            if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    ~TempFolder() {
        if (!path_.empty()) Remove(path_);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    // Creates a file holding text; answers its path.
    std::string MakeFile(const std::string& name, const std::string& text = "x") const {
        std::string path = *this / name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(h);
        }
        return path;
    }
    std::string MakeDirectory(const std::string& name) const {
        std::string path = *this / name;
        CreateDirectoryA(path.c_str(), nullptr);
        return path;
    }

private:
    static void Remove(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string name = found.cFileName;
                if (name == "." || name == "..") continue;
                std::string path = dir + "\\" + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    Remove(path);
                else
                    DeleteFileA(path.c_str());
            } while (FindNextFileA(h, &found));
            FindClose(h);
        }
        RemoveDirectoryA(dir.c_str());
    }

    std::string path_;
};
