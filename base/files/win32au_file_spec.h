#pragma once
// The Win32 FileSpec: one narrow path, normalised when it is set, with
// every part computed from the text when asked for.

#include "files/file_spec.h"

namespace LumoBase {

class WIN32AU_FileSpec : public FileSpec {
public:
    WIN32AU_FileSpec();
    ~WIN32AU_FileSpec() override;

    bool IsValid() const override;
    FileSpec* Clone() const override;
    bool Equals(const FileSpec& other) const override;

    void SetFullPath(const unsigned short* text) override;
    void SetFullPath(const char* text) override;
    void SetFullPath(const UString& text) override;
    void SetFullPath(const PString& text) override;
    void SetFullPath(const FileSpec* other) override;
    PString GetFullPath() const override;
    UString GetFullPathWide() const override;

    bool Exists() const override;
    bool IsFile() const override;
    bool IsDirectory() const override;

    void AppendComponent(const unsigned short* name) override;
    void AppendComponent(const UString& name) override;
    void AppendComponent(const char* name) override;
    void AppendComponent(const PString& name) override;

    PString GetDirectory() const override;
    UString GetDirectoryWide() const override;
    void InsertDirectory(const char* dir) override;
    void InsertDirectory(const FileSpec& other) override;
    void InsertDirectory(const PString& dir) override;
    PString GetFileName() const override;
    UString GetFileNameWide() const override;
    PString GetDriveName() const override;
    UString GetDriveNameWide() const override;
    PString GetDrive() const override;
    UString GetDriveWide() const override;

    unsigned GetLength() const override;
    unsigned CopyPath(char* buffer, unsigned size) const override;
    bool SetPathFromBuffer(const char* data, unsigned length) override;
    FILE* Open(const char* mode) const override;

    bool SetToProgramDirectory() override;
    bool SetToSystemDirectory() override;
    bool SetToTempDirectory() override;
    bool SetToCurrentDirectory() override;
    bool SetToWritableTempDirectory() override;

    bool QueryLength(unsigned& length) const override;
    bool QueryPath(char* buffer, unsigned size) const override;
    bool AssignPath(const char* data, unsigned length) override;

    PString GetSeparator() const override;
    UString GetSeparatorWide() const override;
    char GetSeparatorChar() const override;
    unsigned short GetSeparatorCharWide() const override;
    PString GetExtensionSeparator() const override;
    UString GetExtensionSeparatorWide() const override;
    char GetExtensionSeparatorChar() const override;
    unsigned short GetExtensionSeparatorCharWide() const override;
    PString GetDriveSeparator() const override;
    UString GetDriveSeparatorWide() const override;
    char GetDriveSeparatorChar() const override;
    unsigned short GetDriveSeparatorCharWide() const override;

    // Operations of this implementation only.
    virtual void InsertDirectory(const unsigned short* dir);                 // 56
    virtual void InsertDirectory(const UString& dir);                        // 57
    virtual bool EndsWithSeparator(const PString& text) const;               // 58
    virtual bool EndsWithSeparator() const;                                  // 59
    // Appends "\" whether or not one is there already.
    virtual void AppendSeparator(PString& text) const;                       // 60
    virtual void AppendSeparator();                                          // 61
    // Removes one trailing separator, if there is one.
    virtual void RemoveTrailingSeparator(PString& text) const;               // 62
    virtual void RemoveTrailingSeparator();                                  // 63

private:
    PString path_;
};

}  // namespace LumoBase
