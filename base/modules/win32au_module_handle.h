#pragma once
// The Win32 module handle: the platform's HMODULE, null when none is set.

#include "modules/module_handle.h"

// Declared exactly as <windows.h> declares it, so that callers of this header are
// not handed the whole platform API.
struct HINSTANCE__;
typedef struct HINSTANCE__* HMODULE;

namespace LumoBase {

class WIN32AU_ModuleHandle : public ModuleHandle {
public:
    WIN32AU_ModuleHandle();
    explicit WIN32AU_ModuleHandle(HMODULE handle);
    // Forgets the value; the module stays loaded.
    ~WIN32AU_ModuleHandle() override;                                      // 0

    // Takes the other's value when it is a WIN32AU_ModuleHandle; any other kind
    // of handle leaves this one unchanged.
    ModuleHandle& Assign(const ModuleHandle& other) override;              // 2
    // False for any other kind of handle.
    bool Equals(const ModuleHandle& other) const override;                 // 3

    virtual WIN32AU_ModuleHandle& Assign(const WIN32AU_ModuleHandle& other);  // 4
    virtual bool Equals(const WIN32AU_ModuleHandle& other) const;          // 5
    virtual void SetHandle(HMODULE handle);                                // 6
    virtual HMODULE GetHandle() const;                                     // 7

private:
    HMODULE handle_;
};

}  // namespace LumoBase
