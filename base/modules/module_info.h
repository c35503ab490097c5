#pragma once
// Module information: which loaded module a name refers to, a loaded module's
// file name and version text, and the version text of any file. ModuleInfo is the
// interface, whose virtual operations keep the numbered order below; AModuleInfo
// is the owning handle that callers hold. Narrow text is in the system's ANSI code
// page; wide text is UTF-16, converted with the default converter.
//
// The version text is the "FileVersion" entry of the version resource's string
// table, exactly as stored.

#include "modules/module_handle.h"
#include "strings/pstring.h"
#include "strings/ustring.h"

namespace LumoBase {

// Every operation answers true on success, its result in the out parameter. A
// null module handle means the process's executable.
class ModuleInfo {
public:
    virtual ~ModuleInfo();                                                          // 0
    // True.
    virtual bool IsValid() const;                                                   // 1

    // The module of that name already loaded in the process (the empty name: the
    // executable) as a new handle owned by the caller; null on failure. Nothing
    // is loaded.
    virtual bool FindModule(const UString& name, ModuleHandle*& module) const = 0;  // 2
    virtual bool FindModule(const PString& name, ModuleHandle*& module) const = 0;  // 3

    virtual bool QueryModuleFileName(const ModuleHandle* module,
                                     UString& fileName) const = 0;                  // 4
    // fileName is empty after a failure.
    virtual bool QueryModuleFileName(const ModuleHandle* module,
                                     PString& fileName) const = 0;                  // 5

    virtual bool QueryModuleVersion(const ModuleHandle* module,
                                    UString& version) const = 0;                    // 6
    // version is empty after a failure.
    virtual bool QueryModuleVersion(const ModuleHandle* module,
                                    PString& version) const = 0;                    // 7

    // The wide form also tries the user's language and ANSI code page.
    virtual bool QueryFileVersion(const UString& path, UString& version) const = 0;  // 8
    // version is empty after a failure.
    virtual bool QueryFileVersion(const PString& path, PString& version) const = 0;  // 9
};

// Owns one implementation, kept only when it answers IsValid. Without one every
// operation answers false. No exception escapes: any becomes false. The wide
// forms leave their out string untouched when they fail; the narrow forms leave it
// empty, except when there is no implementation or the module handle is not valid.
class AModuleInfo {
public:
    AModuleInfo();
    AModuleInfo(const AModuleInfo&) = delete;
    AModuleInfo& operator=(const AModuleInfo&) = delete;
    virtual ~AModuleInfo();                                                          // 0

    virtual bool IsValid() const;                                                    // 1
    // The process's executable.
    virtual bool CurrentModule(AModuleHandle& module) const;                         // 2
    // The out handle is reset to an empty one first; it holds the module when the
    // call succeeds.
    virtual bool FindModule(const UString& name, AModuleHandle& module) const;       // 3
    virtual bool FindModule(const PString& name, AModuleHandle& module) const;       // 4
    // The full path of the process's executable.
    virtual bool CurrentFileName(UString& fileName) const;                           // 5
    virtual bool CurrentFileName(PString& fileName) const;                           // 6
    virtual bool QueryModuleFileName(const AModuleHandle& module,
                                     UString& fileName) const;                       // 7
    virtual bool QueryModuleFileName(const AModuleHandle& module,
                                     PString& fileName) const;                       // 8
    // The version text of the process's executable.
    virtual bool CurrentVersion(UString& version) const;                             // 9
    virtual bool CurrentVersion(PString& version) const;                             // 10
    virtual bool QueryModuleVersion(const AModuleHandle& module,
                                    UString& version) const;                         // 11
    virtual bool QueryModuleVersion(const AModuleHandle& module,
                                    PString& version) const;                         // 12
    virtual bool QueryFileVersion(const UString& path, UString& version) const;      // 13
    virtual bool QueryFileVersion(const PString& path, PString& version) const;      // 14

private:
    bool Find(const UString* wideName, const PString* name, AModuleHandle& module) const;
    bool HasUsableImplementation() const;

    ModuleInfo* info_;
};

}  // namespace LumoBase
