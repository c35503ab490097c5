#include "unicode_string.h"

#include "icu_api.h"

#include <climits>
#include <new>

namespace LumoIntl {
namespace {

// Opens the converter, or answers null with a failure in *status.
IcuConverter* OpenConverter(const IcuConverterApi* api, const char* name, int32_t* status) {
    if (!api) {
        // ICU cannot be reached: the same answer as a converter whose data is missing.
        *status = kFileAccessError;
        return nullptr;
    }
    IcuConverter* converter = api->open(name, status);
    if (StatusIsFailure(*status)) {
        if (converter) api->close(converter);
        return nullptr;
    }
    return converter;
}

// ICU takes 32-bit capacities; a larger one is cut, and output that does not fit
// is reported by ICU as an overflow.
int32_t ClampCapacity(uint64_t capacity) {
    return capacity > INT32_MAX ? INT32_MAX : static_cast<int32_t>(capacity);
}

}  // namespace

template <class S>
bool unicode_string<S>::from_codepage(const char* converter, const char* bytes, int32_t count,
                                      int32_t* status) {
    int32_t local;
    if (!status) status = &local;
    *status = kZeroError;

    // A negative count would size the buffer below zero, and bytes must exist for a
    // positive one.
    if (count < 0 || (count > 0 && !bytes)) {
        *status = kIllegalArgumentError;
        return false;
    }

    const IcuConverterApi* api = GetIcuConverterApi();
    IcuConverter* conv = OpenConverter(api, converter, status);
    if (!conv) return false;

    int8_t minSize = api->getMinCharSize(conv);
    if (minSize < 1) minSize = 1;
    const int32_t capacity = ClampCapacity(2 * (static_cast<uint64_t>(count) / minSize) + 1);
    // Zero-filled, so that a conversion which writes nothing leaves an empty text.
    uint16_t* buffer = new (std::nothrow) uint16_t[capacity]();
    if (!buffer) {
        *status = kMemoryAllocationError;
        api->close(conv);
        return false;
    }

    api->toUChars(conv, buffer, capacity, bytes, count, status);

    int32_t length = 0;
    while (length < capacity && buffer[length] != 0) ++length;
    S::assign(reinterpret_cast<const unit_type*>(buffer), static_cast<size_t>(length));

    delete[] buffer;
    api->close(conv);
    return !StatusIsFailure(*status);
}

template <class S>
bool unicode_string<S>::to_codepage(const char* converter, std::string& destination,
                                    int32_t* status) const {
    int32_t local = kZeroError;
    if (!status) status = &local;
    if (StatusIsFailure(*status)) return false;

    if (S::size() > static_cast<size_t>(INT32_MAX - 1)) {
        *status = kIllegalArgumentError;
        return false;
    }
    const int32_t length = static_cast<int32_t>(S::size());

    const IcuConverterApi* api = GetIcuConverterApi();
    IcuConverter* conv = OpenConverter(api, converter, status);
    if (!conv) return false;

    int8_t maxSize = api->getMaxCharSize(conv);
    if (maxSize < 1) maxSize = 1;
    const int32_t capacity =
        ClampCapacity(static_cast<uint64_t>(maxSize) * (static_cast<uint64_t>(length) + 1));
    char* buffer = new (std::nothrow) char[capacity];
    if (!buffer) {
        *status = kMemoryAllocationError;
        api->close(conv);
        return false;
    }

    static const uint16_t kEmpty[1] = {0};
    const uint16_t* text =
        length ? reinterpret_cast<const uint16_t*>(S::data()) : kEmpty;
    int32_t written = api->fromUChars(conv, buffer, capacity, text, length, status);

    if (!StatusIsFailure(*status)) {
        if (written < 0) written = 0;
        if (written > capacity) written = capacity;
        destination.reserve(static_cast<size_t>(written) + 1);
        destination.assign(buffer, static_cast<size_t>(written));
    }

    delete[] buffer;
    api->close(conv);
    return !StatusIsFailure(*status);
}

template class unicode_string<utf16_string>;

}  // namespace LumoIntl
