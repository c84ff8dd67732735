// Shows the folder chooser over a small owner window for a number of
// seconds (first argument, default 5), so that a screenshot can be taken.
#include <windows.h>

#include <cstdlib>

#include "Frmdirctory/frm_directory.h"
#include "input_prompt.h"

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    tarvik::InputPrompt prompt(instance);
    tarvik::TfrmDirectory chooser(instance, prompt);
    if (!chooser.Create(nullptr)) return 1;
    // A quit message ends the modal showing.
    struct Closer {
        static void CALLBACK Close(HWND, UINT, UINT_PTR, DWORD) { PostQuitMessage(0); }
    };
    SetTimer(nullptr, 0, static_cast<UINT>(seconds) * 1000, Closer::Close);
    chooser.ShowModal();
    return 0;
}
