#include "run_launcher.h"

#include "settings.h"
#include "system/startup_entry.h"
#include "system/system_library.h"

#include <string>
#include <vector>

namespace Tarnbolt {

// Process-wide: the launcher object and the settings values, empty until start-up
// reads them.
Launcher g_launcher;
static std::string g_adminMessage;
static std::string g_adminMessageTitle;
static std::string g_run;
static std::string g_message;
static std::string g_caption;

namespace {

bool FindOnSearchPath(const char* name) {
    char found[260];
    char* filePart = nullptr;
    DWORD length = SearchPathA(nullptr, name, nullptr, sizeof found, found, &filePart);
    return length != 0;
}

void EnsureCommonControls(HINSTANCE instance) {
    if (FindOnSearchPath("comctl32.dll")) return;
    std::string extracted;
    if (!g_launcher.ExtractResource(instance, kPayloadComctl32, "comctl32.dll", extracted)) return;
    char system[260];
    UINT length = GetSystemDirectoryA(system, sizeof system);
    if (length == 0 || length >= sizeof system) return;
    const std::string target = std::string(system, length) + "\\comctl32.dll";
    CopyFileA(extracted.c_str(), target.c_str(), TRUE);
}

}  // namespace

void LoadSettings(HINSTANCE instance, const std::string& file, uint32_t& preferredHigh,
                  uint32_t& preferredLow) {
    Settings read;
    ReadSettings(file, read);
    g_adminMessage = read.adminMessage;
    g_adminMessageTitle = read.adminMessageTitle;
    g_run = g_launcher.ResolveRunCommand(instance, read.run);
    g_message = read.message;
    g_caption = read.caption;
    Launcher::ParseVersion(read.preferredVersion, preferredHigh, preferredLow);
}

namespace {

// The restart box, the entry that brings the launcher back after the restart, and
// the request, which every program may refuse: what was queued stays queued.
void AskForRestart() {
    LumoBase::Bound::MessageBoxA(nullptr, g_message.c_str(), g_caption.c_str(), MB_OK);
    LumoBase::AddStartupEntry(nullptr);
    LumoBase::RestartSystem();
}

// The payload copies in the temporary directory: used only within the run that
// wrote them (moved at once, or copied into the system directory to be renamed
// at the restart), so none stays when the run ends.
struct ExtractedCopies {
    std::string path[3];
    void Remove() {
        for (std::string& p : path) {
            if (!p.empty()) DeleteFileA(p.c_str());
            p.clear();
        }
    }
    ~ExtractedCopies() { Remove(); }
};

}  // namespace

bool InstallRuntime(HINSTANCE instance, uint32_t preferredHigh, uint32_t preferredLow) {
    const std::string state = g_launcher.RestartState(instance);
    std::vector<std::string> deferred;
    if (g_launcher.RestartTried(state, deferred)) {
        // Asked for before and refused (a program's user cancelled to save), or
        // never carried out: no start of Windows since, the replacements still wait.
        // Ask again, queueing nothing a second time.
        if (g_launcher.StillQueued(deferred)) {
            AskForRestart();
            return true;
        }
        // A restart happened and left the installed runtime and the payload as they
        // were: another one would not help either, and the launcher would restart
        // the machine at every start. Nothing more, as for every other failed
        // installation.
        g_launcher.RemoveUnqueuedCopies(deferred);
        return false;
    }
    // A marker of another state (another payload, another runtime since): its
    // copies that nothing will rename go with it.
    g_launcher.ForgetRestart();

    const struct {
        int id;
        const char* name;
    } libraries[] = {{kPayloadMsvcrt, "msvcrt.dll"},
                     {kPayloadMsvcp60, "msvcp60.dll"},
                     {kPayloadMsvcirt, "msvcirt.dll"}};
    ExtractedCopies extracted;
    for (int i = 0; i < 3; ++i)
        if (!g_launcher.ExtractResource(instance, libraries[i].id, libraries[i].name,
                                        extracted.path[i]))
            return false;

    // A payload runtime that does not meet the preferred version would be installed,
    // restarted for and found too old again on every run. The version is read from
    // the embedded library itself: the extracted copy bears a system library's name.
    uint32_t high = 0, low = 0;
    if (!g_launcher.PayloadFixedVersion(instance, kPayloadMsvcrt, high, low) ||
        !Launcher::IsVersionAtLeast(preferredHigh, preferredLow, high, low))
        return false;

    g_launcher.ClearPending();
    for (int i = 0; i < 3; ++i) {
        // Never replace a shared library with an older one, nor with one of unknown age.
        KnownVersion payload, installed;
        payload.known =
            g_launcher.PayloadFixedVersion(instance, libraries[i].id, payload.high, payload.low);
        installed.known = g_launcher.ReadFileVersion(g_launcher.SystemFilePath(libraries[i].name),
                                                     installed.high, installed.low);
        if (MayReplaceInstalled(payload, installed)) g_launcher.AddPending(extracted.path[i]);
    }

    bool restartNeeded = false;
    if (!g_launcher.CommitPending(restartNeeded)) return false;
    if (restartNeeded) {
        // Without the marker the next run could not tell a restart that failed.
        if (!g_launcher.RecordRestart(state, g_launcher.Deferred())) return false;
        // Before the request: the restart may end this process.
        extracted.Remove();
        AskForRestart();
    } else {
        g_launcher.RunProgram(g_run);
    }
    return true;
}

int RunLauncher(HINSTANCE instance, AdministratorCheck isAdministrator) {
    // Without COM where no link of ours can be there: the shell link initialises
    // it on first use (USER32 and ole32 are loaded only by the roads that use them).
    LumoBase::RemoveStartupEntry(nullptr);
    // A launcher that cannot know its own path (a folder too long for the module
    // name) would read the bare settings name from the Windows directory and start
    // a program at the root of the current drive: it ends here, quietly.
    if (g_launcher.ModuleDirectory(instance).empty()) return 0;
    const std::string settings = g_launcher.SettingsBasePath(instance) + ".ini";

    uint32_t preferredHigh = 0, preferredLow = 0;
    LoadSettings(instance, settings, preferredHigh, preferredLow);

    if (!isAdministrator()) {
        LumoBase::Bound::MessageBoxA(nullptr, g_adminMessage.c_str(),
                                     g_adminMessageTitle.c_str(), MB_OK | MB_ICONWARNING);
        return 0;
    }

    // A second launcher started beside this one (a double-click on a program that
    // shows nothing) ends here: it would write into the same payload copies.
    if (!g_launcher.ClaimSoleRun()) return 0;

    uint32_t installedHigh = 0, installedLow = 0;
    if (!g_launcher.ReadFileVersion(g_launcher.SystemFilePath("msvcrt.dll"), installedHigh,
                                    installedLow) ||
        !Launcher::IsVersionAtLeast(preferredHigh, preferredLow, installedHigh, installedLow)) {
        InstallRuntime(instance, preferredHigh, preferredLow);
        return 0;
    }

    g_launcher.ForgetRestart();  // the runtime is in place: nothing of ours stays
    EnsureCommonControls(instance);
    g_launcher.RunProgram(g_run);
    return 0;
}

}  // namespace Tarnbolt
