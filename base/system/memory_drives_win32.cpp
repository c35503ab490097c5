#include "system/memory_drives.h"
#include "system/memory_drives_win32.h"

#include <atomic>

namespace LumoBase {

namespace {

// Kept for the life of the process once loaded; every thread would store the
// same handle, so a lost race costs one more reference and nothing else.
std::atomic<HMODULE> g_kernel32{nullptr};

char FindFirstDriveOfType(UINT type) {
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const char path[3] = {letter, ':', '\0'};
        if (GetDriveTypeA(path) == type) return letter;
    }
    return 0;
}

}  // namespace

int32_t GetPhysicalMemoryMB() {
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    return PhysicalMemoryMBFromBytes(static_cast<uint32_t>(status.dwTotalPhys));
}

char FindFirstRemovableDrive() { return FindFirstDriveOfType(DRIVE_REMOVABLE); }

char FindFirstCdRomDrive() { return FindFirstDriveOfType(DRIVE_CDROM); }

DriveKind GetDriveKind(char letter) {
    // With no removable drive the scan answers 0, which is no letter.
    const char firstRemovable = FindFirstRemovableDrive();
    if (firstRemovable != 0 && letter == firstRemovable) return DriveFirstRemovable;
    const char path[3] = {letter, ':', '\0'};
    const UINT type = GetDriveTypeA(path);
    const uint32_t totalMB = type == DRIVE_NO_ROOT_DIR ? GetDriveTotalSize(letter, SizeMB) : 0;
    return DriveKindFromType(type, totalMB);
}

bool IsFixedDrive(char letter) { return GetDriveKind(letter) == DriveFixed; }

DiskFreeSpaceExFunction FindDiskFreeSpaceEx() {
    HMODULE kernel32 = g_kernel32.load();
    if (!kernel32) {
        // A failure leaves the handle empty, to be tried again at the next call.
        kernel32 = LoadLibraryA("Kernel32.dll");
        if (!kernel32) return nullptr;
        g_kernel32.store(kernel32);
    }
    return reinterpret_cast<DiskFreeSpaceExFunction>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "GetDiskFreeSpaceExA")));
}

uint32_t DriveSpaceThrough(char letter, int unit, DriveSpaceKind kind,
                           DiskFreeSpaceExFunction extended) {
    const char root[4] = {letter, ':', '\\', '\0'};
    uint64_t bytes;
    if (extended) {
        ULARGE_INTEGER available, total, free;
        if (!extended(root, &available, &total, &free)) return 0;
        bytes = kind == DriveSpaceTotal ? total.QuadPart : available.QuadPart;
    } else {
        DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
        if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters,
                               &totalClusters))
            return 0;
        bytes = ClusterByteCount(sectorsPerCluster,
                                 kind == DriveSpaceTotal ? totalClusters : freeClusters,
                                 bytesPerSector);
    }
    return ScaleByteCount(static_cast<uint32_t>(bytes), static_cast<uint32_t>(bytes >> 32), unit);
}

uint32_t GetDriveTotalSize(char letter, int unit) {
    return DriveSpaceThrough(letter, unit, DriveSpaceTotal, FindDiskFreeSpaceEx());
}

uint32_t GetDriveFreeSpace(char letter, int unit) {
    return DriveSpaceThrough(letter, unit, DriveSpaceFree, FindDiskFreeSpaceEx());
}

uint32_t GetLargestFixedDriveFreeSpace(int unit) {
    uint32_t largest = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (!IsFixedDrive(letter)) continue;
        const uint32_t free = GetDriveFreeSpace(letter, unit);
        if (free > largest) largest = free;
    }
    return largest;
}

}  // namespace LumoBase
