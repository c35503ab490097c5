#pragma once
// Handles of modules that are already loaded in the process. ModuleHandle is the
// interface, whose virtual operations keep the numbered order below; AModuleHandle
// is the owning handle that callers hold. Nothing here loads, unloads or keeps a
// module loaded: a handle only carries, copies and compares the platform's value.

namespace LumoBase {

class ModuleHandle {
public:
    virtual ~ModuleHandle();                                        // 0
    // True.
    virtual bool IsValid() const;                                   // 1
    // Does nothing and answers this object.
    virtual ModuleHandle& Assign(const ModuleHandle& other);        // 2
    // True.
    virtual bool Equals(const ModuleHandle& other) const;           // 3
};

// Owns one implementation object of its own, created with an empty platform
// handle. It never adopts an object made elsewhere: assignment copies the value
// into a fresh implementation, so the source may be destroyed right after.
class AModuleHandle {
public:
    AModuleHandle();
    // A fresh implementation holding the other's value.
    AModuleHandle(const AModuleHandle& other);
    virtual ~AModuleHandle();                                       // 0
    // True when an implementation is present and answers IsValid.
    virtual bool IsValid() const;                                   // 1

    // Both replace the implementation by a fresh one and copy the other's value
    // into it; assigning a handle to itself, or the object already owned, changes
    // nothing.
    AModuleHandle& operator=(const AModuleHandle& other);
    AModuleHandle& operator=(const ModuleHandle& other);

    // The implementation object, or null when it could not be created.
    const ModuleHandle* GetImplementation() const;
    ModuleHandle* GetImplementation();

private:
    void Recreate();

    ModuleHandle* handle_;
};

}  // namespace LumoBase
