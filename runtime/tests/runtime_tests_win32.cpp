// The launcher's C runtime in a program of its own, run under Wine: start-up and
// exit order, the heap's edge cases, the memory and string functions, exceptions
// (on a second thread too) and the quiet end of an uncaught one. It prints what
// fails and, from the last destructor to run, one line when everything held.
// With the command line "uncaught" it throws an exception nobody catches instead.

#include "runtime.h"

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

namespace {

int g_failures = 0;
char* volatile g_kept;
char g_trace[32];  // what start-up and exit ran, in order
int g_traced = 0;

void Print(const char* text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(std::strlen(text)),
              &written, nullptr);
}

void Check(bool held, const char* what) {
    if (held) return;
    ++g_failures;
    Print("FAIL: ");
    Print(what);
    Print("\n");
}

void Trace(char step) {
    if (g_traced < static_cast<int>(sizeof g_trace) - 1) g_trace[g_traced++] = step;
}

struct Traced {
    char construct, destroy;
    bool last;
    Traced(char c, char d, bool isLast = false) : construct(c), destroy(d), last(isLast) {
        Trace(construct);
    }
    ~Traced() {
        Trace(destroy);
        if (!last) return;
        // Exit: the handler and the local object WinMain registered last go first,
        // then the destructor functions, then the objects in reverse order.
        Check(std::strcmp(g_trace, "pabchLwCBA") == 0, "start-up and exit order");
        if (g_failures == 0) Print("runtime checks passed\n");
    }
};

// Constructed a, b, c (one unit: definition order); the prioritised function first.
Traced g_a('a', 'A', true);
Traced g_b('b', 'B');
Traced g_c('c', 'C');
__attribute__((constructor(101))) void Prioritised() { Trace('p'); }
__attribute__((destructor)) void DestructorFunction() { Trace('w'); }

void HeapEdges() {
    void* a = std::malloc(0);
    void* b = std::malloc(0);
    Check(a && b && a != b, "malloc(0) answers blocks of their own");
    std::free(a);
    std::free(b);
    std::free(nullptr);

    char* p = static_cast<char*>(std::realloc(nullptr, 4));
    Check(p != nullptr, "realloc of no block allocates");
    if (!p) return;
    std::memcpy(p, "abcd", 4);
    p = static_cast<char*>(std::realloc(p, 100000));
    Check(p && std::memcmp(p, "abcd", 4) == 0, "realloc keeps the contents when it grows");
    Check(std::realloc(p, 0) == nullptr, "realloc to no size frees and answers none");

    unsigned char* zeroed = static_cast<unsigned char*>(std::calloc(1000, 3));
    bool allZero = zeroed != nullptr;
    for (int i = 0; zeroed && i < 3000; ++i) allZero = allZero && zeroed[i] == 0;
    Check(allZero, "calloc zeroes");
    std::free(zeroed);
    // Sizes the compiler must not see through.
    volatile size_t half = SIZE_MAX / 2, nearlyAll = SIZE_MAX - 16;
    Check(std::calloc(half, 3) == nullptr, "calloc refuses a size that overflows");
    Check(std::malloc(nearlyAll) == nullptr, "malloc fails without a block");
    bool thrown = false;
    try {
        g_kept = new char[half];  // kept: a new and delete in one place may be left out
        delete[] g_kept;
    } catch (const std::bad_alloc&) {
        thrown = true;
    }
    Check(thrown, "new throws bad_alloc when the heap has no block");
}

void MemoryAndStrings() {
    char text[] = "0123456789";
    std::memmove(text + 2, text, 6);
    Check(std::memcmp(text, "0101234589", 10) == 0, "memmove forward over itself");
    std::memmove(text, text + 2, 6);
    Check(std::memcmp(text, "0123454589", 10) == 0, "memmove backward over itself");
    std::memset(text, 'x', 3);
    Check(std::memcmp(text, "xxx3454589", 10) == 0, "memset");
    // Bytes compare as unsigned.
    Check(std::memcmp("\x80", "\x01", 1) > 0 && std::strcmp("a\xff", "a\x01") > 0, "unsigned order");
    Check(std::strncmp("abcX", "abcY", 3) == 0 && std::strncmp("ab", "abc", 5) < 0, "strncmp");
    Check(std::strcmp("", "") == 0 && std::strcmp("a", "") > 0, "strcmp");
    const char* s = "a/b/c";
    Check(std::strrchr(s, '/') == s + 3 && std::strchr(s, '/') == s + 1, "strchr, strrchr");
    Check(std::strchr(s, '\0') == s + 5 && std::strrchr(s, 'x') == nullptr, "the terminator");
    Check(std::memchr(s, 'c', 5) == s + 4 && std::memchr(s, 'c', 4) == nullptr, "memchr");
    Check(std::strlen("") == 0 && std::strlen(s) == 5, "strlen");

    char* tail = TarnboltRuntime::CommandTail(const_cast<char*>("\"C:\\My Dir\\p.exe\"  x y"));
    Check(std::strcmp(tail, "x y") == 0, "the command line past a quoted program name");
    Check(*TarnboltRuntime::CommandTail(const_cast<char*>("p.exe")) == '\0', "no arguments");
    tail = TarnboltRuntime::CommandTail(const_cast<char*>("p.exe\t\targ"));
    Check(std::strcmp(tail, "arg") == 0, "tabs after the program name");
}

void Exceptions() {
    // The library's own exceptions carry their texts in the runtime's string members.
    std::string caught;
    try {
        std::string("abc").substr(4);
    } catch (const std::out_of_range& e) {
        caught = e.what();
    }
    Check(caught.find("substr") != std::string::npos, "out_of_range from the library, with its text");
    caught.clear();
    try {
        throw std::runtime_error(std::string(40, 'r'));
    } catch (const std::exception& e) {
        caught = e.what();
    }
    Check(caught == std::string(40, 'r'), "a runtime_error keeps its text");
}

DWORD WINAPI ThrowingThread(LPVOID result) {
    try {
        throw std::logic_error("on a thread");
    } catch (const std::logic_error&) {
        *static_cast<bool*>(result) = true;
    }
    return 0;
}

void ExitHandler() { Trace('h'); }

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    if (std::strcmp(commandLine, "uncaught") == 0) {
        // Ends the process with exit code 0, quietly: nothing below, no destructor.
        throw std::runtime_error("nobody catches this");
    }
    Check(std::strcmp(g_trace, "pabc") == 0, "static constructors in order");
    HeapEdges();
    MemoryAndStrings();
    Exceptions();
    bool threadCaught = false;
    HANDLE thread = CreateThread(nullptr, 0, ThrowingThread, &threadCaught, 0, nullptr);
    Check(thread != nullptr, "a thread starts");
    if (thread) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
    Check(threadCaught, "an exception caught on another thread");
    static Traced local('\0', 'L');
    g_trace[--g_traced] = '\0';  // its construction is not part of the order checked
    std::atexit(ExitHandler);
    return 0;
}
