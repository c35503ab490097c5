#pragma once
// The Win32 module information: module handles and file names from the kernel,
// version texts from the version resource. Holds no data.

#include "modules/module_info.h"

namespace LumoBase {

class WIN32AU_ModuleInfo : public ModuleInfo {
public:
    WIN32AU_ModuleInfo();
    ~WIN32AU_ModuleInfo() override;

    bool FindModule(const UString& name, ModuleHandle*& module) const override;
    bool FindModule(const PString& name, ModuleHandle*& module) const override;
    // A handle of another implementation fails the call.
    bool QueryModuleFileName(const ModuleHandle* module, UString& fileName) const override;
    bool QueryModuleFileName(const ModuleHandle* module, PString& fileName) const override;
    bool QueryModuleVersion(const ModuleHandle* module, UString& version) const override;
    bool QueryModuleVersion(const ModuleHandle* module, PString& version) const override;
    bool QueryFileVersion(const UString& path, UString& version) const override;
    bool QueryFileVersion(const PString& path, PString& version) const override;
};

}  // namespace LumoBase
