#pragma once
// The launcher's process-wide object: path operations, the runtime version check,
// resource extraction, the queue of pending replacements and the launch.

#include "strings/lead_bytes.h"

#include <cstdint>
#include <functional>
#include <list>
#include <string>
#include <utility>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
#endif

namespace Tarnbolt {

// Resource identifiers of the embedded libraries (custom type "DLL").
enum PayloadId { kPayloadMsvcrt = 103, kPayloadMsvcp60 = 104, kPayloadMsvcirt = 105,
                 kPayloadComctl32 = 107 };

class Launcher {
public:
    Launcher() {}
    virtual ~Launcher() {}

    // Paths.
    std::string SettingsBasePath(HINSTANCE instance) const;
    std::string ModuleDirectory(HINSTANCE instance) const;
    std::string SystemFilePath(const std::string& name) const;
    std::string TempFilePath(const std::string& name) const;
    std::string WindowsFilePath(const std::string& name) const;

    // Runtime version check on fixed file versions (high: major.minor, low: build.revision).
    static void ParseVersion(const std::string& text, uint32_t& high, uint32_t& low);
    bool ReadFileVersion(const std::string& path, uint32_t& high, uint32_t& low) const;
    static bool IsVersionAtLeast(uint32_t preferredHigh, uint32_t preferredLow,
                                 uint32_t installedHigh, uint32_t installedLow);

    // Writes resource `id` to TempFilePath(name); `path` names the target once the
    // resource was found, even when writing then fails. False without a temporary
    // folder.
    bool ExtractResource(HINSTANCE instance, int id, const std::string& name,
                         std::string& path) const;
    // The bytes of an embedded library in the loaded image; false when it is missing
    // or empty.
    bool PayloadBytes(HINSTANCE instance, int id, const void*& bytes, size_t& size) const;

    // Queue of pending replacements: files moved into the system directory at once
    // where possible, else handed to the operating system for the next start.
    // Every one is written afresh into the system directory from its bytes (a file's
    // read first; embedded ones straight from the image), read back and compared.
    void ClearPending();
    void AddPending(const std::string& path);
    void AddPending(const std::string& name, const void* bytes, size_t size);
    // Writes `name` into the system directory as a new file from the bytes, never
    // over an existing one; false when it could not be placed.
    bool PlaceNew(const std::string& name, const void* bytes, size_t size) const;
    // What must be on record before anything is handed to the platform: the copies
    // about to be handed over, as they will be named there. False stops the commit
    // with nothing handed over.
    using HandOverRecord = std::function<bool(const std::vector<std::string>& staged)>;
    bool CommitPending(bool& restartNeeded, const HandOverRecord& record = HandOverRecord());
    bool WriteRenameSection(const HandOverRecord& record = HandOverRecord());
    bool ScheduleDelayedMoves(const HandOverRecord& record = HandOverRecord());
    // The entries in order, each as its source file or, for embedded bytes, its name.
    std::list<std::string> Pending() const;
    // The sources handed to the platform by the last commit, as written there:
    // copies in the system directory (short names on 95/98/Me).
    const std::vector<std::string>& Deferred() const { return deferred_; }

    // Whether every one of `sources` still exists and is still queued with the
    // platform (WININIT.INI on 95/98/Me, the delayed moves elsewhere). False for none.
    bool StillQueued(const std::vector<std::string>& sources) const;
    // The sources the platform holds for the next start that replace `target` (a
    // file of the system directory), as they can be opened now.
    std::vector<std::string> QueuedSourcesFor(const std::string& target) const;

    // An identifier of the running start of Windows: it changes at every start and
    // nowhere else. Empty when it cannot be had.
    std::string BootIdentifier() const;
    // Removes those of `sources` that are staged copies of ours (in the system
    // directory, under a name GetTempFileNameA gave) and no longer queued.
    void RemoveUnqueuedCopies(const std::vector<std::string>& sources) const;

    // The fixed version of an embedded library, read from the resource itself.
    bool PayloadFixedVersion(HINSTANCE instance, int id, uint32_t& high, uint32_t& low) const;

    // The restart marker: a small file in the Windows directory (per machine, and
    // writable wherever the launcher itself runs from) holding RestartMarkerText of
    // the state before the restart the launcher asked for.
    // The marker also lists the sources handed to the platform, so that a later run
    // can tell a restart still to come from one that has happened.
    std::string RestartState(HINSTANCE instance) const;
    // Whether the marker holds `state`; the start of Windows it was written in in
    // `boot`, its sources in `deferred`.
    bool RestartTried(const std::string& state, std::string& boot,
                      std::vector<std::string>& deferred) const;
    // Written whole as a new file, or false with none left.
    bool RecordRestart(const std::string& state, const std::string& boot,
                       const std::vector<std::string>& deferred) const;
    // No marker left, nor a staged copy it names that is no longer queued.
    void ForgetRestart() const;

    // Only one launcher at a time installs: two would queue the same libraries and
    // write the one restart marker. False when another one runs (this one must then
    // write nothing); the claim lasts until the process ends.
    bool ClaimSoleRun() const;

    // The main application.
    std::string ResolveRunCommand(HINSTANCE instance, const std::string& value) const;
    bool RunProgram(const std::string& commandLine) const;

private:
    struct PendingFile {
        std::string name;    // the target's file name
        std::string source;  // a file to read, when no bytes are given
        const void* bytes = nullptr;
        size_t size = 0;
    };
    bool StageCopy(const PendingFile& file, std::string& staged) const;
    std::list<PendingFile> pending_;
    std::vector<std::string> deferred_;
};

// A fixed file version as far as it could be read.
struct KnownVersion {
    bool known = false;
    uint32_t high = 0, low = 0;
};

// Whether an embedded library may replace the installed one: never one whose own
// version cannot be read, and never an older one over a newer. An installed library
// without a readable version is replaced.
bool MayReplaceInstalled(const KnownVersion& payload, const KnownVersion& installed);

// Text part of the settings path: the module file name cut at the first "." of its
// last component. `rule` tells which bytes lead a double-byte character: a trail
// byte 0x5C is no separator.
std::string SettingsBaseFromModuleName(const std::string& fileName,
                                       const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// The folder of a module file name: cut before its last "\"; the whole name when it
// holds none.
std::string DirectoryOfModuleName(const std::string& fileName,
                                  const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// The program part of a Run value and what follows it: the quoted part of a value
// that quotes its program (`quoted`), else the value up to its first blank or tab,
// where the platform ends an unquoted program. False when the value opens a quote
// it never closes.
bool SplitRunValue(const std::string& value, bool& quoted, std::string& program,
                   std::string& rest);

// The state a restart the launcher asked for must change: the installed runtime's
// version and the embedded runtime libraries (their version and a fingerprint of
// their bytes). Text written before the restart; the same text after it means the
// restart did not take effect.
std::string RestartMarkerText(const KnownVersion& installed, const KnownVersion& payload,
                              uint32_t payloadFingerprint);

// The marker file: the state, a line "boot=<identifier>" of the start of Windows
// it was written in (none when that is unknown), then a line "deferred=<source>"
// for each source handed to the platform.
std::string RestartMarkerFile(const std::string& state, const std::string& boot,
                              const std::vector<std::string>& deferred);

// Reads a marker file: its "deferred=" lines into `deferred` (empty values
// skipped), the value of its last "boot=" line into `boot`, every other line (with
// CR LF) into `state`. Any text gives a result.
void ParseRestartMarker(const std::string& text, std::string& state, std::string& boot,
                        std::vector<std::string>& deferred);

// What a run finds of its earlier restart, and what it does.
enum class RestartFinding {
    kStillToCome,   // no start of Windows since: ask again (queueing what is missing)
    kWithoutEffect  // a start of Windows since, and the runtime still old: give up
};
// Told by the boot identifiers when both are known; where one is not (a marker of an
// earlier version, a registry that refused the identifier), by the queue: every
// source still queued is a restart still to come.
RestartFinding JudgeRestart(const std::string& recordedBoot, const std::string& currentBoot,
                            bool everySourceQueued);

// Whether a library queued by someone else for the same target keeps ours from
// being queued: one at least as new as the payload, or of unknown age (the boot
// would otherwise install the older one, queued later, over it).
bool QueuedSupersedes(const KnownVersion& queued, const KnownVersion& payload);

// The moves of the platform's delayed-move value (strings separated by NUL bytes,
// source then target), as (source, target) with the "\??\" prefixes and a
// target's "!" taken off; an empty target is a deletion.
std::vector<std::pair<std::string, std::string>> DelayedMoveEntries(const std::string& value);

// Whether `path` names a staged copy of ours: a file right in `directory` (ASCII
// case ignored) named "tb", one to four hexadecimal digits and ".tmp", as
// GetTempFileNameA names it for the prefix "tb".
bool IsStagedCopyName(const std::string& path, const std::string& directory,
                      const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// Whether the value of the delayed moves holds `path` as a source, which the
// platform stores as "\??\" and the full path (ASCII case ignored).
bool DelayedMovesHold(const std::string& value, const std::string& path,
                      const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// Whether two paths are equal but for the case of ASCII letters (trail bytes are
// never folded).
bool SameAsciiPath(const std::string& a, const std::string& b,
              const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// FNV-1a over bytes, continuing from `hash` (start with kFingerprintStart).
constexpr uint32_t kFingerprintStart = 2166136261u;
uint32_t Fingerprint(const unsigned char* bytes, size_t size, uint32_t hash);

// The launch command line: the program part of the Run value joined below
// `directory` (the launcher's, without a trailing backslash), then the arguments as
// written, every "/" in them turned into "\". The program is quoted when the
// directory holds a blank or the value quotes it; a network folder keeps its
// leading "\\". Empty, so that nothing starts, when the value opens a quote it
// never closes.
std::string RunCommandFor(const std::string& directory, const std::string& value,
                          const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

// The program file that command line starts, unquoted; empty as above.
std::string RunProgramFor(const std::string& directory, const std::string& value,
                          const LumoBase::LeadBytes& rule = LumoBase::SystemLeadBytes());

}  // namespace Tarnbolt
