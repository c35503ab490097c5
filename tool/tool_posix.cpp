// The tool's system calls on Linux. The launcher will see the package on Windows,
// so paths are shown in its form (the root is drive Z:, as under Wine), names are
// found without regard to (ASCII) case as Windows finds them, and the settings are
// read by the portable reader.

#include "profile_text.h"
#include "tool_platform.h"

#include "rename_section.h"

#include <dirent.h>
#include <signal.h>
#include <fcntl.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

namespace Tarnbolt {
namespace ToolPlatform {
namespace {

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::vector<std::string> Components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "/") {
        if (!IsSeparator(c)) {
            part += c;
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
    }
    return parts;
}

bool SameLetters(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
               return lower(x) == lower(y);
           });
}

// The entry of `folder` that `name` stands for: itself where it is there, else
// the first (in byte order) that differs only in case.
std::string Entry(const std::string& folder, const std::string& name) {
    struct stat info;
    const std::string exact = folder + "/" + name;
    if (lstat(exact.c_str(), &info) == 0) return name;
    DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
    if (!dir) return name;
    std::string found;
    while (const dirent* entry = readdir(dir)) {
        const std::string candidate = entry->d_name;
        if (SameLetters(candidate, name) && (found.empty() || candidate < found)) found = candidate;
    }
    closedir(dir);
    return found.empty() ? name : found;
}

std::string Directory(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? std::string("/") : path.substr(0, slash);
}

}  // namespace

std::string FullPath(const std::string& path) {
    // A full path in the launcher's form already (as stamp hands on its output).
    const bool drive = path.size() >= 3 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':' &&
                       IsSeparator(path[2]);
    std::string absolute = drive ? path.substr(2) : path;
    if (absolute.empty() || !IsSeparator(absolute[0])) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd)) absolute = std::string(cwd) + "/" + absolute;
    }
    std::string full = "Z:";
    for (const std::string& part : Components(absolute)) full += "\\" + part;
    return full == "Z:" ? "Z:\\" : full;
}

std::string NativePath(const std::string& path) {
    const bool drive = path.size() >= 2 && (path[0] == 'Z' || path[0] == 'z') && path[1] == ':';
    std::string native;
    for (const std::string& part : Components(drive ? path.substr(2) : path))
        native += "/" + Entry(native, part);
    return native.empty() ? "/" : native;
}

bool IsFile(const std::string& path) {
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool SamePath(const std::string& a, const std::string& b) {
    // One file whatever leads to it: a link, another case, a hard link.
    struct stat infoA, infoB;
    if (stat(NativePath(a).c_str(), &infoA) == 0 && stat(NativePath(b).c_str(), &infoB) == 0)
        return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
    return NativePath(a) == NativePath(b);
}

bool IsReadOnly(const std::string& path) {
    // Read-only as Wine shows it: no one may write (root could, but Windows would not).
    struct stat info;
    return stat(NativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           !(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH));
}

std::FILE* CreateNew(const std::string& path) {
    const int descriptor = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor < 0) return nullptr;
    std::FILE* stream = fdopen(descriptor, "wb");
    if (!stream) close(descriptor);
    return stream;
}

bool Flush(std::FILE* file) { return std::fflush(file) == 0 && fsync(fileno(file)) == 0; }

bool Replace(const std::string& from, const std::string& to) {
    const std::string target = NativePath(to);
    if (std::rename(NativePath(from).c_str(), target.c_str()) != 0) return false;
    // The new name is durable once its folder is.
    const int folder = open(Directory(target).c_str(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        fsync(folder);
        close(folder);
    }
    return true;
}

void Remove(const std::string& path) { std::remove(NativePath(path).c_str()); }

void ReadSettingsFile(const std::string& path, Settings& settings, unsigned long bufferSize) {
    settings = Settings();
    std::FILE* file = std::fopen(NativePath(path).c_str(), "rb");
    if (!file) return;
    std::string bytes;
    const bool read = ReadWholeText(file, bytes);
    std::fclose(file);
    if (read) ReadSettingsText(bytes, settings, bufferSize);
}

namespace {

void AppendUtf8(std::string& utf8, char32_t c) {
    if (c < 0x80) {
        utf8 += static_cast<char>(c);
        return;
    }
    if (c < 0x800) {
        utf8 += static_cast<char>(0xC0 | (c >> 6));
    } else {
        utf8 += static_cast<char>(0xE0 | (c >> 12));
        utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    utf8 += static_cast<char>(0x80 | (c & 0x3F));
}

}  // namespace

std::string FileSystemText(const std::string& ansi, unsigned codePage) {
    if (std::all_of(ansi.begin(), ansi.end(), [](char c) { return (c & 0x80) == 0; })) return ansi;
    std::string utf8;
    if (codePage == 1252) {
        // Every byte stands for a character, the five Windows leaves undefined too.
        for (unsigned char c : ansi) AppendUtf8(utf8, FromCodePage1252(c));
        return utf8;
    }
    const iconv_t convert = iconv_open("UTF-8", ("CP" + std::to_string(codePage)).c_str());
    if (convert == reinterpret_cast<iconv_t>(-1)) return ansi;
    std::string in = ansi;
    utf8.assign(in.size() * 4, '\0');
    char* from = &in[0];
    char* to = &utf8[0];
    size_t left = in.size(), room = utf8.size();
    const bool converted = iconv(convert, &from, &left, &to, &room) != static_cast<size_t>(-1);
    iconv_close(convert);
    if (!converted) return ansi;
    utf8.resize(utf8.size() - room);
    return utf8;
}

std::string Utf8FromAnsi(const std::string& text) {
    // Paths are UTF-8 here and pass as they are; a byte that begins no UTF-8
    // character is taken as code page 1252, as the settings reader takes it.
    std::string utf8;
    size_t i = 0;
    while (i < text.size()) {
        const size_t length = Utf8Length(text, i);
        if (length) {
            utf8.append(text, i, length);
            i += length;
            continue;
        }
        AppendUtf8(utf8, FromCodePage1252(static_cast<unsigned char>(text[i++])));
    }
    return utf8;
}

LumoBase::LeadBytes RunLeadBytes(unsigned codePage) {
    LumoBase::LeadBytes rule;
    if (codePage == 932) return LumoBase::LeadBytes::CodePage932();
    if (codePage == 936 || codePage == 949 || codePage == 950) rule.Add(0x81, 0xFE);
    return rule;
}

// UTF-8 has no byte 0x5C inside a character.
LumoBase::LeadBytes PathLeadBytes() { return LumoBase::LeadBytes(); }

void KeepRunningOnClosedPipe() { signal(SIGPIPE, SIG_IGN); }

}  // namespace ToolPlatform
}  // namespace Tarnbolt
