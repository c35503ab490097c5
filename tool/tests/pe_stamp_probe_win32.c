/* A program whose stamped copy must still start: it exits 0 when its own resource
   DLL 103 has the size named by its argument and begins with "MZ". */
#include <windows.h>

#include <stdlib.h>

int main(int argc, char** argv) {
    HRSRC found = FindResourceA(NULL, MAKEINTRESOURCEA(103), "DLL");
    HGLOBAL loaded = found ? LoadResource(NULL, found) : NULL;
    const unsigned char* bytes = loaded ? (const unsigned char*)LockResource(loaded) : NULL;
    if (!bytes) return 2;
    if (argc < 2 || SizeofResource(NULL, found) != strtoul(argv[1], NULL, 10)) return 3;
    return bytes[0] == 'M' && bytes[1] == 'Z' ? 0 : 4;
}
