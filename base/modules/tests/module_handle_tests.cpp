// Module handles carry, copy and compare a platform value and make no platform
// call, so the values here are made-up addresses.

#include "modules/module_handle.h"
#include "modules/win32au_module_handle.h"

#include "failing_allocations.h"

#include <doctest/doctest.h>

#include <cstdint>

using namespace LumoBase;

namespace {

HMODULE Fake(uintptr_t value) { return reinterpret_cast<HMODULE>(value); }

WIN32AU_ModuleHandle& Win32(AModuleHandle& handle) {
    WIN32AU_ModuleHandle* win32 = dynamic_cast<WIN32AU_ModuleHandle*>(handle.GetImplementation());
    REQUIRE(win32 != nullptr);
    return *win32;
}

class OtherHandle : public ModuleHandle {};

}  // namespace

TEST_CASE("the Win32 handle copies and compares its value, and only from its own kind") {
    WIN32AU_ModuleHandle a(Fake(0x10000)), b(Fake(0x10000)), c(Fake(0x20000)), empty;
    CHECK(empty.GetHandle() == nullptr);
    CHECK(a.Equals(static_cast<const ModuleHandle&>(b)));
    CHECK_FALSE(a.Equals(c));
    CHECK(&c.Assign(static_cast<const ModuleHandle&>(a)) == &c);
    CHECK(c.GetHandle() == Fake(0x10000));

    OtherHandle other;
    CHECK(other.Equals(a));  // the interface's own answer
    CHECK_FALSE(a.Equals(other));
    a.Assign(other);
    CHECK(a.GetHandle() == Fake(0x10000));
}

TEST_CASE("a handle is valid, starts empty and owns a copy of its own") {
    AModuleHandle source;
    REQUIRE(source.IsValid());
    CHECK(Win32(source).GetHandle() == nullptr);
    Win32(source).SetHandle(Fake(0x10000));

    AModuleHandle* copied = new AModuleHandle(source);
    AModuleHandle assigned;
    assigned = source;
    CHECK(copied->GetImplementation() != source.GetImplementation());
    CHECK(assigned.GetImplementation() != source.GetImplementation());
    Win32(source).SetHandle(Fake(0x20000));
    CHECK(Win32(*copied).GetHandle() == Fake(0x10000));
    CHECK(Win32(assigned).GetHandle() == Fake(0x10000));
    delete copied;

    // An object made elsewhere may be destroyed right after it was assigned.
    WIN32AU_ModuleHandle* made = new WIN32AU_ModuleHandle(Fake(0x30000));
    assigned = *made;
    CHECK(assigned.GetImplementation() != made);
    delete made;
    CHECK(Win32(assigned).GetHandle() == Fake(0x30000));
}

TEST_CASE("assigning a handle to itself, or its own object, changes nothing") {
    AModuleHandle handle;
    Win32(handle).SetHandle(Fake(0x10000));
    const ModuleHandle* implementation = handle.GetImplementation();
    AModuleHandle& alias = handle;
    handle = alias;
    handle = *handle.GetImplementation();
    CHECK(handle.GetImplementation() == implementation);
    CHECK(Win32(handle).GetHandle() == Fake(0x10000));
}

TEST_CASE("handles whose implementation cannot be allocated") {
    AModuleHandle* none = nullptr;
    {
        FailingAllocations failing(1);  // the handle object, not its implementation
        none = new AModuleHandle;
    }
    CHECK_FALSE(none->IsValid());
    CHECK(none->GetImplementation() == nullptr);

    // Copying from it gives a valid, empty handle.
    AModuleHandle target;
    Win32(target).SetHandle(Fake(0x10000));
    target = *none;
    REQUIRE(target.IsValid());
    CHECK(Win32(target).GetHandle() == nullptr);
    delete none;

    // An assignment whose fresh implementation fails leaves none; a later one works.
    AModuleHandle source;
    Win32(source).SetHandle(Fake(0x20000));
    {
        FailingAllocations failing;
        target = source;
    }
    CHECK_FALSE(target.IsValid());
    target = source;
    REQUIRE(target.IsValid());
    CHECK(Win32(target).GetHandle() == Fake(0x20000));
}
