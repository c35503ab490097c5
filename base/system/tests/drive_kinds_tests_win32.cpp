// Drive kinds and the processor texts in a prefix of this test's own, set up by
// drive_kinds.cmake: removable A: and B:, a CD-ROM D: on a file system of its
// own where the host has one, a network drive N:, a RAM disk R:, and the fixed
// C: and Z:. The processor's registry values are taken away here (and put back)
// to see the roads taken without them.

#include "system/memory_drives.h"
#include "system/processor.h"
#include "system/system_info.h"

#include <doctest/doctest.h>

#include <windows.h>

#include "reference_vendor_win32.h"

#include <cstring>
#include <string>

using namespace LumoBase;

namespace {

const uint32_t kToleranceMB = 256;  // free space moves with whatever else writes

const char kProcessorKey[] = "HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

// One registry value of the processor key, saved on construction and put back
// on destruction.
class SavedValue {
public:
    SavedValue(HKEY key, const char* name) : key_(key), name_(name) {
        size_ = sizeof data_;
        saved_ = RegQueryValueExA(key_, name_, nullptr, &type_, data_, &size_) == ERROR_SUCCESS;
    }
    ~SavedValue() {
        if (saved_) RegSetValueExA(key_, name_, 0, type_, data_, size_);
    }
    bool Saved() const { return saved_; }
    DWORD Number() const { return *reinterpret_cast<const DWORD*>(data_); }

private:
    HKEY key_;
    const char* name_;
    bool saved_;
    DWORD type_ = 0, size_;
    BYTE data_[256] = {};
};

}  // namespace

TEST_CASE("drive kinds by letter") {
    CHECK(FindFirstRemovableDrive() == 'A');
    CHECK(FindFirstCdRomDrive() == 'D');
    CHECK(GetDriveKind('A') == DriveFirstRemovable);
    CHECK(GetDriveKind('B') == DriveRemovable);
    CHECK(GetDriveKind('C') == DriveFixed);
    CHECK(GetDriveKind('D') == DriveCdRom);
    CHECK(GetDriveKind('N') == DriveRemote);
    CHECK(GetDriveKind('R') == DriveNone);
    CHECK(GetDriveKind('E') == DriveNone);
    CHECK(GetDriveKind('Z') == DriveFixed);
    CHECK(IsFixedDrive('C'));
    CHECK_FALSE(IsFixedDrive('A'));
    CHECK_FALSE(IsFixedDrive('D'));
    CHECK(WIN32_SystemInfo().HasCdRomDrive() == 1);

    CHECK(GetDriveTotalSize('E', SizeMB) == 0);
    CHECK(GetDriveFreeSpace('E', SizeKB) == 0);
    CHECK(GetDriveTotalSize('D', SizeMB) > 0);
}

TEST_CASE("the largest free space counts fixed drives only") {
    const uint32_t fixedFree = GetDriveFreeSpace('C', SizeMB) > GetDriveFreeSpace('Z', SizeMB)
                                   ? GetDriveFreeSpace('C', SizeMB)
                                   : GetDriveFreeSpace('Z', SizeMB);
    const uint32_t largest = GetLargestFixedDriveFreeSpace(SizeMB);
    CHECK(largest + kToleranceMB >= fixedFree);
    CHECK(largest <= fixedFree + kToleranceMB);
    CHECK(WIN32_SystemInfo().GetLargestFreeDiskMB() + kToleranceMB >= fixedFree);
    // Where the CD-ROM's file system has more room, it must not count.
    const uint32_t cdFree = GetDriveFreeSpace('D', SizeMB);
    if (cdFree > fixedFree + 2 * kToleranceMB) CHECK(largest < cdFree);
    MESSAGE("fixed " << fixedFree << " MiB free, CD-ROM " << cdFree);
}

TEST_CASE("processor texts and speed without their registry values") {
    HKEY key = nullptr;
    REQUIRE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProcessorKey, 0, KEY_READ | KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS);
    {
        SavedValue vendor(key, "VendorIdentifier"), identifier(key, "Identifier"),
            mhz(key, "~MHz");
        REQUIRE(vendor.Saved());
        REQUIRE(identifier.Saved());
        REQUIRE(mhz.Saved());
        const DWORD registered = mhz.Number();

        // A recorded speed is answered as it stands.
        const DWORD recorded = 4321;
        REQUIRE(RegSetValueExA(key, "~MHz", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&recorded),
                               sizeof recorded) == ERROR_SUCCESS);
        CHECK(GetRegisteredProcessorSpeedMHz(0) == 4321);

        RegDeleteValueA(key, "VendorIdentifier");
        RegDeleteValueA(key, "Identifier");
        RegDeleteValueA(key, "~MHz");

        PString text("stale");
        GetProcessorIdentifier(text);
        CHECK(text.empty());
        CHECK(WIN32_SystemInfo().GetProcessorName(0).empty());

        GetProcessorVendorWithTimeout(text);
        CHECK(std::string(text) == ReferenceVendor());

        // Nothing recorded: measured.
        const int32_t measured = GetRegisteredProcessorSpeedMHz(0);
        CHECK(measured > 0);
        CHECK(static_cast<DWORD>(measured) * 3 >= registered);
        CHECK(static_cast<DWORD>(measured) <= registered * 3);
        CHECK(GetRegisteredProcessorSpeedMHz(100) > 0);
    }
    RegCloseKey(key);
}
