// What the C++ runtime asks of its C library beyond what crtdll.dll exports. The
// launcher links against crtdll.dll, which every Windows 95 and NT carries, because
// msvcrt.dll is the very library it may have to install. Only the C++ runtime's
// random-device object calls these, and the launcher never makes one: they exist
// so that the link succeeds without bringing msvcrt.dll back.

#include <cerrno>
#include <io.h>

extern "C" {

// The old names of the descriptor functions, which the msvcrt import library
// answers itself.
int close(int descriptor) { return _close(descriptor); }
int read(int descriptor, void* buffer, unsigned int count) { return _read(descriptor, buffer, count); }

// crtdll.dll has no random source: a call fails rather than answering a number
// that only looks random. The runtime calls it through an import pointer.
static int __cdecl NoRandomSource(unsigned int*) { return EINVAL; }
int(__cdecl* _imp__rand_s)(unsigned int*) = &NoRandomSource;

}  // extern "C"
