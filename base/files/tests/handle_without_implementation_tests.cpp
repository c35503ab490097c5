// Handles whose implementation could not be allocated. This program replaces the
// non-throwing allocation function, the one implementations are created with, so
// that it can make real allocation failures on demand.

#include "files/file_spec.h"

#include <doctest/doctest.h>

#include <cstdlib>
#include <new>
#include <string>

namespace {
bool g_failAllocations = false;

struct FailingAllocations {
    FailingAllocations() { g_failAllocations = true; }
    ~FailingAllocations() { g_failAllocations = false; }
};
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_failAllocations) return nullptr;
    return std::malloc(size ? size : 1);
}

void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

using namespace LumoBase;

TEST_CASE("creating an implementation answers null when allocation fails") {
    FailingAllocations failing;
    CHECK(CreateFileSpec() == nullptr);
}

TEST_CASE("a handle without an implementation answers defaults") {
    AFileSpec spec = [] {
        FailingAllocations failing;
        return AFileSpec("C:\\dir");
    }();
    // Guaranteed copy elision: spec is the handle made while allocations failed.

    CHECK_FALSE(spec.IsValid());
    CHECK_FALSE(spec.Exists());
    CHECK_FALSE(spec.IsDirectory());
    CHECK_FALSE(spec == spec);
    CHECK(std::string(spec.GetFullPath()).empty());
    CHECK(std::string(spec.GetDirectory()).empty());
    CHECK(std::string(spec.GetFileName()).empty());
    CHECK(spec.Open("r") == nullptr);
    CHECK_FALSE(spec.SetToSystemDirectory());
    CHECK_FALSE(spec.SetToTempDirectory());

    spec.SetFullPath(PString("C:\\x"));
    spec.AppendComponent("y");
    spec.AppendComponent(PString("y"));
    (spec += "z") += PString("z");
    CHECK(std::string(spec.GetFullPath()).empty());

    AFileSpec valid("C:\\dir");
    REQUIRE(valid.IsValid());
    CHECK_FALSE(spec == valid);
    CHECK_FALSE(valid == spec);

    // Copies of it have none either; assigning it takes the other's away.
    AFileSpec copy(spec);
    CHECK_FALSE(copy.IsValid());
    valid = spec;
    CHECK_FALSE(valid.IsValid());

    // Assigning a path makes a fresh implementation.
    spec = PString("C:/fresh");
    REQUIRE(spec.IsValid());
    CHECK(std::string(spec.GetFullPath()) == "C:\\fresh");
}

TEST_CASE("copying a handle when the clone cannot be allocated") {
    AFileSpec valid("C:\\dir");
    REQUIRE(valid.IsValid());
    AFileSpec target("C:\\target");
    {
        FailingAllocations failing;
        AFileSpec copy(valid);
        CHECK_FALSE(copy.IsValid());
        target = valid;
        CHECK_FALSE(target.IsValid());
        target = PString("C:\\again");
        CHECK_FALSE(target.IsValid());
    }
    CHECK(std::string(valid.GetFullPath()) == "C:\\dir");
}
