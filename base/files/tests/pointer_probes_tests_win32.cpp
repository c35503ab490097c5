// The probes on memory Wine really refuses (reserved but not committed, or
// read-only), and the operations that must leave such memory alone.

#include "files/pointer_probes.h"
#include "files/win32au_file_spec.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <string>

using namespace LumoBase;

namespace {

// One page of address space, reserved with no access, released at the end.
class ReservedPage {
public:
    ReservedPage() : p_(static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_RESERVE, PAGE_NOACCESS))) {}
    ~ReservedPage() {
        if (p_) VirtualFree(p_, 0, MEM_RELEASE);
    }
    char* get() const { return p_; }

private:
    char* p_;
};

// A committed page, readable only.
class ReadOnlyPage {
public:
    ReadOnlyPage()
        : p_(static_cast<char*>(VirtualAlloc(nullptr, 4096, MEM_COMMIT, PAGE_READWRITE))) {
        DWORD old = 0;
        if (p_) {
            lstrcpyA(p_, "C:\\ro");
            VirtualProtect(p_, 4096, PAGE_READONLY, &old);
        }
    }
    ~ReadOnlyPage() {
        if (p_) VirtualFree(p_, 0, MEM_RELEASE);
    }
    char* get() const { return p_; }

private:
    char* p_;
};

}  // namespace

TEST_CASE("the probes tell usable memory from unusable" * doctest::test_suite("access faults")) {
    ReservedPage none;
    ReadOnlyPage ro;
    REQUIRE(none.get());
    REQUIRE(ro.get());
    char local[8] = {};

    CHECK_FALSE(IsBadCodePointer(local));
    CHECK(IsBadCodePointer(nullptr));
    CHECK(IsBadCodePointer(none.get()));
    CHECK_FALSE(IsBadReadPointer(ro.get(), 4096));
    CHECK(IsBadReadPointer(ro.get(), 4097));  // runs past the page
    CHECK_FALSE(IsBadWritePointer(local, sizeof local));
    CHECK(IsBadWritePointer(ro.get(), 1));
}

TEST_CASE("operations handed unusable memory do nothing" * doctest::test_suite("access faults")) {
    ReservedPage none;
    ReadOnlyPage ro;
    REQUIRE(none.get());
    REQUIRE(ro.get());

    WIN32AU_FileSpec spec;
    spec.SetFullPath("C:\\old");

    spec.SetFullPath(none.get());
    spec.SetFullPath(reinterpret_cast<const unsigned short*>(none.get()));
    spec.SetFullPath(reinterpret_cast<const FileSpec*>(none.get()));
    spec.AppendComponent(none.get());
    spec.AppendComponent(reinterpret_cast<const unsigned short*>(none.get()));
    spec.InsertDirectory(none.get());
    spec.InsertDirectory(reinterpret_cast<const unsigned short*>(none.get()));
    CHECK_FALSE(spec.SetPathFromBuffer(none.get(), 4));
    CHECK_FALSE(spec.AssignPath(none.get(), 4));
    CHECK(spec.Open(none.get()) == nullptr);
    CHECK(std::string(spec.GetFullPath()) == "C:\\old");

    // Readable for one byte only: the read probe covers the whole length.
    char* lastByte = ro.get() + 4095;
    CHECK_FALSE(spec.SetPathFromBuffer(lastByte, 2));
    CHECK_FALSE(spec.AssignPath(lastByte, 2));
    CHECK(std::string(spec.GetFullPath()) == "C:\\old");

    // Read-only memory is a usable source and a refused destination.
    CHECK(spec.CopyPath(ro.get(), 4) == 0);
    CHECK_FALSE(spec.QueryPath(ro.get(), 16));
    CHECK_FALSE(spec.QueryPath(none.get(), 16));
    CHECK(spec.CopyPath(none.get(), 16) == 0);
    CHECK(spec.AssignPath(ro.get(), 5));
    CHECK(std::string(spec.GetFullPath()) == "C:\\ro");
    spec.SetFullPath("C:\\old");
    spec.SetFullPath(ro.get());
    CHECK(std::string(spec.GetFullPath()) == "C:\\ro");
}
