#include "files/pointer_probes.h"

#include <windows.h>

namespace LumoBase {

bool IsBadCodePointer(const void* p) {
    return IsBadCodePtr(reinterpret_cast<FARPROC>(const_cast<void*>(p))) > 0;
}

bool IsBadReadPointer(const void* p, size_t size) { return IsBadReadPtr(p, size) > 0; }

bool IsBadWritePointer(void* p, size_t size) { return IsBadWritePtr(p, size) > 0; }

}  // namespace LumoBase
