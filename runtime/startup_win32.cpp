// The program's entry point, its end, and abort.

#include "runtime.h"

#include <windows.h>

#include <stdlib.h>

namespace {

CRITICAL_SECTION g_exitLock;

#ifdef __SEH__
// Where table-based unwinding finds no handler for a C++ exception it lets the
// raise return, and the C++ runtime then ends the program through its terminate
// handler; the raise only returns when the last filter says so.
LONG WINAPI ContinueUncaughtThrows(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    const DWORD kCompilerThrow = 0x20474343;  // 'GCC' with the customer bit
    if ((record->ExceptionCode & 0x20ffffff) == kCompilerThrow &&
        !(record->ExceptionFlags & EXCEPTION_NONCONTINUABLE))
        return EXCEPTION_CONTINUE_EXECUTION;
    return EXCEPTION_CONTINUE_SEARCH;
}
#endif

}  // namespace

namespace TarnboltRuntime {

void LockExitList() { EnterCriticalSection(&g_exitLock); }
void UnlockExitList() { LeaveCriticalSection(&g_exitLock); }

void EndProcess(unsigned int code) {
    ExitProcess(code);
}

}  // namespace TarnboltRuntime

extern "C" {

// An end nobody planned for (the C++ runtime's terminate handler, a failed
// check of the unwinder): the launcher ends quietly, as every run of it does, with
// exit code 0, and runs nothing of the program on the way out.
void abort() {
    TerminateProcess(GetCurrentProcess(), 0);
    ExitProcess(0);  // where terminating oneself is refused
}

// The linker's default entry point of a GUI program. The 32-bit stack is only
// known to be 4-byte aligned here.
#ifndef _WIN64
__attribute__((force_align_arg_pointer))
#endif
void WinMainCRTStartup() {
    InitializeCriticalSection(&g_exitLock);
#ifdef __SEH__
    SetUnhandledExceptionFilter(ContinueUncaughtThrows);
#endif
    TarnboltRuntime::RunConstructors();
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    const int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;
    exit(WinMain(GetModuleHandleA(nullptr), nullptr,
                 TarnboltRuntime::CommandTail(GetCommandLineA()), show));
}

}  // extern "C"
