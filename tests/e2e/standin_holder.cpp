// Stands in for a program that holds the product's files: with a visible
// window of class "VelHolder" titled by its own path, it runs until asked to
// close (WM_CLOSE, or the end of the session) and holds a file open while it
// runs. Put in the program directory as "Vel.exe" it is the file manager
// still running; elsewhere, another program that holds a listed file.
// Words: "ignore-close" (a program that does not close when asked),
// "hold=<path>" (held open with no sharing) or "hold-shared=<path>" (with
// read, write and delete sharing).
#include <windows.h>
#include <string.h>

static int s_ignoreClose;

static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE && s_ignoreClose)
        return 0;
    if (message == WM_DESTROY || (message == WM_ENDSESSION && wParam))
        PostQuitMessage(0);
    return DefWindowProcA(window, message, wParam, lParam);
}

// The text after prefix in the command line's word that starts with it ("" when none).
static void WordAfter(const char *commandLine, const char *prefix, char *out, size_t size)
{
    out[0] = 0;
    const char *found = strstr(commandLine, prefix);
    if (!found)
        return;
    found += strlen(prefix);
    size_t len = strcspn(found, " ");
    if (len < size) {
        memcpy(out, found, len);
        out[len] = 0;
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    s_ignoreClose = strstr(commandLine, "ignore-close") != NULL;
    char path[MAX_PATH];
    HANDLE held = INVALID_HANDLE_VALUE;
    WordAfter(commandLine, "hold=", path, sizeof path);
    if (path[0])
        held = CreateFileA(path, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL);
    WordAfter(commandLine, "hold-shared=", path, sizeof path);
    if (path[0])
        held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                           OPEN_EXISTING, 0, NULL);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "VelHolder";
    RegisterClassA(&windowClass);
    char title[MAX_PATH];
    GetModuleFileNameA(NULL, title, sizeof title);
    HWND window = CreateWindowA("VelHolder", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, NULL, NULL,
                                instance, NULL);
    if (!window)
        return 1;
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    if (held != INVALID_HANDLE_VALUE)
        CloseHandle(held);
    return 0;
}
