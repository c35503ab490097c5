#include "files/file_spec.h"

#include "files/path_text.h"
#include "files/pointer_probes.h"
#include "files/wide_text.h"
#include "files/win32au_file_spec.h"

#include <new>

namespace LumoBase {
namespace {

// What a handle without an implementation answers for every text.
const PString kEmptyText;

}  // namespace

FileSpec::~FileSpec() {}

PString FileSpec::GetFileURL() const { return ToFileURL(GetFullPath()); }

UString FileSpec::GetFileURLWide() const { return WidenOrEmpty(GetFileURL()); }

bool FileSpec::ReservedOperation() { return false; }

FileSpec* CreateFileSpec() {
    FileSpec* spec = nullptr;
    try {
        spec = new (std::nothrow) WIN32AU_FileSpec;
    } catch (...) {
        return nullptr;
    }
    // An object the probe rejects cannot be destroyed safely either; it is dropped.
    if (!spec || IsBadCodePointer(spec)) return nullptr;
    return spec;
}

AFileSpec::AFileSpec() : spec_(CreateFileSpec()) {}

AFileSpec::AFileSpec(const PString& path) : spec_(CreateFileSpec()) {
    if (spec_) spec_->SetFullPath(path);
}

AFileSpec::AFileSpec(const char* path) : spec_(CreateFileSpec()) {
    if (spec_) spec_->SetFullPath(path);
}

AFileSpec::AFileSpec(const AFileSpec& other)
    : spec_(other.spec_ ? other.spec_->Clone() : nullptr) {}

AFileSpec::~AFileSpec() { delete spec_; }

AFileSpec& AFileSpec::operator=(const AFileSpec& other) {
    if (&other == this) return *this;
    FileSpec* copy = other.spec_ ? other.spec_->Clone() : nullptr;
    delete spec_;
    spec_ = copy;
    return *this;
}

AFileSpec& AFileSpec::operator=(const PString& path) {
    delete spec_;
    spec_ = CreateFileSpec();
    if (spec_) spec_->SetFullPath(path);
    return *this;
}

bool AFileSpec::operator==(const AFileSpec& other) const {
    if (!IsValid() || !other.IsValid()) return false;
    return spec_->Equals(*other.spec_);
}

bool AFileSpec::IsValid() const { return spec_ && spec_->IsValid(); }

bool AFileSpec::Exists() const { return spec_ && spec_->Exists(); }

bool AFileSpec::IsDirectory() const { return spec_ && spec_->IsDirectory(); }

void AFileSpec::AppendComponent(const PString& name) {
    if (spec_) spec_->AppendComponent(name);
}

void AFileSpec::AppendComponent(const char* name) {
    if (spec_) spec_->AppendComponent(name);
}

AFileSpec& AFileSpec::operator+=(const PString& name) {
    AppendComponent(name);
    return *this;
}

AFileSpec& AFileSpec::operator+=(const char* name) {
    AppendComponent(name);
    return *this;
}

PString AFileSpec::GetFullPath() const { return spec_ ? spec_->GetFullPath() : kEmptyText; }

PString AFileSpec::GetDirectory() const { return spec_ ? spec_->GetDirectory() : kEmptyText; }

PString AFileSpec::GetFileName() const { return spec_ ? spec_->GetFileName() : kEmptyText; }

void AFileSpec::SetFullPath(const PString& path) {
    if (spec_) spec_->SetFullPath(path);
}

FILE* AFileSpec::Open(const char* mode) const { return spec_ ? spec_->Open(mode) : nullptr; }

bool AFileSpec::SetToSystemDirectory() { return spec_ && spec_->SetToSystemDirectory(); }

bool AFileSpec::SetToTempDirectory() { return spec_ && spec_->SetToTempDirectory(); }

}  // namespace LumoBase
