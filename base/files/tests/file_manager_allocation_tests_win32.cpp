// The file manager when memory runs out. This program replaces the non-throwing
// allocation function, which lists, search records and FileSpec objects are
// allocated with, so that real allocation failures can be made on demand.

#include "files/win32_file_manager.h"

#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstdlib>
#include <memory>
#include <new>

namespace {
// Allocations of at least this many bytes fail; 0 lets every allocation through.
std::size_t g_failFrom = 0;

struct FailingAllocations {
    explicit FailingAllocations(std::size_t from = 1) { g_failFrom = from; }
    ~FailingAllocations() { g_failFrom = 0; }
};
}  // namespace

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_failFrom != 0 && size >= g_failFrom) return nullptr;
    return std::malloc(size ? size : 1);
}

void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }

using namespace LumoBase;

TEST_CASE("a pattern handle without an implementation lists nothing") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    t.MakeFile("f.txt");
    const AFileSpec pattern = [] {
        FailingAllocations failing;
        return AFileSpec("C:\\*");
    }();
    REQUIRE_FALSE(pattern.IsValid());

    WIN32_FileManager fm;
    CHECK(fm.Enumerate(pattern, true, false, false, nullptr) == nullptr);
    FileSpecList list;
    list.push_back(AFileSpec((t / "kept").c_str()));
    CHECK_FALSE(fm.ListEntries(list, pattern, false));
    CHECK_FALSE(fm.ListDirectories(list, pattern, false));
    CHECK(list.size() == 1);

    bool any = true;
    CHECK_FALSE(fm.AnyMatches(any, pattern, false));
    CHECK_FALSE(any);
    CHECK_FALSE(fm.DeleteMatching(pattern, false));
    CHECK_FALSE(fm.CreateParentDirectories(pattern));
}

TEST_CASE("a listing that cannot allocate its list or its search record fails") {
    TempFolder t;
    REQUIRE(!t.Path().empty());
    t.MakeFile("f.txt");
    const AFileSpec pattern((t / "*").c_str());
    WIN32_FileManager fm;

    {
        FailingAllocations failing;
        CHECK(fm.Enumerate(pattern, false, false, false, nullptr) == nullptr);
        bool any = true;
        CHECK_FALSE(fm.AnyMatches(any, pattern, false));
        CHECK_FALSE(any);
    }
    {
        // Only the find record is this large.
        FailingAllocations failing(sizeof(WIN32_FIND_DATAA));
        CHECK(fm.Enumerate(pattern, false, false, false, nullptr) == nullptr);
        FileSpecList given;
        CHECK(fm.Enumerate(pattern, false, false, true, &given) == nullptr);
        CHECK(given.empty());
    }
    std::unique_ptr<FileSpecList> found(fm.Enumerate(pattern, false, false, false, nullptr));
    REQUIRE(found);
    CHECK(found->size() == 1);
}
