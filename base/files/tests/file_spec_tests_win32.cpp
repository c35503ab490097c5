// FileSpec on a real Win32 file system (Wine's), with real files in a
// temporary folder.

#include "files/file_spec.h"
#include "files/win32au_file_spec.h"

#include "temp_folder_win32.h"

#include <doctest/doctest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

using namespace LumoBase;

namespace {

UString Wide(const char* ascii) {
    UString s;
    while (*ascii) s.push_back(static_cast<unsigned char>(*ascii++));
    return s;
}

std::string Text(const PString& s) { return std::string(s); }

std::string PathOf(const FileSpec& spec) { return spec.GetFullPath(); }

std::unique_ptr<WIN32AU_FileSpec> Spec(const char* path) {
    std::unique_ptr<WIN32AU_FileSpec> spec(new WIN32AU_FileSpec);
    spec->SetFullPath(path);
    return spec;
}

}  // namespace

TEST_CASE("setting the path turns slashes after the first character into backslashes") {
    WIN32AU_FileSpec spec;
    CHECK(PathOf(spec) == "");
    CHECK(spec.IsValid());

    spec.SetFullPath("/a/b");
    CHECK(PathOf(spec) == "/a\\b");
    spec.SetFullPath(PString("C:/dir//x/"));
    CHECK(PathOf(spec) == "C:\\dir\\\\x\\");
    spec.SetFullPath(Wide("C:/w/x"));
    CHECK(PathOf(spec) == "C:\\w\\x");
    const unsigned short units[] = {'d', '/', 'e', 0};
    spec.SetFullPath(units);
    CHECK(PathOf(spec) == "d\\e");

    // A PString is taken up to its first NUL.
    spec.SetFullPath(PString(std::string("C:\\a\0b", 6)));
    CHECK(spec.GetLength() == 4);

    // Null texts change nothing.
    spec.SetFullPath(static_cast<const char*>(nullptr));
    spec.SetFullPath(static_cast<const unsigned short*>(nullptr));
    spec.SetFullPath(static_cast<const FileSpec*>(nullptr));
    CHECK(PathOf(spec) == "C:\\a");

    // From another FileSpec: exactly, without normalisation.
    WIN32AU_FileSpec raw;
    REQUIRE(raw.AssignPath("x/y", 3));
    spec.SetFullPath(&raw);
    CHECK(PathOf(spec) == "x/y");
}

TEST_CASE("appending components through the implementation and the handle") {
    auto spec = Spec("C:\\dir");
    spec->AppendComponent("/sub/name");
    spec->AppendComponent(PString("..\\x"));
    spec->AppendComponent(Wide(".\\y"));
    const unsigned short z[] = {'z', 0};
    spec->AppendComponent(z);
    spec->AppendComponent(static_cast<const char*>(nullptr));
    spec->AppendComponent(static_cast<const unsigned short*>(nullptr));
    CHECK(PathOf(*spec) == "C:\\dir\\sub\\x\\y\\z");

    AFileSpec handle("\\\\server\\share");
    CHECK(Text(handle.GetFullPath()) == "\\\\server\\share");  // setting does not collapse
    handle += "x";
    CHECK(Text(handle.GetFullPath()) == "\\\\server\\share\\x");  // the network root stays whole

    AFileSpec dir("C:\\dir\\");
    dir.AppendComponent(PString("x"));
    CHECK(Text(dir.GetFullPath()) == "C:\\dir\\x");
    (dir += PString("")) += "";
    CHECK(Text(dir.GetFullPath()) == "C:\\dir\\x\\");
}

TEST_CASE("directory, file name and drive parts") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    const std::string sub = tmp.MakeDirectory("d");
    const std::string file = tmp.MakeFile("f.txt");

    // An existing directory is its own directory part, without a trailing separator.
    CHECK(Text(AFileSpec((sub + "\\").c_str()).GetDirectory()) == sub);
    CHECK(Text(AFileSpec(sub.c_str()).GetDirectory()) == sub);
    CHECK(Text(AFileSpec("C:\\").GetDirectory()) == "C:");
    // Anything else is cut at its last separator, existing or not.
    CHECK(Text(AFileSpec(file.c_str()).GetDirectory()) == tmp.Path());
    CHECK(Text(AFileSpec((sub + "\\missing\\").c_str()).GetDirectory()) == sub + "\\missing");
    CHECK(Text(AFileSpec("C:\\no-such-dir\\file.txt").GetDirectory()) == "C:\\no-such-dir");
    CHECK(Text(AFileSpec("C:\\file.txt").GetDirectory()) == "C:");
    CHECK(Text(AFileSpec("readme.txt").GetDirectory()) == "");

    CHECK(Text(AFileSpec(sub.c_str()).GetFileName()) == "d");
    CHECK(Text(AFileSpec("C:\\dir\\").GetFileName()) == "");
    CHECK(Text(AFileSpec("readme.txt").GetFileName()) == "readme.txt");

    auto spec = Spec("C:\\dir");
    CHECK(Text(spec->GetDrive()) == "C");
    CHECK(Text(spec->GetDriveName()) == "C");
    CHECK(spec->GetDriveWide() == Wide("C"));
    CHECK(spec->GetDriveNameWide() == Wide("C"));
    spec->SetFullPath("\\\\server\\share");
    CHECK(Text(spec->GetDrive()) == "");
    spec->SetFullPath(sub.c_str());
    CHECK(spec->GetDirectoryWide() == Wide(sub.c_str()));
    CHECK(spec->GetFileNameWide() == Wide("d"));
}

TEST_CASE("inserting a directory level in front of the file name") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    const std::string sub = tmp.MakeDirectory("d");

    auto spec = Spec("C:\\a\\f.txt");
    spec->InsertDirectory("b");
    CHECK(PathOf(*spec) == "C:\\a\\b\\f.txt");

    spec = Spec(sub.c_str());
    spec->InsertDirectory(PString("b"));
    CHECK(PathOf(*spec) == sub + "\\b\\d");

    spec = Spec("f.txt");
    spec->InsertDirectory(Wide("b"));
    CHECK(PathOf(*spec) == "\\b\\f.txt");

    // A directory part that ends in its separator (the path was set with a doubled
    // one) gets none added in front of the new level, yet the level stays apart
    // from the file name.
    spec = Spec("C://f.txt");
    REQUIRE(PathOf(*spec) == "C:\\\\f.txt");
    spec->InsertDirectory("b");
    CHECK(PathOf(*spec) == "C:\\b\\f.txt");
    spec = Spec("C://f.txt");
    spec->InsertDirectory("b\\");
    CHECK(PathOf(*spec) == "C:\\b\\f.txt");
    spec = Spec("C://f.txt");
    spec->InsertDirectory("");
    CHECK(PathOf(*spec) == "C:\\f.txt");
    // Otherwise the separators are added as they come.
    spec = Spec("C:\\a\\f.txt");
    spec->InsertDirectory("b\\");
    CHECK(PathOf(*spec) == "C:\\a\\b\\\\f.txt");

    // From another FileSpec: its directory part.
    spec = Spec("C:\\a\\f.txt");
    spec->InsertDirectory(*Spec("X:\\y\\z.txt"));
    CHECK(PathOf(*spec) == "C:\\a\\X:\\y\\f.txt");

    // A path ending in a separator: the empty file name leaves a trailing separator,
    // which is removed.
    spec = Spec("C:\\no-such\\");
    spec->InsertDirectory("b");
    CHECK(PathOf(*spec) == "C:\\no-such\\b");

    spec = Spec("C:\\a\\f.txt");
    spec->InsertDirectory(static_cast<const char*>(nullptr));
    spec->InsertDirectory(static_cast<const unsigned short*>(nullptr));
    CHECK(PathOf(*spec) == "C:\\a\\f.txt");
}

TEST_CASE("existence and kind come from the file system each time") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    auto spec = Spec((tmp / "f.txt").c_str());
    CHECK_FALSE(spec->Exists());
    CHECK_FALSE(spec->IsFile());
    CHECK_FALSE(spec->IsDirectory());

    tmp.MakeFile("f.txt");
    CHECK(spec->Exists());
    CHECK(spec->IsFile());
    CHECK_FALSE(spec->IsDirectory());

    spec->SetFullPath(tmp.Path().c_str());
    CHECK(spec->Exists());
    CHECK_FALSE(spec->IsFile());
    CHECK(spec->IsDirectory());

    AFileSpec handle(tmp.Path().c_str());
    CHECK(handle.Exists());
    CHECK(handle.IsDirectory());
    handle += "f.txt";
    CHECK(handle.Exists());
    CHECK_FALSE(handle.IsDirectory());

    spec->SetFullPath("");
    CHECK_FALSE(spec->Exists());
}

TEST_CASE("opening the path as a stream") {
    TempFolder tmp;
    REQUIRE(!tmp.Path().empty());
    AFileSpec spec(tmp.Path().c_str());
    spec += "out.txt";

    CHECK(spec.Open("r") == nullptr);
    FILE* f = spec.Open("w");
    REQUIRE(f != nullptr);
    std::fputs("hello", f);
    std::fclose(f);

    f = spec.Open("r+");
    REQUIRE(f != nullptr);
    char text[16] = {};
    CHECK(std::fread(text, 1, sizeof text - 1, f) == 5);
    std::fclose(f);
    CHECK(std::string(text) == "hello");

    CHECK(spec.Open(nullptr) == nullptr);
    CHECK(AFileSpec(tmp.Path().c_str()).Open("r") == nullptr);  // a directory
}

TEST_CASE("copying the path out") {
    auto spec = Spec("C:\\abc");
    char buffer[16];

    std::memset(buffer, '#', sizeof buffer);
    CHECK(spec->CopyPath(buffer, 3) == 3);
    CHECK(std::string(buffer, 4) == "C:\\#");
    std::memset(buffer, '#', sizeof buffer);
    CHECK(spec->CopyPath(buffer, sizeof buffer) == 6);
    CHECK(std::string(buffer, 7) == "C:\\abc#");  // never a NUL
    CHECK(spec->CopyPath(buffer, 0) == 0);
    CHECK(spec->CopyPath(nullptr, 4) == 0);

    unsigned length = 99;
    CHECK(spec->QueryLength(length));
    CHECK(length == 6);

    std::memset(buffer, '#', sizeof buffer);
    CHECK(spec->QueryPath(buffer, 6));  // exactly the length: no NUL
    CHECK(std::string(buffer, 7) == "C:\\abc#");
    std::memset(buffer, '#', sizeof buffer);
    CHECK(spec->QueryPath(buffer, sizeof buffer));
    CHECK(std::string(buffer, 8) == std::string("C:\\abc\0#", 8));  // one NUL, no more
    std::memset(buffer, '#', sizeof buffer);
    CHECK_FALSE(spec->QueryPath(buffer, 5));
    CHECK(buffer[0] == '#');
    CHECK_FALSE(spec->QueryPath(buffer, 0));
    CHECK_FALSE(spec->QueryPath(nullptr, 16));

    WIN32AU_FileSpec empty;
    buffer[0] = '#';
    CHECK(empty.QueryPath(buffer, 1));
    CHECK(buffer[0] == '\0');
    CHECK(empty.CopyPath(buffer, 4) == 0);
}

TEST_CASE("setting the path from a buffer takes the bytes as they are") {
    auto spec = Spec("C:\\old");
    CHECK(spec->SetPathFromBuffer("x/y/zzz", 3));
    CHECK(PathOf(*spec) == "x/y");
    CHECK(spec->AssignPath("a\0b", 3));
    CHECK(spec->GetLength() == 3);
    CHECK(PathOf(*spec) == std::string("a\0b", 3));

    spec->SetFullPath("C:\\old");
    CHECK_FALSE(spec->SetPathFromBuffer("new", 0));
    CHECK_FALSE(spec->SetPathFromBuffer(nullptr, 3));
    CHECK_FALSE(spec->AssignPath("new", 0));
    CHECK_FALSE(spec->AssignPath(nullptr, 3));
    CHECK(PathOf(*spec) == "C:\\old");
}

TEST_CASE("equality is exact and handles copy their implementation") {
    CHECK_FALSE(Spec("C:\\A")->Equals(*Spec("c:\\a")));
    CHECK(Spec("C:\\a")->Equals(*Spec("C:/a")));
    CHECK_FALSE(Spec("C:\\a")->Equals(*Spec("C:\\a\\")));
    CHECK_FALSE(AFileSpec("C:\\A") == AFileSpec("c:\\a"));
    CHECK(AFileSpec("C:\\a") == AFileSpec(PString("C:\\a")));

    AFileSpec a("C:\\a");
    AFileSpec copy(a);
    CHECK(copy == a);
    copy += "b";
    CHECK(Text(a.GetFullPath()) == "C:\\a");  // separate implementations
    a = copy;
    CHECK(Text(a.GetFullPath()) == "C:\\a\\b");
    a = a;
    CHECK(Text(a.GetFullPath()) == "C:\\a\\b");
    a = PString("C:/x");
    CHECK(Text(a.GetFullPath()) == "C:\\x");
    a.SetFullPath(PString("D:/y"));
    CHECK(Text(a.GetFullPath()) == "D:\\y");

    // A clone is exact, also for a path that was never normalised.
    WIN32AU_FileSpec raw;
    REQUIRE(raw.AssignPath("x/y", 3));
    std::unique_ptr<FileSpec> clone(raw.Clone());
    REQUIRE(clone);
    CHECK(PathOf(*clone) == "x/y");
    CHECK(clone->Equals(raw));
}

TEST_CASE("separators and the trailing-separator operations") {
    WIN32AU_FileSpec spec;
    CHECK(spec.GetSeparatorWide() == Wide("\\"));
    CHECK(spec.GetExtensionSeparatorWide() == Wide("."));
    CHECK(spec.GetDriveSeparatorWide() == Wide(":"));

    CHECK_FALSE(spec.EndsWithSeparator());
    spec.AppendSeparator();
    spec.AppendSeparator();
    CHECK(PathOf(spec) == "\\\\");
    CHECK(spec.EndsWithSeparator());
    spec.RemoveTrailingSeparator();
    CHECK(PathOf(spec) == "\\");
    spec.RemoveTrailingSeparator();
    spec.RemoveTrailingSeparator();
    CHECK(PathOf(spec) == "");

    PString text("C:\\a\\\\");
    CHECK(spec.EndsWithSeparator(text));
    spec.RemoveTrailingSeparator(text);
    CHECK(Text(text) == "C:\\a\\");
    spec.AppendSeparator(text);
    CHECK(Text(text) == "C:\\a\\\\");
    CHECK_FALSE(spec.EndsWithSeparator(PString("")));
    CHECK(PathOf(spec) == "");  // the text forms leave the path alone
}

TEST_CASE("URLs, wide forms and the reserved operation") {
    auto spec = Spec("C:\\a b");
    CHECK(Text(spec->GetFileURL()) == "file://C:%5ca%20b");
    CHECK(spec->GetFileURLWide() == Wide("file://C:%5ca%20b"));
    CHECK(Text(WIN32AU_FileSpec().GetFileURL()) == "file://");

    // Through ICU's default converter for the prefix's code page 1252.
    spec->SetFullPath("C:\\caf\xE9");
    UString wide = spec->GetFullPathWide();
    REQUIRE(wide.size() == 7);
    CHECK(wide[6] == 0x00E9);
    CHECK(Text(spec->GetFileURL()) == "file://C:%5ccaf%e9");
    spec->SetFullPath("");
    spec->SetFullPath(wide);
    CHECK(PathOf(*spec) == "C:\\caf\xE9");
    const unsigned short euro[] = {'x', 0x20AC, 0};  // 0x80 in code page 1252
    spec->AppendComponent(euro);
    CHECK(PathOf(*spec) == "C:\\caf\xE9\\x\x80");

    spec = Spec("C:\\keep");
    CHECK_FALSE(spec->ReservedOperation());
    CHECK(PathOf(*spec) == "C:\\keep");
}
