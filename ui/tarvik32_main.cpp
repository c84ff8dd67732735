// Tarvik32's start-up: the application window that names the program on the
// task bar, the three windows, and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <exception>

#include "application_window.h"
#include "error_box.h"
#include "main_window.h"
#include "modal_loop.h"
#include "outbuffer.h"
#include "real_steps.h"
#include "frm_directory.h"
#include "input_prompt.h"

namespace {

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

    tarvik::ApplicationWindow application(instance);
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
    if (!mainWindow.Create(application.hwnd())) return 0;
    application.SetMainWindow(mainWindow.hwnd());
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
