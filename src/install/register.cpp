#include "register.h"

int RunRegistration(const char *)
{
    return 0;   // the registration sequence is not built yet
}
