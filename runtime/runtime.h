#pragma once
// What the parts of the launcher's C runtime say to each other. The runtime is the
// launcher's only C library: it imports nothing but KERNEL32, so no runtime DLL is
// looked up beside the program (where anyone could have put one).

#include <stddef.h>

namespace TarnboltRuntime {

// The static constructors of the whole program, in the order the compiler's lists
// ask for, and the static destructors registered to run at exit.
void RunConstructors();

// The registered exit functions, last registered first, each once; calls made
// while they run (exit from a destructor) only end the process.
void RunExitFunctions();

// The process ends with `code`: nothing more of the program runs.
[[noreturn]] void EndProcess(unsigned int code);

// Serialises the exit list between threads.
void LockExitList();
void UnlockExitList();

// The program's command line past the program name and the blanks after it, as
// WinMain takes it.
char* CommandTail(char* line);

}  // namespace TarnboltRuntime
