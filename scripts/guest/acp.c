/* Prints the ANSI code page Wine gives Windows programs in this guest. */
#include <stdio.h>
#include <windows.h>

int main(void) {
    printf("ACP %u\n", GetACP());
    return 0;
}
