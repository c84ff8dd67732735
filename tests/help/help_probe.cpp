// help_probe HELPFILE contents|intro|finder
// Sends the help viewer the request the program's Help menu sends for the
// contents (HELP_CONTEXT 1), the introduction (HELP_CONTEXT 4) or the
// finder (HELP_FINDER), with a window of its own as the owner.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    if (__argc != 3) return 2;
    const char* file = __argv[1];
    const char* what = __argv[2];
    UINT command = HELP_CONTEXT;
    ULONG_PTR data = 1;
    if (std::strcmp(what, "intro") == 0) {
        data = 4;
    } else if (std::strcmp(what, "finder") == 0) {
        command = HELP_FINDER;
        data = 0;
    } else if (std::strcmp(what, "contents") != 0) {
        return 2;
    }
    HWND owner = CreateWindowExA(0, "STATIC", "help probe", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    const BOOL sent = WinHelpA(owner, file, command, data);
    // Keep the owner alive while the viewer opens the file.
    Sleep(5000);
    if (owner) DestroyWindow(owner);
    return sent ? 0 : 1;
}
