// Tarvik32's start-up: the application window that names the program on the
// task bar, the three windows, and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "error_box.h"
#include "main_window.h"
#include "modal_loop.h"
#include "outbuffer.h"
#include "real_steps.h"
#include "resource_ids.h"
#include "frm_directory.h"
#include "input_prompt.h"

namespace {

constexpr char kApplicationClass[] = "TApplication";

// The application window passes the focus on to the window it owns.
LRESULT CALLBACK ApplicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        if (HWND owned = GetWindow(window, GW_ENABLEDPOPUP)) SetFocus(owned);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The zero-sized owner of every window of the program: its title
// "Tarvik32" is what the task bar shows, while the main window's caption
// carries the version. Minimising it hides the windows it owns.
HWND CreateApplicationWindow(HINSTANCE instance) {
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = ApplicationWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TARVIK32));
    windowClass.lpszClassName = kApplicationClass;
    RegisterClassExA(&windowClass);
    const HWND window = CreateWindowExA(0, kApplicationClass, "Tarvik32",
                                        WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                        GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                                        nullptr, nullptr, instance, nullptr);
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

void RunMessageLoop(tarvik::TfrmCabMain& mainWindow) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

int Run(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    // The library is loaded by its bare name and the program moves its
    // current folder into user folders: keep the current folder out of the
    // DLL search so no "cab32.dll" planted there is ever loaded.
    SetDllDirectoryA("");

    const HWND application = CreateApplicationWindow(instance);
    tarvik::TfrmOutbuffer outbuffer(instance);
    tarvik::InputPrompt prompt(instance);
    tarvik::TfrmDirectory chooser(instance, prompt);
    tarvik::RealMainWindowSteps steps(outbuffer, [&chooser] { chooser.ShowModal(); });
    tarvik::TfrmCabMain::Options options;
    options.instance = instance;
    options.steps = &steps;
    options.outbuffer = &outbuffer;
    options.commandLine = GetCommandLineA();
    tarvik::TfrmCabMain mainWindow(options);
    if (!mainWindow.Create(application)) return 0;
    if (!chooser.Create(mainWindow.hwnd()) || !outbuffer.Create(mainWindow.hwnd())) return 0;
    mainWindow.Show();
    RunMessageLoop(mainWindow);
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    try {
        return Run(instance);
    } catch (const std::exception& error) {
        tarvik::ShowStandardErrorBox(nullptr, error.what());
    }
    return 0;
}
