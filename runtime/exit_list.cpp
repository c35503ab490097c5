// Static constructors and destructors, atexit and exit: the part of start-up and
// exit that needs no system call.

#include "runtime.h"

#include <stdlib.h>

extern "C" {
// The linker's lists (its default script): -1, the entries, 0. The compiler puts
// the constructors of each unit and priority in the order that running the list
// from its end to its start gives; destructors run from the start.
typedef void (*Function)();
extern Function __CTOR_LIST__[];
extern Function __DTOR_LIST__[];
}

namespace {

// A fixed first block: start-up registers a handful, and a registration must not
// fail for want of heap. Later ones take heap blocks of the same shape.
const int kBlockSize = 32;
struct Block {
    Block* previous;
    int count;
    Function functions[kBlockSize];
};
Block g_first;
Block* g_last = &g_first;
bool g_exiting = false;

void RunDestructors() {
    for (Function* entry = __DTOR_LIST__ + 1; *entry; ++entry) (*entry)();
}

}  // namespace

namespace TarnboltRuntime {

void RunConstructors() {
    size_t count = 0;
    while (__CTOR_LIST__[count + 1]) ++count;
    for (size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
    atexit(RunDestructors);
}

void RunExitFunctions() {
    for (;;) {
        LockExitList();
        Function next = nullptr;
        while (g_last->count == 0 && g_last->previous) {
            Block* empty = g_last;
            g_last = empty->previous;
            free(empty);
        }
        if (g_last->count > 0) next = g_last->functions[--g_last->count];
        UnlockExitList();
        if (!next) return;
        next();  // may register more: they run next
    }
}

}  // namespace TarnboltRuntime

extern "C" {

int atexit(void (*function)()) {
    TarnboltRuntime::LockExitList();
    int result = 0;
    if (g_last->count == kBlockSize) {
        Block* block = static_cast<Block*>(malloc(sizeof(Block)));
        if (block) {
            block->previous = g_last;
            block->count = 0;
            g_last = block;
        }
    }
    if (g_last->count < kBlockSize)
        g_last->functions[g_last->count++] = function;
    else
        result = -1;
    TarnboltRuntime::UnlockExitList();
    return result;
}

void exit(int code) {
    // A second call (a destructor that exits) must not run the list again.
    TarnboltRuntime::LockExitList();
    const bool first = !g_exiting;
    g_exiting = true;
    TarnboltRuntime::UnlockExitList();
    if (first) TarnboltRuntime::RunExitFunctions();
    TarnboltRuntime::EndProcess(static_cast<unsigned int>(code));
}

}  // extern "C"
