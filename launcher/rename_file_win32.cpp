#include "rename_file.h"

#include "files/path_text.h"
#include "whole_file.h"

#include <windows.h>

namespace Tarnbolt {
namespace {

// `path` with the extension of its file name replaced.
std::string WithExtension(const std::string& path, const char* extension) {
    const size_t separator = path.find_last_of("\\/:");
    const size_t name = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = path.rfind('.');
    return path.substr(0, dot != std::string::npos && dot >= name ? dot : path.size()) + extension;
}

// The path as a file spec would hold it; plain calls keep the library's file
// operations out of the launcher.
std::string Backslashed(const std::string& path) {
    return LumoBase::ToBackslashes(LumoBase::PString(path.c_str()));
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(Backslashed(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A file of ours, gone even when an earlier version left it read-only.
void Remove(const std::string& path) {
    if (DeleteFileA(path.c_str())) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

// The names the old file waits under while the new text moves in: .TBO, and where
// an interrupted run left that one holding lines, .TB1 to .TB9.
const int kAsideNames = 10;

std::string AsideName(const std::string& path, int i) {
    const char extension[] = {'.', 'T', 'B', i ? static_cast<char>('0' + i) : 'O', '\0'};
    return WithExtension(path, extension);
}

bool ReadText(const std::string& path, std::string& text) {
    return ReadWholeFile(Backslashed(path), text);
}

bool WriteText(const std::string& path, const std::string& text, FileWrite write) {
    return WriteWholeFile(Backslashed(path), text.data(), text.size(), write);
}

}  // namespace

bool ReadRenameFile(const std::string& path, std::string& text) { return ReadText(path, text); }

bool MergeRenameFile(const std::string& path, const std::vector<std::string>& lines,
                     FileWrite write) {
    // Names of our own beside the file: nobody else's file is ever replaced or
    // deleted.
    const std::string fresh = WithExtension(path, ".TBN");
    // While the new text (.TBN) is there, the texts set aside were never moved back
    // nor replaced: no boot has seen them, and their lines join the new text. Without
    // it they are copies of a text that did move in, and go.
    const bool interrupted = Exists(fresh);
    std::vector<std::string> asides;  // oldest first
    std::string free;
    for (int i = 0; i < kAsideNames; ++i) {
        const std::string aside = AsideName(path, i);
        if (Exists(aside) && interrupted) {
            asides.push_back(aside);
            continue;
        }
        if (Exists(aside)) Remove(aside);
        if (free.empty() && !Exists(aside)) free = aside;
    }
    // Until the new text is in place the texts set aside stay waiting, .TBN with
    // them; with none waiting a failed run leaves nothing behind.
    const auto fail = [&]() {
        if (asides.empty())
            Remove(fresh);
        else if (!Exists(fresh))  // a failed write of it takes it away: it must stay
            WriteWholeFile(Backslashed(fresh), "", 0);
        return false;
    };

    std::string text;
    for (size_t i = 0; i < asides.size(); ++i) {
        std::string held;
        if (!ReadText(asides[i], held)) return false;
        text = i == 0 ? held : CombineRenameTexts(text, held);
    }
    const bool existed = Exists(path);
    if (existed) {
        // A file that cannot be opened for update (read-only, or held by another
        // program) is not ours to replace. The attribute is asked as well: a
        // process with every right may open a read-only file all the same.
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_READONLY) return fail();
        if (!CanOpenForUpdate(Backslashed(path))) return fail();
        std::string current;
        if (!ReadText(path, current)) return fail();
        text = asides.empty() ? current : CombineRenameTexts(text, current);
    }
    const std::string merged = MergeRenameText(text, lines);

    // Windows 9x cannot replace a file in one move: the new text must be complete
    // and checked before the old file is moved aside.
    std::string check;
    if (!WriteText(fresh, merged, write) || !ReadText(fresh, check) || check != merged)
        return fail();
    if (existed) {
        if (free.empty() || !MoveFileA(path.c_str(), free.c_str())) return fail();
        asides.push_back(free);
    }
    if (!MoveFileA(fresh.c_str(), path.c_str())) {
        // Nothing can have changed since the move aside. Where even the way back
        // fails, it stays waiting with .TBN: the next run merges it again.
        if (existed && MoveFileA(free.c_str(), path.c_str())) asides.pop_back();
        return fail();
    }
    // Their lines are in the new file: copies that stayed would only be removed by
    // the next run, never put back.
    for (const std::string& aside : asides) Remove(aside);
    return true;
}

}  // namespace Tarnbolt
