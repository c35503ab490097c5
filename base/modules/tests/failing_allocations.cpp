#include "failing_allocations.h"

#include <cstdlib>
#include <new>

namespace {

bool g_armed = false;
long g_allowed = 0;
long g_refused = 0;

void* Allocate(std::size_t size) {
    if (g_armed) {
        if (g_allowed == 0) {
            ++g_refused;
            return nullptr;
        }
        --g_allowed;
    }
    return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size) {
    void* p = Allocate(size);
    if (!p) throw std::bad_alloc();
    return p;
}

}  // namespace

FailingAllocations::FailingAllocations(long allowed) {
    g_allowed = allowed;
    g_refused = 0;
    g_armed = true;
}

FailingAllocations::~FailingAllocations() { g_armed = false; }

long FailingAllocations::Refused() const { return g_refused; }

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
