#pragma once
// Installed memory, the drives behind the letters A to Z and their sizes. Every
// query asks the platform afresh.

#include <cstdint>

namespace LumoBase {

enum SizeUnit {
    SizeBytes = 0,
    SizeKB = 1,  // 1024 bytes
    SizeMB = 2,  // 1048576 bytes
    SizeGB = 3   // 1073741824 bytes
};

enum DriveKind {
    DriveFixed = 0,
    DriveCdRom = 1,
    DriveRemovable = 2,       // a removable drive other than the first one
    DriveFirstRemovable = 3,  // the first removable drive, scanning from A:
    DriveRemote = 4,
    DriveNone = 5             // no drive, a RAM disk or a type of no interest
};

// Windows only: each asks the platform. A drive letter is "A" to "Z".

// Total physical memory in whole MiB, plus 1.
int32_t GetPhysicalMemoryMB();
// The first letter of that kind, scanning A to Z; 0 when there is none.
char FindFirstRemovableDrive();
char FindFirstCdRomDrive();
DriveKind GetDriveKind(char letter);
bool IsFixedDrive(char letter);
// In the unit given; 0 on failure or for an unknown unit.
uint32_t GetDriveTotalSize(char letter, int unit);
uint32_t GetDriveFreeSpace(char letter, int unit);  // available to the caller
// The largest free space among the fixed drives; 0 when there is none.
uint32_t GetLargestFixedDriveFreeSpace(int unit);

// Portable rules behind the queries.

// A 64-bit byte count in the unit, rounded down and saturated at 4294967295;
// 0 for an unknown unit.
uint32_t ScaleByteCount(uint32_t low, uint32_t high, int unit);
// Bytes from the cluster counts, in 64 bits throughout: volumes of more than
// 4 GiB of sectors overflow a 32-bit product.
uint64_t ClusterByteCount(uint32_t sectorsPerCluster, uint32_t clusters, uint32_t bytesPerSector);
// The memory total as whole MiB plus 1, so that memory the platform reports a
// little short of a round size still counts as that size.
int32_t PhysicalMemoryMBFromBytes(uint32_t totalBytes);
// The kind a platform drive type stands for (DRIVE_UNKNOWN 0 to DRIVE_RAMDISK 6);
// totalMB is consulted only for a letter reported as having no root directory.
DriveKind DriveKindFromType(unsigned driveType, uint32_t totalMB);

}  // namespace LumoBase
