#include "files/win32au_file_spec.h"

#include "files/path_text.h"
#include "files/pointer_probes.h"
#include "files/wide_text.h"

#include <windows.h>

#include <cstring>

namespace LumoBase {
namespace {

const unsigned short kSeparatorWide[] = {'\\', 0};
const unsigned short kExtensionSeparatorWide[] = {'.', 0};
const unsigned short kDriveSeparatorWide[] = {':', 0};

// Null, or memory the probe rejects: the operation that was handed it does nothing.
bool IsUnusable(const void* p) { return !p || IsBadCodePointer(p); }

}  // namespace

WIN32AU_FileSpec::WIN32AU_FileSpec() {}

WIN32AU_FileSpec::~WIN32AU_FileSpec() {}

bool WIN32AU_FileSpec::IsValid() const { return true; }

FileSpec* WIN32AU_FileSpec::Clone() const {
    FileSpec* copy = CreateFileSpec();
    // Taken over exactly, so that a copy of a path set from a raw buffer still
    // equals its original.
    if (copy) copy->SetFullPath(static_cast<const FileSpec*>(this));
    return copy;
}

bool WIN32AU_FileSpec::Equals(const FileSpec& other) const {
    const PString theirs = other.GetFullPath();
    return theirs.size() == path_.size() &&
           std::memcmp(theirs.data(), path_.data(), path_.size()) == 0;
}

void WIN32AU_FileSpec::SetFullPath(const unsigned short* text) {
    if (IsUnusable(text)) return;
    SetFullPath(UString(text));
}

void WIN32AU_FileSpec::SetFullPath(const char* text) {
    if (!IsValid() || IsUnusable(text)) return;
    path_ = ToBackslashes(PString(text));
}

void WIN32AU_FileSpec::SetFullPath(const UString& text) {
    if (!IsValid()) return;
    PString narrow;
    if (!Narrow(text, narrow)) return;
    SetFullPath(narrow);
}

void WIN32AU_FileSpec::SetFullPath(const PString& text) {
    if (!IsValid()) return;
    path_ = ToBackslashes(PString(text.c_str()));
}

void WIN32AU_FileSpec::SetFullPath(const FileSpec* other) {
    if (IsUnusable(other)) return;
    path_ = other->GetFullPath();
}

PString WIN32AU_FileSpec::GetFullPath() const { return path_; }

UString WIN32AU_FileSpec::GetFullPathWide() const { return WidenOrEmpty(path_); }

bool WIN32AU_FileSpec::Exists() const {
    return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool WIN32AU_FileSpec::IsFile() const { return Exists() && !IsDirectory(); }

bool WIN32AU_FileSpec::IsDirectory() const {
    const DWORD attributes = GetFileAttributesA(path_.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WIN32AU_FileSpec::AppendComponent(const unsigned short* name) {
    if (IsUnusable(name)) return;
    AppendComponent(UString(name));
}

void WIN32AU_FileSpec::AppendComponent(const UString& name) {
    PString narrow;
    if (!Narrow(name, narrow)) return;
    AppendComponent(narrow.c_str());
}

void WIN32AU_FileSpec::AppendComponent(const char* name) {
    if (IsUnusable(name) || !IsValid()) return;
    path_ = JoinComponent(path_, name);
}

void WIN32AU_FileSpec::AppendComponent(const PString& name) { AppendComponent(name.c_str()); }

PString WIN32AU_FileSpec::GetDirectory() const {
    if (IsDirectory()) {
        PString directory(path_);
        RemoveTrailingSeparator(directory);
        return directory;
    }
    return TextBeforeLast(path_, GetSeparator());
}

UString WIN32AU_FileSpec::GetDirectoryWide() const { return WidenOrEmpty(GetDirectory()); }

void WIN32AU_FileSpec::InsertDirectory(const char* dir) {
    if (IsUnusable(dir)) return;
    InsertDirectory(PString(dir));
}

void WIN32AU_FileSpec::InsertDirectory(const FileSpec& other) {
    InsertDirectory(other.GetDirectory());
}

void WIN32AU_FileSpec::InsertDirectory(const PString& dir) {
    PString t = GetDirectory();
    const bool separated = EndsWithSeparator(t);
    if (!separated) AppendSeparator(t);
    t.append(dir);
    // A directory part that already ended in a separator still needs one between
    // the inserted level and the file name, or the two would run together.
    if (!separated || !EndsWithSeparator(t)) AppendSeparator(t);
    t.append(GetFileName());
    path_.swap(t);
    RemoveTrailingSeparator();
}

PString WIN32AU_FileSpec::GetFileName() const { return TextAfterLast(path_, GetSeparator()); }

UString WIN32AU_FileSpec::GetFileNameWide() const { return WidenOrEmpty(GetFileName()); }

PString WIN32AU_FileSpec::GetDriveName() const { return GetDrive(); }

UString WIN32AU_FileSpec::GetDriveNameWide() const { return GetDriveWide(); }

PString WIN32AU_FileSpec::GetDrive() const { return TextBeforeFirst(path_, GetDriveSeparator()); }

UString WIN32AU_FileSpec::GetDriveWide() const { return WidenOrEmpty(GetDrive()); }

unsigned WIN32AU_FileSpec::GetLength() const { return static_cast<unsigned>(path_.size()); }

unsigned WIN32AU_FileSpec::CopyPath(char* buffer, unsigned size) const {
    if (IsUnusable(buffer) || size == 0 || IsBadWritePointer(buffer, size)) return 0;
    const unsigned count = size < path_.size() ? size : static_cast<unsigned>(path_.size());
    std::memcpy(buffer, path_.data(), count);
    return count;
}

bool WIN32AU_FileSpec::SetPathFromBuffer(const char* data, unsigned length) {
    if (IsUnusable(data) || length == 0 || IsBadReadPointer(data, length)) return false;
    path_.assign(data, length);
    return true;
}

FILE* WIN32AU_FileSpec::Open(const char* mode) const {
    if (IsUnusable(mode)) return nullptr;
    return std::fopen(path_.c_str(), mode);
}

bool WIN32AU_FileSpec::QueryLength(unsigned& length) const {
    length = static_cast<unsigned>(path_.size());
    return true;
}

bool WIN32AU_FileSpec::QueryPath(char* buffer, unsigned size) const {
    if (size == 0 || size < path_.size() || IsUnusable(buffer) ||
        IsBadWritePointer(buffer, size))
        return false;
    // c_str() holds the NUL after the last byte; it is copied when there is room.
    const unsigned count = size > path_.size() ? static_cast<unsigned>(path_.size()) + 1 : size;
    std::memcpy(buffer, path_.c_str(), count);
    return true;
}

bool WIN32AU_FileSpec::AssignPath(const char* data, unsigned length) {
    if (length == 0 || IsUnusable(data) || IsBadReadPointer(data, length)) return false;
    path_.assign(data, length);
    return true;
}

PString WIN32AU_FileSpec::GetSeparator() const { return PString("\\"); }

UString WIN32AU_FileSpec::GetSeparatorWide() const { return UString(kSeparatorWide); }

char WIN32AU_FileSpec::GetSeparatorChar() const { return '\\'; }

unsigned short WIN32AU_FileSpec::GetSeparatorCharWide() const { return kSeparatorWide[0]; }

PString WIN32AU_FileSpec::GetExtensionSeparator() const { return PString("."); }

UString WIN32AU_FileSpec::GetExtensionSeparatorWide() const {
    return UString(kExtensionSeparatorWide);
}

char WIN32AU_FileSpec::GetExtensionSeparatorChar() const { return '.'; }

unsigned short WIN32AU_FileSpec::GetExtensionSeparatorCharWide() const {
    return kExtensionSeparatorWide[0];
}

PString WIN32AU_FileSpec::GetDriveSeparator() const { return PString(":"); }

UString WIN32AU_FileSpec::GetDriveSeparatorWide() const { return UString(kDriveSeparatorWide); }

char WIN32AU_FileSpec::GetDriveSeparatorChar() const { return ':'; }

unsigned short WIN32AU_FileSpec::GetDriveSeparatorCharWide() const {
    return kDriveSeparatorWide[0];
}

void WIN32AU_FileSpec::InsertDirectory(const unsigned short* dir) {
    if (IsUnusable(dir)) return;
    InsertDirectory(UString(dir));
}

void WIN32AU_FileSpec::InsertDirectory(const UString& dir) {
    PString narrow;
    if (!Narrow(dir, narrow)) return;
    InsertDirectory(narrow);
}

bool WIN32AU_FileSpec::EndsWithSeparator(const PString& text) const {
    return EndsWithChar(text, GetSeparatorChar());
}

bool WIN32AU_FileSpec::EndsWithSeparator() const { return EndsWithSeparator(path_); }

void WIN32AU_FileSpec::AppendSeparator(PString& text) const { text.append(GetSeparator()); }

void WIN32AU_FileSpec::AppendSeparator() { AppendSeparator(path_); }

void WIN32AU_FileSpec::RemoveTrailingSeparator(PString& text) const {
    if (EndsWithSeparator(text)) text.pop_back();
}

void WIN32AU_FileSpec::RemoveTrailingSeparator() { RemoveTrailingSeparator(path_); }

}  // namespace LumoBase
