// What a later run reads to tell a restart still to come: the marker file and
// WININIT.INI, any bytes. Properties: a marker read and written again reads back
// the same, its sources never empty; a source merged into any WININIT.INI text is
// found there afterwards; a name found to be a staged copy lies in the folder
// given. Any other result aborts.

#include "launcher.h"
#include "rename_section.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Require(bool holds) {
    if (!holds) std::abort();
}

const char kSystem[] = "C:\\WINDOWS\\SYSTEM";
const char kSource[] = "C:\\WINDOWS\\SYSTEM\\TB1A2B.TMP";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);

    std::string state;
    std::vector<std::string> deferred;
    Tarnbolt::ParseRestartMarker(text, state, deferred);
    for (const std::string& source : deferred) Require(!source.empty());
    std::string again;
    std::vector<std::string> deferredAgain;
    Tarnbolt::ParseRestartMarker(Tarnbolt::RestartMarkerFile(state, deferred), again, deferredAgain);
    // A state whose last line lacks its line ending runs into the first source line.
    if (state.empty() || (state.size() >= 2 && state.compare(state.size() - 2, 2, "\r\n") == 0)) {
        Require(again == state);
        Require(deferredAgain == deferred);
    }

    for (const std::string& source : deferred)
        if (Tarnbolt::IsStagedCopyName(source, kSystem)) {
            Require(source.size() > sizeof kSystem);
            Require(source[sizeof kSystem - 1] == '\\');
        }

    Require(Tarnbolt::RenameSectionHolds(
        Tarnbolt::MergeRenameText(text, {std::string("C:\\WINDOWS\\SYSTEM\\msvcrt.dll=") + kSource}),
        kSource));
    return 0;
}
