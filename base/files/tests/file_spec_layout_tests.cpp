#include "files/file_spec.h"
#include "files/win32au_file_spec.h"

#include "vtable_slot.h"

#include <doctest/doctest.h>

using namespace LumoBase;
using TarnboltTest::Slot;

namespace {

using F = FileSpec;
using W = WIN32AU_FileSpec;

}  // namespace

TEST_CASE("the interface keeps its slot order") {
    CHECK(Slot(&F::IsValid) == 1);
    CHECK(Slot(&F::Clone) == 2);
    CHECK(Slot(&F::Equals) == 3);
    CHECK(Slot(static_cast<void (F::*)(const unsigned short*)>(&F::SetFullPath)) == 4);
    CHECK(Slot(static_cast<void (F::*)(const char*)>(&F::SetFullPath)) == 5);
    CHECK(Slot(static_cast<void (F::*)(const UString&)>(&F::SetFullPath)) == 6);
    CHECK(Slot(static_cast<void (F::*)(const PString&)>(&F::SetFullPath)) == 7);
    CHECK(Slot(static_cast<void (F::*)(const FileSpec*)>(&F::SetFullPath)) == 8);
    CHECK(Slot(&F::GetFullPath) == 9);
    CHECK(Slot(&F::GetFullPathWide) == 10);
    CHECK(Slot(&F::Exists) == 11);
    CHECK(Slot(&F::IsFile) == 12);
    CHECK(Slot(&F::IsDirectory) == 13);
    CHECK(Slot(static_cast<void (F::*)(const unsigned short*)>(&F::AppendComponent)) == 14);
    CHECK(Slot(static_cast<void (F::*)(const UString&)>(&F::AppendComponent)) == 15);
    CHECK(Slot(static_cast<void (F::*)(const char*)>(&F::AppendComponent)) == 16);
    CHECK(Slot(static_cast<void (F::*)(const PString&)>(&F::AppendComponent)) == 17);
    CHECK(Slot(&F::GetFileURL) == 18);
    CHECK(Slot(&F::GetFileURLWide) == 19);
    CHECK(Slot(&F::GetDirectory) == 20);
    CHECK(Slot(&F::GetDirectoryWide) == 21);
    CHECK(Slot(static_cast<void (F::*)(const char*)>(&F::InsertDirectory)) == 22);
    CHECK(Slot(static_cast<void (F::*)(const FileSpec&)>(&F::InsertDirectory)) == 23);
    CHECK(Slot(static_cast<void (F::*)(const PString&)>(&F::InsertDirectory)) == 24);
    CHECK(Slot(&F::GetFileName) == 25);
    CHECK(Slot(&F::GetFileNameWide) == 26);
    CHECK(Slot(&F::GetDriveName) == 27);
    CHECK(Slot(&F::GetDriveNameWide) == 28);
    CHECK(Slot(&F::GetDrive) == 29);
    CHECK(Slot(&F::GetDriveWide) == 30);
    CHECK(Slot(&F::GetLength) == 31);
    CHECK(Slot(&F::CopyPath) == 32);
    CHECK(Slot(&F::SetPathFromBuffer) == 33);
    CHECK(Slot(&F::Open) == 34);
    CHECK(Slot(&F::SetToProgramDirectory) == 35);
    CHECK(Slot(&F::ReservedOperation) == 36);
    CHECK(Slot(&F::SetToSystemDirectory) == 37);
    CHECK(Slot(&F::SetToTempDirectory) == 38);
    CHECK(Slot(&F::SetToCurrentDirectory) == 39);
    CHECK(Slot(&F::SetToWritableTempDirectory) == 40);
    CHECK(Slot(&F::QueryLength) == 41);
    CHECK(Slot(&F::QueryPath) == 42);
    CHECK(Slot(&F::AssignPath) == 43);
    CHECK(Slot(&F::GetSeparator) == 44);
    CHECK(Slot(&F::GetSeparatorWide) == 45);
    CHECK(Slot(&F::GetSeparatorChar) == 46);
    CHECK(Slot(&F::GetSeparatorCharWide) == 47);
    CHECK(Slot(&F::GetExtensionSeparator) == 48);
    CHECK(Slot(&F::GetExtensionSeparatorWide) == 49);
    CHECK(Slot(&F::GetExtensionSeparatorChar) == 50);
    CHECK(Slot(&F::GetExtensionSeparatorCharWide) == 51);
    CHECK(Slot(&F::GetDriveSeparator) == 52);
    CHECK(Slot(&F::GetDriveSeparatorWide) == 53);
    CHECK(Slot(&F::GetDriveSeparatorChar) == 54);
    CHECK(Slot(&F::GetDriveSeparatorCharWide) == 55);
}

TEST_CASE("the Win32 implementation adds its operations after the interface's") {
    // Overriders stay in the slots of the interface.
    CHECK(Slot(&W::IsValid) == 1);
    CHECK(Slot(&W::GetDriveSeparatorCharWide) == 55);

    CHECK(Slot(static_cast<void (W::*)(const unsigned short*)>(&W::InsertDirectory)) == 56);
    CHECK(Slot(static_cast<void (W::*)(const UString&)>(&W::InsertDirectory)) == 57);
    CHECK(Slot(static_cast<bool (W::*)(const PString&) const>(&W::EndsWithSeparator)) == 58);
    CHECK(Slot(static_cast<bool (W::*)() const>(&W::EndsWithSeparator)) == 59);
    CHECK(Slot(static_cast<void (W::*)(PString&) const>(&W::AppendSeparator)) == 60);
    CHECK(Slot(static_cast<void (W::*)()>(&W::AppendSeparator)) == 61);
    CHECK(Slot(static_cast<void (W::*)(PString&) const>(&W::RemoveTrailingSeparator)) == 62);
    CHECK(Slot(static_cast<void (W::*)()>(&W::RemoveTrailingSeparator)) == 63);
}
