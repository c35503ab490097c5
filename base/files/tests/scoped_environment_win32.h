#pragma once
// Sets an environment variable for the life of the object; restores the old value.

#include <windows.h>

#include <string>

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
