#include "files/file_manager.h"
#include "files/win32_file_manager.h"

#include "vtable_slot.h"

#include <doctest/doctest.h>

using namespace LumoBase;
using TarnboltTest::Slot;

namespace {

using M = FileManager;
using W = WIN32_FileManager;

}  // namespace

TEST_CASE("the file manager keeps its slot order") {
    CHECK(Slot(&M::DirectoryExists) == 1);
    CHECK(Slot(&M::MakeDirectory) == 2);
    CHECK(Slot(&M::DeleteDirectory) == 3);
    CHECK(Slot(&M::CopyDirectory) == 4);
    CHECK(Slot(&M::MoveDirectory) == 5);
    CHECK(Slot(&M::RelocateDirectory) == 6);
    CHECK(Slot(&M::ListDirectories) == 7);
    CHECK(Slot(&M::FileExists) == 8);
    CHECK(Slot(&M::CreateEmptyFile) == 9);
    CHECK(Slot(&M::CopySingleFile) == 10);
    CHECK(Slot(&M::DeleteSingleFile) == 11);
    CHECK(Slot(&M::MoveSingleFile) == 12);
    CHECK(Slot(&M::RelocateSingleFile) == 13);
    CHECK(Slot(&M::ListEntries) == 14);
    CHECK(Slot(&M::DeleteMatching) == 15);
    CHECK(Slot(&M::DeleteFilesIn) == 16);
    CHECK(Slot(&M::CopyMatching) == 17);
    CHECK(Slot(&M::CopyFilesIn) == 18);
    CHECK(Slot(&M::AnyMatches) == 19);
    CHECK(Slot(&M::GetWildcard) == 20);
    CHECK(Slot(&M::GetWildcardWide) == 21);

    CHECK(Slot(&W::ListSubdirectories) == 22);
    CHECK(Slot(&W::Enumerate) == 23);
    CHECK(Slot(&W::CreateParentDirectories) == 24);
}
