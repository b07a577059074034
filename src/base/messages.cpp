#include "base/messages.h"

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
