// The members of the string class that the C++ library's exception classes call
// out of line (the library is built for size, and so calls what it would otherwise
// inline). Instantiated here, they keep the library's object that instantiates
// every member (more than 20 KB) out of the program; where the program's own code
// instantiates one as well, the linker keeps one copy.

#include <string>

static_assert(_GLIBCXX_USE_CXX11_ABI, "compiled for the string with a short buffer");

template void std::string::_M_dispose();
template void std::string::_S_copy(char*, const char*, size_type);
template void std::string::_M_assign(const std::string&);
template char* std::string::_M_create(size_type&, size_type);
template std::string::basic_string(std::string&&) noexcept;
template std::string::basic_string(const std::string&);

// The copy from a range of characters is also a member template, which makes its
// plain overload ambiguous to instantiate by name: kept by its address instead (an
// explicit instantiation may name a private member).
namespace {
template <void (*Copy)(char*, const char*, const char*)>
struct KeepCopyChars {
    static void (*const kept)(char*, const char*, const char*);
};
template <void (*Copy)(char*, const char*, const char*)>
void (*const KeepCopyChars<Copy>::kept)(char*, const char*, const char*) = Copy;
}  // namespace
template struct KeepCopyChars<&std::string::_S_copy_chars>;
