#pragma once
// Helpers of the module-information tests: the test libraries beside the program,
// wide text without a converter, and a temporary folder.

#include "modules/win32au_module_handle.h"
#include "strings/pstring.h"
#include "strings/ustring.h"

#include <windows.h>

#include <string>
#include <vector>

namespace module_tests {

// The folder of the running program, where the test libraries are built.
inline std::string ProgramDirectory() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n < MAX_PATH ? n : 0);
    return s.substr(0, s.rfind('\\'));
}

inline std::string LibraryName(const char* which) {
    return std::string("tarnbolt_ver_") + which + ".dll";
}

inline std::string LibraryPath(const char* which) {
    return ProgramDirectory() + "\\" + LibraryName(which);
}

// Latin-1 bytes as UTF-16 units, made without any converter.
inline LumoBase::UString Latin1(const std::string& text) {
    LumoBase::UString wide;
    for (unsigned char c : text) wide.push_back(c);
    return wide;
}

inline std::wstring AsWide(const LumoBase::UString& text) {
    return std::wstring(text.begin(), text.end());
}

inline HMODULE ValueOf(const LumoBase::AModuleHandle& handle) {
    const LumoBase::WIN32AU_ModuleHandle* win32 =
        dynamic_cast<const LumoBase::WIN32AU_ModuleHandle*>(handle.GetImplementation());
    return win32 ? win32->GetHandle() : reinterpret_cast<HMODULE>(-1);
}

inline bool EndsWithNoCase(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           lstrcmpiA(text.c_str() + text.size() - tail.size(), tail.c_str()) == 0;
}

// A fresh folder under the temporary directory, removed with its files (one level
// of folders is enough here) when the test ends.
class TempFolder {
public:
    TempFolder() {
        wchar_t base[MAX_PATH + 1];
        DWORD n = GetTempPathW(MAX_PATH + 1, base);
        std::wstring root(base, n <= MAX_PATH ? n : 0);
        for (unsigned i = 0; path_.empty() && i < 1000; ++i) {
            std::wstring candidate = root + L"tarnbolt-modules-" +
                                     std::to_wstring(GetCurrentProcessId()) + L"-" +
                                     std::to_wstring(i);
            if (CreateDirectoryW(candidate.c_str(), nullptr)) path_ = candidate;
        }
    }
    ~TempFolder() {
        for (auto it = made_.rbegin(); it != made_.rend(); ++it) {
            DeleteFileW(it->c_str());
            RemoveDirectoryW(it->c_str());
        }
        if (!path_.empty()) RemoveDirectoryW(path_.c_str());
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& Path() const { return path_; }

    std::wstring MakeDirectory(const std::wstring& parent, const std::wstring& name) {
        std::wstring path = parent + L"\\" + name;
        if (CreateDirectoryW(path.c_str(), nullptr)) made_.push_back(path);
        return path;
    }
    std::wstring CopyInto(const std::wstring& folder, const std::string& from,
                          const std::wstring& name) {
        std::wstring to = folder + L"\\" + name;
        std::wstring source(from.begin(), from.end());
        if (CopyFileW(source.c_str(), to.c_str(), FALSE)) made_.push_back(to);
        return to;
    }

private:
    std::wstring path_;
    std::vector<std::wstring> made_;
};

}  // namespace module_tests
