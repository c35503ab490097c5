#pragma once
// The road shared by drive total size and free space, with the extended query
// passed in so that the cluster-count road of early Windows 95 can be taken on
// systems that have the extended query.

#include <windows.h>

#include <cstdint>

namespace LumoBase {

typedef BOOL(WINAPI* DiskFreeSpaceExFunction)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                              PULARGE_INTEGER);

// GetDiskFreeSpaceExA from "Kernel32.dll", null where the system lacks it.
DiskFreeSpaceExFunction FindDiskFreeSpaceEx();

enum DriveSpaceKind { DriveSpaceTotal, DriveSpaceFree };

// The total or free bytes of the drive's root in the unit; with a null extended
// query the cluster counts of GetDiskFreeSpaceA give them. 0 on failure.
uint32_t DriveSpaceThrough(char letter, int unit, DriveSpaceKind kind,
                           DiskFreeSpaceExFunction extended);

}  // namespace LumoBase
