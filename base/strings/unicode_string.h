#pragma once
// UTF-16 text that converts from and to a code page through ICU's converters.

#include <cstdint>
#include <string>

namespace LumoIntl {

// ICU's status convention: 0 and negative values (warnings) are success,
// positive values are failures.
inline bool StatusIsFailure(int32_t status) { return status > 0; }

constexpr int32_t kZeroError = 0;                 // U_ZERO_ERROR
constexpr int32_t kIllegalArgumentError = 1;      // U_ILLEGAL_ARGUMENT_ERROR
constexpr int32_t kFileAccessError = 4;           // U_FILE_ACCESS_ERROR
constexpr int32_t kMemoryAllocationError = 7;     // U_MEMORY_ALLOCATION_ERROR

template <class S>
class unicode_string : public S {
public:
    using unit_type = typename S::value_type;

    unicode_string() {}
    unicode_string(const unicode_string& other) : S(other) {}
    // The text up to the first zero unit; a null pointer gives the empty text.
    explicit unicode_string(const unit_type* units) {
        if (units) S::assign(units);
    }
    // From the underlying standard string and from counted units, so that the
    // standard string's results (substr and the like) can be taken over.
    unicode_string(const S& text) : S(text) {}
    unicode_string(const unit_type* units, typename S::size_type count) : S(units, count) {}
    unicode_string& operator=(const unicode_string& other) {
        S::operator=(other);
        return *this;
    }

    // Replaces the text by the conversion of `count` bytes from the code page of
    // `converter` (null: ICU's default converter). True unless the status is a failure.
    bool from_codepage(const char* converter, const char* bytes, int32_t count,
                       int32_t* status = nullptr);

    // Writes the text, converted, into `destination`; it is left untouched on failure.
    bool to_codepage(const char* converter, std::string& destination,
                     int32_t* status = nullptr) const;
};

using utf16_string = std::basic_string<unsigned short>;

extern template class unicode_string<utf16_string>;

}  // namespace LumoIntl
