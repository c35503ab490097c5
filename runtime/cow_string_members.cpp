// The members of the older, reference-counted string class that the C++ library's
// exception classes hold their texts in (compiled with that string as std::string).
// Instantiated here, they keep the library's object that instantiates every member
// (more than 30 KB) out of the program.

// The constructors as the library declares them for its own instantiations: the
// one from a C string is otherwise a template in C++17.
#define _GLIBCXX_DEFINING_STRING_INSTANTIATIONS 1
#include <string>

static_assert(!_GLIBCXX_USE_CXX11_ABI, "compiled for the reference-counted string");

template std::string::size_type std::string::_Rep::_S_empty_rep_storage[];
template std::string::_Rep* std::string::_Rep::_S_create(size_type, size_type, const allocator_type&);
template void std::string::_Rep::_M_destroy(const allocator_type&) throw();
template void std::string::_Rep::_M_dispose(const allocator_type&);
template char* std::string::_Rep::_M_clone(const allocator_type&, size_type);
template char* std::string::_S_construct(size_type, char, const allocator_type&);
template void std::string::swap(std::string&);
template std::string& std::string::assign(const std::string&);
// Calls a library built for size makes rather than inlining them.
template bool std::string::_Rep::_M_is_leaked() const;
template char* std::string::_Rep::_M_refcopy();
template std::string::basic_string();
template std::string::basic_string(std::string&&) noexcept;
template std::string::basic_string(const char*, const allocator_type&);
template std::string::basic_string(const char*, size_type, const allocator_type&);
template std::string::~basic_string();
