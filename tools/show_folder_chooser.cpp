// Shows the folder chooser for a number of seconds (first argument, default
// 5), opened at a folder (second argument, default the current folder), so
// that a screenshot can be taken. A third argument "prompt" also opens the
// new-folder prompt.
#include <windows.h>

#include <cstdlib>
#include <string>

#include "Frmdirctory/frm_directory.h"
#include "input_prompt.h"
#include "modal_steps.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    if (argc > 2) SetCurrentDirectoryA(argv[2]);
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    tarvik::InputPrompt prompt(instance);
    tarvik::SystemMessageBoxes boxes;
    tarvik::TfrmDirectory chooser(instance, prompt, boxes);
    if (!chooser.Create(nullptr)) return 1;
    // A quit message ends the modal showing.
    struct Closer {
        static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }
    };
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, Closer::Close);
    if (argc > 3 && std::string(argv[3]) == "prompt")
        PostMessageA(chooser.hwnd(), WM_COMMAND, MAKEWPARAM(tarvik::TfrmDirectory::IdButton1, BN_CLICKED), 0);
    chooser.ShowModal();
    return 0;
}
