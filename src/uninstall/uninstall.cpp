#include "uninstall.h"

void RunUninstall(void)
{
    // the uninstall sequence is not built yet
}
