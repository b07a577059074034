#include "install/quote_text.h"

#include <string.h>

char *AddQuotes(char *text, size_t size)
{
    size_t n = strlen(text);
    size_t opening = text[0] != '"';
    // The last character once the opening quote is in place: the text's own
    // last one, or that quote itself when the text was empty.
    char last = n > 0 ? text[n - 1] : '"';
    if (n + opening + (last != '"') >= size)
        return NULL;
    if (opening) {
        memmove(text + 1, text, n + 1);   // the terminator too
        text[0] = '"';
        n++;
    }
    if (text[n - 1] != '"')
        text[n++] = '"';
    text[n] = '\0';
    return text;
}

char *QuoteIfNeeded(char *text, size_t size)
{
    if (text[0] == '-' || text[0] == '^' || strpbrk(text, " &+,") != NULL)
        return AddQuotes(text, size);
    return text;
}
