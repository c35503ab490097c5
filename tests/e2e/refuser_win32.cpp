// A program whose user cancels the end of the session to save a document: its
// window answers no to every WM_QUERYENDSESSION. Usage: refuser <count file>
// <stop flag>. It writes "up" to the count file once its window exists, then the
// number of requests it refused after each one, and ends when the stop flag
// exists (or after five minutes).
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

const char* g_countFile = nullptr;
int g_refused = 0;

void Record(const std::string& text) {
    if (FILE* out = std::fopen(g_countFile, "wb")) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
}

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        Record("refused=" + std::to_string(++g_refused) + "\n");
        return FALSE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    g_countFile = argv[1];
    WNDCLASSA kind = {};
    kind.lpfnWndProc = Proc;
    kind.hInstance = GetModuleHandleA(nullptr);
    kind.lpszClassName = "TarnboltRefuser";
    RegisterClassA(&kind);
    HWND window = CreateWindowA("TarnboltRefuser", "Unsaved document", WS_OVERLAPPEDWINDOW, 0, 0,
                                200, 100, nullptr, nullptr, kind.hInstance, nullptr);
    if (!window) return 1;
    Record("up\n");
    for (int waited = 0; waited < 300000; waited += 50) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
        if (GetFileAttributesA(argv[2]) != INVALID_FILE_ATTRIBUTES) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    DestroyWindow(window);
    return 0;
}
