#include "system/memory_drives.h"

namespace LumoBase {

namespace {

// Platform drive types, as GetDriveTypeA reports them.
const unsigned kDriveNoRootDir = 1;
const unsigned kDriveRemovable = 2;
const unsigned kDriveFixed = 3;
const unsigned kDriveRemote = 4;
const unsigned kDriveCdRom = 5;

const uint32_t kSaturated = 0xFFFFFFFFu;

}  // namespace

uint32_t ScaleByteCount(uint32_t low, uint32_t high, int unit) {
    int shift;
    switch (unit) {
    case SizeBytes: shift = 0; break;
    case SizeKB: shift = 10; break;
    case SizeMB: shift = 20; break;
    case SizeGB: shift = 30; break;
    default: return 0;
    }
    // The exact quotient of the whole count: scaling the halves apart loses a
    // unit for every 4 GiB the high half holds.
    const uint64_t scaled = ((static_cast<uint64_t>(high) << 32) | low) >> shift;
    return scaled > kSaturated ? kSaturated : static_cast<uint32_t>(scaled);
}

uint64_t ClusterByteCount(uint32_t sectorsPerCluster, uint32_t clusters, uint32_t bytesPerSector) {
    return static_cast<uint64_t>(sectorsPerCluster) * clusters * bytesPerSector;
}

int32_t PhysicalMemoryMBFromBytes(uint32_t totalBytes) {
    return static_cast<int32_t>(totalBytes >> 20) + 1;
}

DriveKind DriveKindFromType(unsigned driveType, uint32_t totalMB) {
    switch (driveType) {
    case kDriveNoRootDir: return totalMB > 0 ? DriveFixed : DriveNone;
    case kDriveRemovable: return DriveRemovable;
    case kDriveFixed: return DriveFixed;
    case kDriveRemote: return DriveRemote;
    case kDriveCdRom: return DriveCdRom;
    default: return DriveNone;
    }
}

}  // namespace LumoBase
