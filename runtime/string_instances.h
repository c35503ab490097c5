// Included before anything else in every C++ unit of the Windows builds. The C++
// library declares its string classes instantiated in its own objects, so every
// program that uses a string links the object that holds all of their members
// (more than 30 KB, which the unwinder's tables keep whole). Without those
// declarations the compiler instantiates only the members a program uses.
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE -1  // the library's own value for "not for strings"
