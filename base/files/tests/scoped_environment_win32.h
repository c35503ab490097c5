#pragma once
// Process settings for the life of a test object, restored afterwards: an
// environment variable, the current directory.

#include <windows.h>

#include <string>

// Sets an environment variable for the life of the object; restores the old value.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const char* value) : name_(name) {
        char old[4096];
        DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = n > 0 && n < sizeof old;
        if (had_) old_.assign(old, n);
        SetEnvironmentVariableA(name, value);
    }
    ~ScopedEnvironment() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

// Sets the process's current directory for the life of the object.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir) {
        char old[MAX_PATH + 1];
        const DWORD n = GetCurrentDirectoryA(sizeof old, old);
        if (n > 0 && n < sizeof old) old_.assign(old, n);
        changed_ = SetCurrentDirectoryA(dir.c_str()) != FALSE;
    }
    ~CurrentDirectory() {
        if (!old_.empty()) SetCurrentDirectoryA(old_.c_str());
    }
    bool Changed() const { return changed_; }

private:
    std::string old_;
    bool changed_ = false;
};
