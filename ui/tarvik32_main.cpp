// Tarvik32's start-up: the application window that names the program on the
// task bar, the three windows, and the message loop.
#include <windows.h>
#include <commctrl.h>

#include <stdexcept>

#include "application_window.h"
#include "callback_wall.h"
#include "error_box.h"
#include "frm_directory.h"
#include "input_prompt.h"
#include "main_window.h"
#include "outbuffer.h"
#include "real_steps.h"

namespace {

void RunMessageLoop(tarvik::TfrmCabMain& mainWindow) {
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (mainWindow.PreTranslateMessage(message)) continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void Run(HINSTANCE instance, tarvik::MessageBoxStep& boxes) {
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
    // The library is loaded by its bare name and the program moves its
    // current folder into user folders: keep the current folder out of the
    // DLL search so no "cab32.dll" planted there is ever loaded.
    SetDllDirectoryA("");

    tarvik::ApplicationWindow application(instance, boxes);
    tarvik::TfrmOutbuffer outbuffer(instance, boxes);
    tarvik::InputPrompt prompt(instance);
    tarvik::TfrmDirectory chooser(instance, prompt, boxes);
    tarvik::RealMainWindowSteps steps(outbuffer, [&chooser] { return chooser.ShowModal(); });
    tarvik::TfrmCabMain::Options options;
    options.instance = instance;
    options.steps = &steps;
    options.outbuffer = &outbuffer;
    options.commandLine = GetCommandLineW();  // names as the disk holds them
    tarvik::TfrmCabMain mainWindow(options);
    if (!mainWindow.Create(application.hwnd())) throw std::runtime_error("ウィンドウを作成できません");
    application.SetMainWindow(mainWindow.hwnd());
    if (!chooser.Create(mainWindow.hwnd()) || !outbuffer.Create(mainWindow.hwnd())) {
        throw std::runtime_error("ウィンドウを作成できません");
    }
    mainWindow.Show();
    RunMessageLoop(mainWindow);
}

}  // namespace

// An error that escapes start-up or the message loop is shown in the
// standard error box; the program then ends, with exit code 0 in any case.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    tarvik::SystemMessageBoxes boxes;
    try {
        Run(instance, boxes);
    } catch (...) {
        tarvik::ShowStandardErrorBox(boxes, nullptr, tarvik::CurrentExceptionText());
    }
    return 0;
}
