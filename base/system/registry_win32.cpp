#include "system/registry.h"
#include "system/system_library.h"

#include <new>

namespace LumoBase {

bool RegistryKeyExists(HKEY root, const char* subkey) {
    HKEY key = nullptr;
    if (Bound::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return false;
    Bound::RegCloseKey(key);
    return true;
}

bool RegistryValueExists(HKEY key, const char* value) {
    return Bound::RegQueryValueExA(key, value, nullptr, nullptr, nullptr, nullptr) ==
           ERROR_SUCCESS;
}

bool RegistryValueExists(HKEY root, const char* subkey, const char* value) {
    HKEY key = nullptr;
    if (Bound::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return false;
    bool exists = RegistryValueExists(key, value);
    Bound::RegCloseKey(key);
    return exists;
}

bool ReadRegistryString(HKEY key, const char* value, PString& result) {
    result.clear();
    char local[260] = {};
    DWORD size = sizeof local - 1;  // the last byte keeps the text terminated
    LONG status = Bound::RegQueryValueExA(key, value, nullptr, nullptr,
                                          reinterpret_cast<BYTE*>(local), &size);
    if (status == ERROR_MORE_DATA) {
        // One byte more than reported, zero-filled: data stored without a
        // terminator (or not as text at all) must not be read past its end.
        DWORD capacity = size;
        char* buffer = new (std::nothrow) char[capacity + 1]();
        if (!buffer) return false;
        status = Bound::RegQueryValueExA(key, value, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(buffer), &size);
        if (status == ERROR_SUCCESS && size <= capacity) {
            buffer[size] = '\0';
            result = PString(buffer);
        } else if (status == ERROR_SUCCESS) {
            status = ERROR_MORE_DATA;  // grew between the two queries
        }
        delete[] buffer;
    } else if (status == ERROR_SUCCESS) {
        result = PString(local);
    }
    if (status != ERROR_SUCCESS) {
        result.clear();
        return false;
    }
    return true;
}

bool ReadRegistryString(HKEY root, const char* subkey, const char* value, PString& result) {
    HKEY key = nullptr;
    if (Bound::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return false;
    bool ok = ReadRegistryString(key, value, result);
    Bound::RegCloseKey(key);
    return ok;
}

bool ReadRegistryData(HKEY root, const char* subkey, const char* value, std::string& data) {
    data.clear();
    HKEY key = nullptr;
    if (Bound::RegOpenKeyExA(root, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS || !key)
        return false;
    LONG status = ERROR_MORE_DATA;
    // The size asked first may be too small for the narrow text or grow meanwhile:
    // asked again a few times.
    for (int attempt = 0; attempt < 4 && status == ERROR_MORE_DATA; ++attempt) {
        DWORD size = 0;
        status = Bound::RegQueryValueExA(key, value, nullptr, nullptr, nullptr, &size);
        if (status != ERROR_SUCCESS) break;
        try {
            data.assign(static_cast<size_t>(size) + 2, '\0');
        } catch (...) {  // no memory for it: no answer
            status = ERROR_OUTOFMEMORY;
            break;
        }
        DWORD read = size + 2;
        status = Bound::RegQueryValueExA(key, value, nullptr, nullptr,
                                         reinterpret_cast<BYTE*>(&data[0]), &read);
        if (status == ERROR_SUCCESS) data.resize(read <= size + 2 ? read : 0);
    }
    Bound::RegCloseKey(key);
    if (status != ERROR_SUCCESS) data.clear();
    return status == ERROR_SUCCESS;
}

}  // namespace LumoBase
