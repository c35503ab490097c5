#pragma once
// A file-system path with its operations. FileSpec is the interface, whose virtual
// operations keep the numbered order below; AFileSpec is the owning handle that
// callers hold. Wide text is UTF-16 (UString units); narrow text is in the
// system's ANSI code page.

#include "strings/pstring.h"
#include "strings/ustring.h"

#include <cstdio>

namespace LumoBase {

class FileSpec {
public:
    virtual ~FileSpec();                                                  // 0

    virtual bool IsValid() const = 0;                                     // 1
    // A new FileSpec owned by the caller, or null.
    virtual FileSpec* Clone() const = 0;                                  // 2
    // Byte-for-byte equality of the paths (case-sensitive).
    virtual bool Equals(const FileSpec& other) const = 0;                 // 3

    virtual void SetFullPath(const unsigned short* text) = 0;             // 4
    virtual void SetFullPath(const char* text) = 0;                       // 5
    virtual void SetFullPath(const UString& text) = 0;                    // 6
    virtual void SetFullPath(const PString& text) = 0;                    // 7
    // Takes the other path exactly, without normalisation.
    virtual void SetFullPath(const FileSpec* other) = 0;                  // 8
    virtual PString GetFullPath() const = 0;                              // 9
    virtual UString GetFullPathWide() const = 0;                          // 10

    virtual bool Exists() const = 0;                                      // 11
    virtual bool IsFile() const = 0;                                      // 12
    virtual bool IsDirectory() const = 0;                                 // 13

    virtual void AppendComponent(const unsigned short* name) = 0;         // 14
    virtual void AppendComponent(const UString& name) = 0;                // 15
    virtual void AppendComponent(const char* name) = 0;                   // 16
    virtual void AppendComponent(const PString& name) = 0;                // 17

    // The path as a "file://" URL; implemented here in terms of GetFullPath.
    virtual PString GetFileURL() const;                                   // 18
    virtual UString GetFileURLWide() const;                               // 19

    virtual PString GetDirectory() const = 0;                             // 20
    virtual UString GetDirectoryWide() const = 0;                         // 21
    virtual void InsertDirectory(const char* dir) = 0;                    // 22
    virtual void InsertDirectory(const FileSpec& other) = 0;              // 23
    virtual void InsertDirectory(const PString& dir) = 0;                 // 24
    virtual PString GetFileName() const = 0;                              // 25
    virtual UString GetFileNameWide() const = 0;                          // 26
    virtual PString GetDriveName() const = 0;                             // 27
    virtual UString GetDriveNameWide() const = 0;                         // 28
    virtual PString GetDrive() const = 0;                                 // 29
    virtual UString GetDriveWide() const = 0;                             // 30

    virtual unsigned GetLength() const = 0;                               // 31
    // Copies up to size bytes of the path, no NUL; answers the count copied.
    virtual unsigned CopyPath(char* buffer, unsigned size) const = 0;     // 32
    // The path becomes exactly length bytes of data.
    virtual bool SetPathFromBuffer(const char* data, unsigned length) = 0;  // 33
    // fopen of the path; null when it cannot be opened in that mode.
    virtual FILE* Open(const char* mode) const = 0;                       // 34

    virtual bool SetToProgramDirectory() = 0;                             // 35
    // Answers false and changes nothing.
    virtual bool ReservedOperation();                                     // 36
    virtual bool SetToSystemDirectory() = 0;                              // 37
    virtual bool SetToTempDirectory() = 0;                                // 38
    virtual bool SetToCurrentDirectory() = 0;                             // 39
    virtual bool SetToWritableTempDirectory() = 0;                        // 40

    virtual bool QueryLength(unsigned& length) const = 0;                 // 41
    // The path and, when there is room, its NUL; false when the path does not fit.
    virtual bool QueryPath(char* buffer, unsigned size) const = 0;        // 42
    virtual bool AssignPath(const char* data, unsigned length) = 0;       // 43

    virtual PString GetSeparator() const = 0;                             // 44
    virtual UString GetSeparatorWide() const = 0;                         // 45
    virtual char GetSeparatorChar() const = 0;                            // 46
    virtual unsigned short GetSeparatorCharWide() const = 0;              // 47
    virtual PString GetExtensionSeparator() const = 0;                    // 48
    virtual UString GetExtensionSeparatorWide() const = 0;                // 49
    virtual char GetExtensionSeparatorChar() const = 0;                   // 50
    virtual unsigned short GetExtensionSeparatorCharWide() const = 0;     // 51
    virtual PString GetDriveSeparator() const = 0;                        // 52
    virtual UString GetDriveSeparatorWide() const = 0;                    // 53
    virtual char GetDriveSeparatorChar() const = 0;                       // 54
    virtual unsigned short GetDriveSeparatorCharWide() const = 0;         // 55
};

// A new implementation holding the empty path, owned by the caller; null when it
// cannot be made.
FileSpec* CreateFileSpec();

// Owns one FileSpec implementation. Without one (creation failed) every operation
// answers false, a null stream or the empty text.
class AFileSpec {
public:
    AFileSpec();
    AFileSpec(const PString& path);
    AFileSpec(const char* path);
    AFileSpec(const AFileSpec& other);
    virtual ~AFileSpec();

    AFileSpec& operator=(const AFileSpec& other);
    // Replaces the implementation by a fresh one holding path.
    AFileSpec& operator=(const PString& path);

    // False unless both handles are valid; then the paths compared exactly.
    bool operator==(const AFileSpec& other) const;

    bool IsValid() const;
    bool Exists() const;
    bool IsDirectory() const;

    void AppendComponent(const PString& name);
    void AppendComponent(const char* name);
    AFileSpec& operator+=(const PString& name);
    AFileSpec& operator+=(const char* name);

    PString GetFullPath() const;
    PString GetDirectory() const;
    PString GetFileName() const;
    void SetFullPath(const PString& path);

    FILE* Open(const char* mode) const;

    bool SetToSystemDirectory();
    bool SetToTempDirectory();

private:
    FileSpec* spec_;
};

}  // namespace LumoBase
