// The memory and string functions of the C library: byte loops, as the launcher
// only moves short texts and records through them.

#include <stddef.h>

extern "C" {

void* memcpy(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    while (count--) *to++ = *from++;
    return destination;
}

void* memmove(void* destination, const void* source, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    const unsigned char* from = static_cast<const unsigned char*>(source);
    if (to < from || to >= from + count) {
        while (count--) *to++ = *from++;
    } else {
        // The ranges overlap with the destination behind: from the end.
        to += count;
        from += count;
        while (count--) *--to = *--from;
    }
    return destination;
}

void* memset(void* destination, int value, size_t count) {
    unsigned char* to = static_cast<unsigned char*>(destination);
    while (count--) *to++ = static_cast<unsigned char>(value);
    return destination;
}

int memcmp(const void* left, const void* right, size_t count) {
    const unsigned char* a = static_cast<const unsigned char*>(left);
    const unsigned char* b = static_cast<const unsigned char*>(right);
    for (; count; --count, ++a, ++b)
        if (*a != *b) return *a < *b ? -1 : 1;
    return 0;
}

void* memchr(const void* block, int value, size_t count) {
    const unsigned char* p = static_cast<const unsigned char*>(block);
    for (; count; --count, ++p)
        if (*p == static_cast<unsigned char>(value)) return const_cast<unsigned char*>(p);
    return nullptr;
}

size_t strlen(const char* text) {
    const char* end = text;
    while (*end) ++end;
    return static_cast<size_t>(end - text);
}

int strncmp(const char* left, const char* right, size_t count) {
    const unsigned char* a = reinterpret_cast<const unsigned char*>(left);
    const unsigned char* b = reinterpret_cast<const unsigned char*>(right);
    for (; count; --count, ++a, ++b) {
        if (*a != *b) return *a < *b ? -1 : 1;
        if (!*a) return 0;
    }
    return 0;
}

int strcmp(const char* left, const char* right) {
    return strncmp(left, right, static_cast<size_t>(-1));
}

char* strchr(const char* text, int value) {
    const char wanted = static_cast<char>(value);
    for (;; ++text) {
        if (*text == wanted) return const_cast<char*>(text);
        if (!*text) return nullptr;
    }
}

char* strrchr(const char* text, int value) {
    const char wanted = static_cast<char>(value);
    const char* found = nullptr;
    for (;; ++text) {
        if (*text == wanted) found = text;
        if (!*text) return const_cast<char*>(found);
    }
}

}  // extern "C"
