// Binds the converter entry points to the ICU the host build links.

#include "icu_api.h"
#include "unicode_string.h"

#include <unicode/ucnv.h>

namespace LumoIntl {
namespace {

static_assert(sizeof(UChar) == sizeof(uint16_t), "UTF-16 units are 16 bits");
static_assert(U_ZERO_ERROR == kZeroError && U_ILLEGAL_ARGUMENT_ERROR == kIllegalArgumentError &&
                  U_FILE_ACCESS_ERROR == kFileAccessError &&
                  U_MEMORY_ALLOCATION_ERROR == kMemoryAllocationError,
              "status codes match ICU's");

UConverter* Native(IcuConverter* c) { return reinterpret_cast<UConverter*>(c); }
const UConverter* Native(const IcuConverter* c) { return reinterpret_cast<const UConverter*>(c); }

// ICU takes UErrorCode*; carry the value across instead of aliasing the pointer.
struct Status {
    explicit Status(int32_t* s) : outer(s), code(static_cast<UErrorCode>(*s)) {}
    ~Status() { *outer = code; }
    int32_t* outer;
    UErrorCode code;
};

IcuConverter* Open(const char* name, int32_t* status) {
    Status st(status);
    return reinterpret_cast<IcuConverter*>(ucnv_open(name, &st.code));
}
int8_t MinCharSize(const IcuConverter* c) { return ucnv_getMinCharSize(Native(c)); }
int8_t MaxCharSize(const IcuConverter* c) { return ucnv_getMaxCharSize(Native(c)); }
int32_t ToUChars(IcuConverter* c, uint16_t* dest, int32_t cap, const char* src, int32_t len,
                 int32_t* status) {
    Status st(status);
    return ucnv_toUChars(Native(c), reinterpret_cast<UChar*>(dest), cap, src, len, &st.code);
}
int32_t FromUChars(IcuConverter* c, char* dest, int32_t cap, const uint16_t* src, int32_t len,
                   int32_t* status) {
    Status st(status);
    return ucnv_fromUChars(Native(c), dest, cap, reinterpret_cast<const UChar*>(src), len,
                           &st.code);
}
void Close(IcuConverter* c) { ucnv_close(Native(c)); }

const IcuConverterApi kApi = {Open, MinCharSize, MaxCharSize, ToUChars, FromUChars, Close};

}  // namespace

const IcuConverterApi* GetIcuConverterApi() { return &kApi; }

}  // namespace LumoIntl
