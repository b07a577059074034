#include "base/codepage_text.h"

// Code pages that take no flag at all, and whose converter must not be asked
// whether it used its default character: UTF-7, UTF-8, the ISO-2022 and HZ
// pages, GB18030, ISCII (57002 to 57011) and Symbol. UTF-8 and GB18030 would
// take WC_ERR_INVALID_CHARS, but only from Windows Vista on; a letter they
// cannot hold shows when the result is widened again.
static int TakesNoFlags(unsigned codePage)
{
    static const unsigned kPages[] = {42, 50220, 50221, 50222, 50225, 50227, 50229, 52936, 54936, 65000, 65001};
    for (unsigned page : kPages)
        if (page == codePage)
            return 1;
    return codePage >= 57002 && codePage <= 57011;
}

NarrowingArguments NarrowingArgumentsFor(unsigned codePage)
{
    NarrowingArguments arguments = {NARROW_NO_BEST_FIT, 1};
    if (TakesNoFlags(codePage)) {
        arguments.flags = 0;
        arguments.tellsLoss = 0;
    }
    return arguments;
}
