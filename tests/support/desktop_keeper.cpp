// Keeps Wine's desktop open for a whole test run. Wine starts its desktop
// process (explorer /desktop) for the first program that uses windows and
// ends it about a second after the last one has gone; a desktop started by
// a test program inherits that test's output pipe, and CTest then waits for
// the pipe until its time-out although the test has long passed. The test
// command starts this program first, with its output going nowhere, and
// ends it with the Wine server.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    GetDesktopWindow();  // joins the desktop, which starts it
    Sleep(INFINITE);
    return 0;
}
