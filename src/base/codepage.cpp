#include "base/codepage.h"
#include "base/codepage_text.h"
#include "base/utf8_text.h"
#include "base/process.h"
#include "base/bounded_text.h"

static_assert(NARROW_NO_BEST_FIT == WC_NO_BEST_FIT_CHARS, "the flag's value as the system defines it");
static_assert(sizeof(WCHAR) == sizeof(WideUnit), "one UTF-16 unit");

int WidenText(UINT codePage, const char *text, WCHAR *out, int outCount)
{
    // Flags 0: the one choice every code page takes.
    if (MultiByteToWideChar(codePage, 0, text, -1, out, outCount) > 0)
        return 1;
    if (outCount > 0)
        out[0] = 0;
    return 0;
}

// 1 when the two UTF-16 texts are the same, unit by unit.
static int SameWideText(const WCHAR *a, const WCHAR *b)
{
    for (; *a == *b; a++, b++)
        if (*a == 0)
            return 1;
    return 0;
}

// The number of the code page that codePage stands for.
static UINT ResolveCodePage(UINT codePage)
{
    if (codePage == CP_ACP)
        return GetACP();
    if (codePage == CP_OEMCP)
        return GetOEMCP();
    return codePage;
}

int NarrowTextExactly(UINT codePage, const WCHAR *wide, char *out, int outSize)
{
    NarrowingArguments arguments = NarrowingArgumentsFor(ResolveCodePage(codePage));
    BOOL lost = FALSE;
    int exact = WideCharToMultiByte(codePage, arguments.flags, wide, -1, out, outSize, NULL,
                                    arguments.tellsLoss ? &lost : NULL) > 0
        && !lost;
    if (exact && !arguments.tellsLoss) {
        // Widened again, a lost letter shows as another one.
        WCHAR back[CONVERTED_TEXT_SIZE];
        exact = WidenText(codePage, out, back, CONVERTED_TEXT_SIZE) && SameWideText(back, wide);
    }
    if (!exact && outSize > 0)
        out[0] = 0;
    return exact;
}

int TextIsUtf8(void)
{
    // Windows 95/98/Me is the exception: a platform not asked for yet is NT's.
    return g_versionInfo.dwPlatformId != VER_PLATFORM_WIN32_WINDOWS;
}

int TextToWide(const char *text, WCHAR *out, int outCount)
{
    if (TextIsUtf8())
        return Utf8ToWide(text, out, (size_t)outCount);
    return WidenText(CP_ACP, text, out, outCount);
}

int WideToText(const WCHAR *wide, char *out, int outSize)
{
    if (TextIsUtf8())
        return WideToUtf8(wide, (size_t)-1, out, (size_t)outSize);
    return NarrowTextExactly(CP_ACP, wide, out, outSize);
}

int AnsiToText(const char *ansi, char *out, int outSize)
{
    if (!TextIsUtf8())
        return CopyText(out, (size_t)outSize, ansi);
    WCHAR wide[CONVERTED_TEXT_SIZE];
    return WidenText(CP_ACP, ansi, wide, CONVERTED_TEXT_SIZE) && WideToText(wide, out, outSize);
}
