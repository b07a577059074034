#include "base/messages.h"
#include "base/bounded_text.h"
#include "base/process.h"
#include "base/codepage.h"

HINSTANCE g_instance;

static char s_messageSlots[5][MESSAGE_SLOT_SIZE];
static unsigned s_nextSlot;

const char *LoadMessageText(UINT id)
{
    // The first call of a run uses slot 1: the index advances before use.
    if (++s_nextSlot >= 5)
        s_nextSlot = 0;
    char *slot = s_messageSlots[s_nextSlot];
    slot[0] = 0;
    LoadStringA(g_instance, id, slot, MESSAGE_SLOT_SIZE);
    return slot;
}

int ShowMessage(const char *text, UINT flags)
{
    const char *caption = LoadMessageText(IDS_CAPTION);
    // The program's own text: on Windows NT a path or a word of any letters is shown as it is.
    WCHAR wideText[MESSAGE_TEXT_UNITS], wideCaption[MESSAGE_SLOT_SIZE];
    if (TextIsUtf8() && TextToWide(text, wideText, MESSAGE_TEXT_UNITS)
        && TextToWide(caption, wideCaption, MESSAGE_SLOT_SIZE))
        return MessageBoxW(NULL, wideText, wideCaption, flags | MESSAGE_FLAGS);
    return MessageBoxA(NULL, text, caption, flags | MESSAGE_FLAGS);
}

void ShowFinalMessage(void)
{
    char path[PATH_SIZE];
    GetModulePath(path);   // a cut path would name another file: none is shown

    // Text 202 is our own resource with one %s; anything else is shown as is.
    char deleteLine[1024];
    FormatText(deleteLine, sizeof deleteLine, LoadMessageText(IDS_DELETE_MANUALLY), path);
    // Text 201, a line break, then text 202 with the path. 199 + 1 + 199 + 259
    // characters and the terminator fit.
    char text[1024];
    FormatText(text, sizeof text, "%s\n%s", LoadMessageText(IDS_COMPLETED), deleteLine);

    ShowMessage(text, MB_OK | MB_ICONINFORMATION);
}
