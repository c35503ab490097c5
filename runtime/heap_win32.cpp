// The C heap over the process heap.

#include <windows.h>

#include <stdlib.h>

extern "C" {

void* malloc(size_t size) {
    // A zero-byte request still answers a block of its own.
    return HeapAlloc(GetProcessHeap(), 0, size ? size : 1);
}

void free(void* block) {
    if (block) HeapFree(GetProcessHeap(), 0, block);
}

void* calloc(size_t count, size_t size) {
    if (size && count > static_cast<size_t>(-1) / size) return nullptr;
    const size_t bytes = count * size;
    return HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

// As the platform's C library: no block is a new one, no size frees the block and
// answers none; a failure leaves the block as it was.
void* realloc(void* block, size_t size) {
    if (!block) return malloc(size);
    if (!size) {
        free(block);
        return nullptr;
    }
    return HeapReAlloc(GetProcessHeap(), 0, block, size);
}

}  // extern "C"
