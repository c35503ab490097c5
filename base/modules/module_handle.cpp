#include "modules/module_handle.h"

#include "modules/win32au_module_handle.h"

#include <new>

namespace LumoBase {
namespace {

// A new empty implementation, or null when it cannot be made or is not usable.
ModuleHandle* CreateModuleHandle() {
    ModuleHandle* handle = nullptr;
    try {
        handle = new (std::nothrow) WIN32AU_ModuleHandle;
        if (handle && !handle->IsValid()) {
            delete handle;
            handle = nullptr;
        }
    } catch (...) {
        delete handle;
        return nullptr;
    }
    return handle;
}

}  // namespace

ModuleHandle::~ModuleHandle() {}

bool ModuleHandle::IsValid() const { return true; }

ModuleHandle& ModuleHandle::Assign(const ModuleHandle&) { return *this; }

bool ModuleHandle::Equals(const ModuleHandle&) const { return true; }

WIN32AU_ModuleHandle::WIN32AU_ModuleHandle() : handle_(nullptr) {}

WIN32AU_ModuleHandle::WIN32AU_ModuleHandle(HMODULE handle) : handle_(handle) {}

WIN32AU_ModuleHandle::~WIN32AU_ModuleHandle() { handle_ = nullptr; }

ModuleHandle& WIN32AU_ModuleHandle::Assign(const ModuleHandle& other) {
    if (&other == this) return *this;
    ModuleHandle::Assign(other);
    if (const WIN32AU_ModuleHandle* win32 = dynamic_cast<const WIN32AU_ModuleHandle*>(&other))
        Assign(*win32);
    return *this;
}

bool WIN32AU_ModuleHandle::Equals(const ModuleHandle& other) const {
    const WIN32AU_ModuleHandle* win32 = dynamic_cast<const WIN32AU_ModuleHandle*>(&other);
    return win32 && Equals(*win32);
}

WIN32AU_ModuleHandle& WIN32AU_ModuleHandle::Assign(const WIN32AU_ModuleHandle& other) {
    if (&other != this) handle_ = other.GetHandle();
    return *this;
}

bool WIN32AU_ModuleHandle::Equals(const WIN32AU_ModuleHandle& other) const {
    return ModuleHandle::Equals(other) && handle_ == other.handle_;
}

void WIN32AU_ModuleHandle::SetHandle(HMODULE handle) { handle_ = handle; }

HMODULE WIN32AU_ModuleHandle::GetHandle() const { return handle_; }

AModuleHandle::AModuleHandle() : handle_(CreateModuleHandle()) {}

AModuleHandle::AModuleHandle(const AModuleHandle& other) : handle_(CreateModuleHandle()) {
    if (handle_ && other.handle_) handle_->Assign(*other.handle_);
}

AModuleHandle::~AModuleHandle() { delete handle_; }

bool AModuleHandle::IsValid() const { return handle_ && handle_->IsValid(); }

AModuleHandle& AModuleHandle::operator=(const AModuleHandle& other) {
    if (&other == this) return *this;
    // Other may be empty; then the fresh implementation keeps its null value.
    const ModuleHandle* source = other.handle_;
    Recreate();
    if (handle_ && source) handle_->Assign(*source);
    return *this;
}

AModuleHandle& AModuleHandle::operator=(const ModuleHandle& other) {
    if (&other == handle_) return *this;
    Recreate();
    if (handle_) handle_->Assign(other);
    return *this;
}

const ModuleHandle* AModuleHandle::GetImplementation() const { return handle_; }

ModuleHandle* AModuleHandle::GetImplementation() { return handle_; }

void AModuleHandle::Recreate() {
    delete handle_;
    handle_ = nullptr;
    handle_ = CreateModuleHandle();
}

}  // namespace LumoBase
