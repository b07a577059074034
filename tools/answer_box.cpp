// Demo helper: waits for the program's message box ("Uninstall VEL"), prints
// its text and answers it as a user would. Usage: answer_box yes|no|ok [ms]
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: answer_box yes|no|ok [milliseconds]\n");
        return 2;
    }
    int button = !_stricmp(argv[1], "yes") ? IDYES : !_stricmp(argv[1], "no") ? IDNO : IDOK;
    DWORD limit = argc > 2 ? (DWORD)atol(argv[2]) : 20000;
    DWORD start = GetTickCount();
    HWND box = NULL;
    while (!(box = FindWindowA("#32770", "Uninstall VEL"))) {
        if (GetTickCount() - start > limit) {
            printf("  (no message box appeared)\n");
            return 1;
        }
        Sleep(50);
    }
    Sleep(300);   // let the box finish drawing before it is read
    char text[1024] = "";
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    printf("  message box \"Uninstall VEL\": %s\n", text);
    printf("  answered: %s\n", argv[1]);
    fflush(stdout);
    PostMessageA(box, WM_COMMAND, button, 0);
    return 0;
}
