#include "modules/module_info.h"

#include "modules/win32au_module_info.h"

#include <memory>
#include <new>

namespace LumoBase {
namespace {

// A new implementation, or null when it cannot be made or is not usable.
ModuleInfo* CreateModuleInfo() {
    ModuleInfo* info = nullptr;
    try {
        info = new (std::nothrow) WIN32AU_ModuleInfo;
        if (info && !info->IsValid()) {
            delete info;
            info = nullptr;
        }
    } catch (...) {
        delete info;
        return nullptr;
    }
    return info;
}

}  // namespace

ModuleInfo::~ModuleInfo() {}

bool ModuleInfo::IsValid() const { return true; }

AModuleInfo::AModuleInfo() : info_(CreateModuleInfo()) {}

AModuleInfo::~AModuleInfo() { delete info_; }

bool AModuleInfo::HasUsableImplementation() const { return info_ && info_->IsValid(); }

bool AModuleInfo::IsValid() const {
    try {
        return HasUsableImplementation();
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::Find(const UString* wideName, const PString* name,
                       AModuleHandle& module) const {
    try {
        if (!HasUsableImplementation()) return false;
        module = AModuleHandle();
        ModuleHandle* yielded = nullptr;
        const bool found =
            wideName ? info_->FindModule(*wideName, yielded) : info_->FindModule(*name, yielded);
        std::unique_ptr<ModuleHandle> owned(yielded);
        if (!found || !owned) return false;
        module = *owned;
        // A copy that could not be made leaves the caller without the module.
        return module.IsValid();
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::CurrentModule(AModuleHandle& module) const {
    const PString executable;
    return Find(nullptr, &executable, module);
}

bool AModuleInfo::FindModule(const UString& name, AModuleHandle& module) const {
    return Find(&name, nullptr, module);
}

bool AModuleInfo::FindModule(const PString& name, AModuleHandle& module) const {
    return Find(nullptr, &name, module);
}

bool AModuleInfo::CurrentFileName(UString& fileName) const {
    try {
        return HasUsableImplementation() && info_->QueryModuleFileName(nullptr, fileName);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::CurrentFileName(PString& fileName) const {
    try {
        return HasUsableImplementation() && info_->QueryModuleFileName(nullptr, fileName);
    } catch (...) {
        return false;
    }
}

// A handle without an implementation names no module; passing its null object on
// would answer for the executable instead.
bool AModuleInfo::QueryModuleFileName(const AModuleHandle& module, UString& fileName) const {
    try {
        return HasUsableImplementation() && module.IsValid() &&
               info_->QueryModuleFileName(module.GetImplementation(), fileName);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::QueryModuleFileName(const AModuleHandle& module, PString& fileName) const {
    try {
        return HasUsableImplementation() && module.IsValid() &&
               info_->QueryModuleFileName(module.GetImplementation(), fileName);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::CurrentVersion(UString& version) const {
    try {
        return HasUsableImplementation() && info_->QueryModuleVersion(nullptr, version);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::CurrentVersion(PString& version) const {
    try {
        return HasUsableImplementation() && info_->QueryModuleVersion(nullptr, version);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::QueryModuleVersion(const AModuleHandle& module, UString& version) const {
    try {
        return HasUsableImplementation() && module.IsValid() &&
               info_->QueryModuleVersion(module.GetImplementation(), version);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::QueryModuleVersion(const AModuleHandle& module, PString& version) const {
    try {
        return HasUsableImplementation() && module.IsValid() &&
               info_->QueryModuleVersion(module.GetImplementation(), version);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::QueryFileVersion(const UString& path, UString& version) const {
    try {
        return HasUsableImplementation() && info_->QueryFileVersion(path, version);
    } catch (...) {
        return false;
    }
}

bool AModuleInfo::QueryFileVersion(const PString& path, PString& version) const {
    try {
        return HasUsableImplementation() && info_->QueryFileVersion(path, version);
    } catch (...) {
        return false;
    }
}

}  // namespace LumoBase
