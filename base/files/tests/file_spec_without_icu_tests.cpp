// Run from a folder without ICU's DLLs: no conversion can be made, so the wide
// setters leave the path unchanged and the wide getters answer the empty text.

#include "files/win32au_file_spec.h"

#include <doctest/doctest.h>

#include <string>

using namespace LumoBase;

TEST_CASE("without a converter the wide forms change nothing and answer empty text") {
    const unsigned short units[] = {'C', ':', '\\', 'w', 0};
    const UString wide(units);

    WIN32AU_FileSpec spec;
    spec.SetFullPath("C:\\dir\\f.txt");
    spec.SetFullPath(units);
    spec.SetFullPath(wide);
    spec.AppendComponent(units);
    spec.AppendComponent(wide);
    spec.InsertDirectory(units);
    spec.InsertDirectory(wide);
    CHECK(std::string(spec.GetFullPath()) == "C:\\dir\\f.txt");

    CHECK(spec.GetFullPathWide().empty());
    CHECK(spec.GetDirectoryWide().empty());
    CHECK(spec.GetFileNameWide().empty());
    CHECK(spec.GetDriveWide().empty());
    CHECK(spec.GetDriveNameWide().empty());
    CHECK(spec.GetFileURLWide().empty());

    // The narrow forms and the fixed wide separators need no converter.
    CHECK(std::string(spec.GetFileURL()) == "file://C:%5cdir%5cf.txt");
    CHECK(spec.GetSeparatorWide().size() == 1);
}
