// Demo and bench helper: waits for the program's message box ("Uninstall VEL"),
// prints its text and answers it as a user would.
// Usage: answer_box yes|no|ok [ms [go-file]]
// With a go-file (the bench), it prints "ready" once it has read the box, waits
// until that file exists, answers, prints the moment it answered in
// microseconds since 1970 (the clock of the Unix side), and exits only once the
// file is gone again. So the bench reads its CPU counters while the program
// still waits, times the run from that moment, and this process's own exit
// falls outside the timed part. A later box of the program (the final message
// of a run whose self-removal cannot start) is answered OK at once, and the
// moment it was seen printed: there the program's work is done.
#define _WIN32_WINNT 0x0602   // GetSystemTimePreciseAsFileTime
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

// The Unix side's clock: 100 ns steps since 1601 to microseconds since 1970.
static unsigned long long MicrosecondsSince1970(void)
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    unsigned long long ticks = (unsigned long long)now.dwHighDateTime << 32 | now.dwLowDateTime;
    return (ticks - 116444736000000000ULL) / 10;
}

int main(int argc, char **argv)
{
    if (argc < 2) {
        fprintf(stderr, "usage: answer_box yes|no|ok [milliseconds [go-file]]\n");
        return 2;
    }
    int button = !_stricmp(argv[1], "yes") ? IDYES : !_stricmp(argv[1], "no") ? IDNO : IDOK;
    DWORD limit = argc > 2 ? (DWORD)atol(argv[2]) : 20000;
    const char *go = argc > 3 ? argv[3] : NULL;
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
    if (!go) {
        printf("  answered: %s\n", argv[1]);
        fflush(stdout);
        PostMessageA(box, WM_COMMAND, button, 0);
        // Gone before this ends, so that the next answer_box of a script
        // never finds this box again, while its owner is still tearing it
        // down, and answers it in place of the box that follows.
        start = GetTickCount();
        while (IsWindow(box) && GetTickCount() - start <= limit)
            Sleep(50);
        return 0;
    }

    printf("  ready\n");
    fflush(stdout);
    // The program is idle until the answer: a late look costs no measured time.
    while (GetFileAttributesA(go) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > limit) {
            printf("  (%s did not appear)\n", go);
            return 1;
        }
        Sleep(10);
    }
    PostMessageA(box, WM_COMMAND, button, 0);
    printf("  answered: %s\n  answered at: %llu\n", argv[1], MicrosecondsSince1970());
    fflush(stdout);
    // Sleep and a file's attributes need no wineserver round trip; the look
    // for a later box needs one every 20 ms, a few microseconds of the
    // wineserver's CPU time.
    start = GetTickCount();
    HWND told = NULL;
    while (GetFileAttributesA(go) != INVALID_FILE_ATTRIBUTES && GetTickCount() - start <= limit) {
        HWND next = FindWindowA("#32770", "Uninstall VEL");
        if (next && next != box && next != told && IsWindowVisible(next)) {
            if (!told) {
                printf("  told at: %llu\n", MicrosecondsSince1970());
                fflush(stdout);
            }
            PostMessageA(next, WM_COMMAND, IDOK, 0);
            told = next;
        }
        Sleep(20);
    }
    return 0;
}
