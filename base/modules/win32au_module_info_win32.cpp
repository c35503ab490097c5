#include "modules/win32au_module_info.h"

#include "files/platform_names.h"
#include "modules/version_keys.h"
#include "modules/version_library.h"
#include "modules/win32au_module_handle.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace LumoBase {
namespace {

// Room for the longest path the oldest systems know and its zero.
constexpr DWORD kFileNameBufferSize = 261;

// A file's version information, read into a heap block of the size the platform
// asks for.
class VersionBlock {
public:
    bool Read(const char* path) {
        DWORD ignored = 0;
        const DWORD size = library_.InfoSize(path, &ignored);
        if (size == 0) return false;
        data_.reset(new (std::nothrow) char[size]);
        if (!data_) return false;
        size_ = size;
        return library_.Info(path, size, data_.get());
    }

    // The first of keys that the block holds: its text and the length the platform
    // reports, cut at the end of the block.
    bool Find(const std::vector<PString>& keys, const char*& text, std::size_t& length) const {
        for (const PString& key : keys) {
            void* value = nullptr;
            UINT reported = 0;
            if (!library_.QueryValue(data_.get(), key.c_str(), &value, &reported)) continue;
            std::size_t available = 0;
            if (!BytesToBlockEnd(data_.get(), size_, static_cast<const char*>(value), available))
                return false;
            text = static_cast<const char*>(value);
            length = reported < available ? reported : available;
            return true;
        }
        return false;
    }

    // Bytes from text to the end of the block.
    std::size_t Available(const char* text) const {
        std::size_t available = 0;
        BytesToBlockEnd(data_.get(), size_, text, available);
        return available;
    }

private:
    const VersionLibrary library_;  // loaded while the block is read and queried
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
};

bool Widen(const PString& narrow, UString& wide) {
    if (narrow.size() > static_cast<std::string::size_type>(INT32_MAX)) return false;
    return wide.from_codepage(nullptr, narrow.data(), static_cast<int32_t>(narrow.size()));
}

bool ToModuleHandle(const ModuleHandle* module, HMODULE& handle) {
    handle = nullptr;
    if (!module) return true;
    const WIN32AU_ModuleHandle* win32 = dynamic_cast<const WIN32AU_ModuleHandle*>(module);
    if (!win32) return false;
    handle = win32->GetHandle();
    return true;
}

}  // namespace

WIN32AU_ModuleInfo::WIN32AU_ModuleInfo() {}

WIN32AU_ModuleInfo::~WIN32AU_ModuleInfo() {}

bool WIN32AU_ModuleInfo::FindModule(const UString& name, ModuleHandle*& module) const {
    module = nullptr;
    try {
        std::string narrow;
        if (!name.to_codepage(nullptr, narrow)) return false;
        return FindModule(PString(narrow), module);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WIN32AU_ModuleInfo::FindModule(const PString& name, ModuleHandle*& module) const {
    module = nullptr;
    // Only a module that is already loaded: the module stays as it is.
    HMODULE handle = GetModuleHandleA(name.empty() ? nullptr : name.c_str());
    if (!handle) return false;
    try {
        module = new (std::nothrow) WIN32AU_ModuleHandle(handle);
    } catch (...) {
        module = nullptr;
    }
    return module != nullptr;
}

bool WIN32AU_ModuleInfo::QueryModuleFileName(const ModuleHandle* module,
                                             UString& fileName) const {
    try {
        PString narrow;
        if (!QueryModuleFileName(module, narrow)) return false;
        UString wide;
        if (!Widen(narrow, wide)) return false;
        fileName.swap(wide);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WIN32AU_ModuleInfo::QueryModuleFileName(const ModuleHandle* module,
                                             PString& fileName) const {
    fileName.clear();
    HMODULE handle = nullptr;
    if (!ToModuleHandle(module, handle)) return false;
    std::string name;
    if (!ReadModuleFileName(handle, kFileNameBufferSize - 1, name)) return false;
    try {
        fileName.assign(name.c_str(), name.size());
    } catch (const std::bad_alloc&) {
        fileName.clear();
        return false;
    }
    return true;
}

bool WIN32AU_ModuleInfo::QueryModuleVersion(const ModuleHandle* module,
                                            UString& version) const {
    try {
        PString narrow;
        if (!QueryModuleVersion(module, narrow)) return false;
        UString wide;
        if (!Widen(narrow, wide)) return false;
        version.swap(wide);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WIN32AU_ModuleInfo::QueryModuleVersion(const ModuleHandle* module,
                                            PString& version) const {
    version.clear();
    try {
        PString fileName;
        if (!QueryModuleFileName(module, fileName) || fileName.empty()) return false;
        return QueryFileVersion(fileName, version);
    } catch (const std::bad_alloc&) {
        version.clear();
        return false;
    }
}

bool WIN32AU_ModuleInfo::QueryFileVersion(const UString& path, UString& version) const {
    if (path.empty()) return false;
    try {
        std::string narrowPath;
        if (!path.to_codepage(nullptr, narrowPath)) return false;

        VersionBlock block;
        if (!block.Read(narrowPath.c_str())) return false;
        const std::vector<PString> keys = WideFileVersionKeys(
            static_cast<uint16_t>(GetUserDefaultLangID()), static_cast<uint16_t>(GetACP()));
        const char* text = nullptr;
        std::size_t length = 0;
        if (!block.Find(keys, text, length)) return false;

        // The reported length may count the terminating zero; the conversion ends
        // at the first zero unit.
        if (length > static_cast<std::size_t>(INT32_MAX)) return false;
        UString wide;
        if (!wide.from_codepage(nullptr, text, static_cast<int32_t>(length))) return false;
        version.swap(wide);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool WIN32AU_ModuleInfo::QueryFileVersion(const PString& path, PString& version) const {
    version.clear();
    if (path.empty()) return false;
    try {
        VersionBlock block;
        if (!block.Read(path.c_str())) return false;
        const char* text = nullptr;
        std::size_t length = 0;
        if (!block.Find(NarrowFileVersionKeys(), text, length)) return false;
        // The text runs to its zero, whatever length was reported.
        version.assign(text, BoundedTextLength(text, block.Available(text)));
        return true;
    } catch (const std::bad_alloc&) {
        version.clear();
        return false;
    }
}

}  // namespace LumoBase
