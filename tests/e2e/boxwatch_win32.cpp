// Watches for a message box, records its title, text and whether it shows an icon,
// and presses OK. Usage: boxwatch <record file> <done flag> [picture.bmp]. It stops
// when it has handled one box, or writes "none" once the done flag exists. With a
// picture path it also saves what the box looks like on the screen. The files named
// in BOXWATCH_DELETE (separated by ";", wildcards allowed in the file name) are
// deleted before OK is pressed, as a temp cleaner would while the box is up. The
// command line in BOXWATCH_RUN is started while the box is up and waited for (a
// minute at most, then ended); its exit code, or "timeout", is recorded as "other=".
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Box {
    std::string text;
    bool icon = false;
};

BOOL CALLBACK VisitChild(HWND child, LPARAM param) {
    Box* box = reinterpret_cast<Box*>(param);
    char cls[32] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") != 0 || !IsWindowVisible(child)) return TRUE;
    LONG style = GetWindowLongA(child, GWL_STYLE);
    if ((style & SS_TYPEMASK) == SS_ICON) {
        if (SendMessageA(child, STM_GETICON, 0, 0) != 0) box->icon = true;
    } else {
        char text[2048] = "";
        GetWindowTextA(child, text, sizeof text);
        if (box->text.empty()) box->text = text;
    }
    return TRUE;
}

// The window as it stands on the screen, as a 24-bit bottom-up BMP file.
void SavePicture(HWND window, const char* path) {
    RECT r;
    if (!GetWindowRect(window, &r)) return;
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const DWORD stride = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
        const DWORD size = stride * static_cast<DWORD>(h);
        BITMAPFILEHEADER file = {};
        file.bfType = 0x4D42;
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + size;
        if (FILE* out = std::fopen(path, "wb")) {
            std::fwrite(&file, sizeof file, 1, out);
            std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
            std::fwrite(bits, 1, size, out);
            std::fclose(out);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Every file the pattern names, in its folder.
void DeleteMatching(const std::string& pattern) {
    const size_t slash = pattern.find_last_of('\\');
    const std::string folder = slash == std::string::npos ? "" : pattern.substr(0, slash + 1);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do DeleteFileA((folder + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
}

std::string RunOther(const char* commandLine) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return "not started";
    std::string result = "timeout";
    DWORD code = 0;
    if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(process.hProcess, &code))
        result = std::to_string(code);
    else
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

void Record(const char* file, const std::string& content) {
    FILE* out = std::fopen(file, "wb");
    if (!out) return;
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    // Give up after two minutes in any case, so a broken run cannot hang the bench.
    for (int waited = 0; waited < 120000; waited += 50) {
        HWND box = FindWindowA("#32770", nullptr);
        if (box && IsWindowVisible(box)) {
            char title[1024] = "";
            GetWindowTextA(box, title, sizeof title);
            Box found;
            EnumChildWindows(box, VisitChild, reinterpret_cast<LPARAM>(&found));
            HWND ok = GetDlgItem(box, IDOK);
            int buttons = 0;
            for (HWND b = FindWindowExA(box, nullptr, "Button", nullptr); b;
                 b = FindWindowExA(box, b, "Button", nullptr))
                if (IsWindowVisible(b)) ++buttons;
            std::string record = std::string("title=") + title + "\ntext=" + found.text +
                                 "\nicon=" + (found.icon ? "1" : "0") +
                                 "\nbuttons=" + std::to_string(buttons) + "\n";
            if (argc > 3) {
                Sleep(300);  // let the box finish painting
                SavePicture(box, argv[3]);
            }
            char doomed[4096] = "";
            if (GetEnvironmentVariableA("BOXWATCH_DELETE", doomed, sizeof doomed) < sizeof doomed) {
                std::string list = std::string(doomed) + ";";
                for (size_t at = 0, next; (next = list.find(';', at)) != std::string::npos; at = next + 1)
                    if (next > at) DeleteMatching(list.substr(at, next - at));
            }
            char other[4096] = "";
            const DWORD length = GetEnvironmentVariableA("BOXWATCH_RUN", other, sizeof other);
            if (length > 0 && length < sizeof other) record += "other=" + RunOther(other) + "\n";
            Record(argv[1], record);
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(ok));
            return 0;
        }
        if (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) {
            Record(argv[1], "none\n");
            return 0;
        }
        Sleep(50);
    }
    Record(argv[1], "timeout\n");
    return 1;
}
