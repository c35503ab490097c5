#pragma once
// What the packager's tool asks of the system it runs on. Paths are in the form
// the launcher sees them: a drive or \\server, backslashes. On Linux the root of
// the file system is drive Z:, as Wine shows it, and names are found without
// regard to case, as Windows finds them.

#include "settings.h"
#include "strings/lead_bytes.h"

#include <cstdio>
#include <string>

namespace Tarnbolt {
namespace ToolPlatform {

// The full path of a path given on the command line.
std::string FullPath(const std::string& path);

// The name the system's file functions take for a full path.
std::string NativePath(const std::string& path);

// Whether a file (not a directory) is there.
bool IsFile(const std::string& path);

// Whether two full paths name the same file, so that writing one writes the other
// (the same file by any spelling or link).
bool SamePath(const std::string& a, const std::string& b);

// Whether a file is there and read-only (Windows refuses to replace it).
bool IsReadOnly(const std::string& path);

// A new file opened for writing, or null where the name is taken (or cannot be made).
std::FILE* CreateNew(const std::string& path);

// Makes what was written to `file` durable before it is closed.
bool Flush(std::FILE* file);

// Gives `to` the file `from`, replacing what was there, in one step.
bool Replace(const std::string& from, const std::string& to);

void Remove(const std::string& path);

// The six values as the launcher reads them, through a buffer of bufferSize.
void ReadSettingsFile(const std::string& path, Settings& settings, unsigned long bufferSize);

// JSON is UTF-8; paths and settings come in the ANSI code page.
std::string Utf8FromAnsi(const std::string& text);

// Text of the launcher's ANSI code page as this system's file names spell it:
// Windows takes the bytes as they are; Linux names files in UTF-8. Bytes that do
// not convert stay as they are.
std::string FileSystemText(const std::string& ansi, unsigned codePage);

// Which bytes lead a double-byte character in a Run value of the launcher's code
// page (Windows: its own, in which the value is read), and in this system's paths.
LumoBase::LeadBytes RunLeadBytes(unsigned codePage);
LumoBase::LeadBytes PathLeadBytes();

// Lets a write to a pipe closed at the other end fail rather than end the program,
// so that the failure is reported by the exit code.
void KeepRunningOnClosedPipe();

}  // namespace ToolPlatform
}  // namespace Tarnbolt
