// Times the file manager on a tree of folders and files and prints one "kind
// ms=... " line per operation and round, for scripts/bench. The refused move
// costs only the checks that a copy or move makes before it writes anything.
// Argument: the number of rounds (default 5).
#include "files/win32_file_manager.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

using namespace LumoBase;

namespace {

const int kWidth = 4;  // folders in each folder
const int kDepth = 3;  // levels below the top
const int kFiles = 4;  // files in each folder

int folders = 0, files = 0;

void Grow(const std::string& dir, int level) {
    CreateDirectoryA(dir.c_str(), nullptr);
    ++folders;
    for (int f = 0; f < kFiles; ++f) {
        HANDLE h = CreateFileA((dir + "\\file" + std::to_string(f) + ".dat").c_str(),
                               GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
        DWORD written = 0;
        WriteFile(h, dir.data(), static_cast<DWORD>(dir.size()), &written, nullptr);
        CloseHandle(h);
        ++files;
    }
    if (level == kDepth) return;
    for (int d = 0; d < kWidth; ++d) Grow(dir + "\\folder" + std::to_string(d), level + 1);
}

LARGE_INTEGER frequency;

template <class Operation>
void Time(const char* kind, Operation operation) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const bool answer = operation();
    QueryPerformanceCounter(&after);
    std::printf("%s ms=%.3f answer=%d\n", kind,
                1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) /
                    static_cast<double>(frequency.QuadPart),
                answer ? 1 : 0);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QueryPerformanceFrequency(&frequency);
    char temp[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof temp, temp);
    if (n == 0 || n >= sizeof temp) return 1;
    const std::string base = std::string(temp, n) + "tarnbolt-fm-bench";
    CreateDirectoryA(base.c_str(), nullptr);
    const std::string tree = base + "\\tree", copy = base + "\\copy", moved = base + "\\moved";
    Grow(tree, 0);
    std::printf("tree folders=%d files=%d\n", folders, files);
    WIN32_FileManager fm;
    const AFileSpec source(tree.c_str()), inside((tree + "\\folder1\\inside").c_str());
    for (int i = 0; i < rounds; ++i) {
        Time("list", [&] {
            FileSpecList list;
            return fm.ListEntries(list, AFileSpec((tree + "\\*").c_str()), true);
        });
        Time("refused", [&] { return !fm.MoveDirectory(source, inside, true); });
        Time("copy", [&] { return fm.CopyDirectory(source, AFileSpec(copy.c_str()), true, true, true); });
        Time("move", [&] { return fm.MoveDirectory(AFileSpec(copy.c_str()), AFileSpec(moved.c_str()), true); });
        Time("delete", [&] { return fm.DeleteDirectory(AFileSpec(moved.c_str()), true); });
    }
    fm.DeleteDirectory(source, true);
    RemoveDirectoryA(base.c_str());
    return 0;
}
