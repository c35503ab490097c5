#pragma once
// The six ICU converter entry points the conversions use. The host build binds
// them to the linked ICU; the Windows build resolves them from ICU's DLLs on first
// use, so programs that never convert run without those DLLs.

#include <cstdint>

namespace LumoIntl {

struct IcuConverter;  // ICU's UConverter, opaque here

struct IcuConverterApi {
    IcuConverter* (*open)(const char* name, int32_t* status);
    int8_t (*getMinCharSize)(const IcuConverter* converter);
    int8_t (*getMaxCharSize)(const IcuConverter* converter);
    int32_t (*toUChars)(IcuConverter* converter, uint16_t* dest, int32_t destCapacity,
                        const char* src, int32_t srcLength, int32_t* status);
    int32_t (*fromUChars)(IcuConverter* converter, char* dest, int32_t destCapacity,
                          const uint16_t* src, int32_t srcLength, int32_t* status);
    void (*close)(IcuConverter* converter);
};

// The bound entry points, or null when ICU cannot be reached.
const IcuConverterApi* GetIcuConverterApi();

}  // namespace LumoIntl
