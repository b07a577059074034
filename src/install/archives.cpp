#include "archives.h"

int AssociateArchives(void)
{
    return 0;   // the associations are not built yet
}
