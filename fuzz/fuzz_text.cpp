// Arbitrary texts through the bounded helpers, the mode choice and the
// settings path composition: nothing may be written past a buffer, every
// result is terminated, and a reported fit is a true fit. The formatter gives
// byte for byte what the host's snprintf gives for the conversions it knows,
// and the program's own C library functions what the host's give.
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "main/mode_text.h"
#include "registry/settings_text.h"
#include "base/bounded_text.h"
#include "base/utf8_text.h"
#include "common/canary.h"

#include <algorithm>
#include <string>

// The program's own C library functions, in a namespace beside the host's.
namespace own {
#include "main/cstring.cpp"
}

namespace {

int Sign(int v)
{
    return (v > 0) - (v < 0);
}

// Every function of src/main/cstring.cpp on the two texts, against the host's.
void CompareStringFunctions(const char *first, const char *second, unsigned char byte)
{
    size_t n = byte % 16;
    if (own::strlen(first) != strlen(first) || own::strnlen(first, n) != strnlen(first, n)
        || Sign(own::strcmp(first, second)) != Sign(strcmp(first, second))
        || Sign(own::strncmp(first, second, n)) != Sign(strncmp(first, second, n)))
        abort();
    // The terminator, a byte that is there, any byte, and one given as a negative int.
    for (int c : {0, (int)(unsigned char)first[0], (int)byte, (int)(signed char)byte})
        if (own::strchr(first, c) != strchr(first, c) || own::strrchr(first, c) != strrchr(first, c))
            abort();
    if (own::strcspn(first, second) != strcspn(first, second) || own::strspn(first, second) != strspn(first, second)
        || own::strpbrk(first, second) != strpbrk(first, second)
        || own::strstr(first, second) != strstr(first, second))
        abort();
    size_t common = std::min(strlen(first), strlen(second)) + 1;
    if (Sign(own::memcmp(first, second, common)) != Sign(memcmp(first, second, common)))
        abort();

    // Copies, fills and overlapping moves in both directions, inside buffers of 64 + 16.
    size_t len = std::min(strlen(first), (size_t)64);
    char ours[80], theirs[80];
    memset(ours, 'x', sizeof ours);
    memset(theirs, 'x', sizeof theirs);
    own::memcpy(ours + n, first, len);
    memcpy(theirs + n, first, len);
    own::memset(ours + len / 2, byte, n);
    memset(theirs + len / 2, byte, n);
    size_t from = byte >> 4, to = byte & 15;
    own::memmove(ours + to, ours + from, len);
    memmove(theirs + to, theirs + from, len);
    if (memcmp(ours, theirs, sizeof ours) != 0)
        abort();
}

// FormatText and snprintf on the same format, arguments and size: the same
// bytes up to the terminator, a fit exactly when snprintf needed less than
// size, and no byte written past size.
// The formats are made from the input on purpose.
#pragma clang diagnostic ignored "-Wformat-security"
#pragma clang diagnostic ignored "-Wformat-nonliteral"

template <typename... Args>
void CompareWithSnprintf(size_t size, const char *format, Args... args)
{
    unsigned char ours[96 + 32];
    memset(ours, kCanary, sizeof ours);
    int fit = FormatText((char *)ours, size, format, args...);
    RequireCanary(ours, size, sizeof ours);
    char theirs[96];
    int need = snprintf(theirs, size, format, args...);
    if (need < 0 || fit != (size > 0 && (size_t)need < size))
        abort();
    if (size > 0 && strcmp((char *)ours, theirs) != 0)
        abort();
}

// The arguments of conversion `depth` and the ones after it, by kind:
// 's' %s, 'p' %.*s, 'd' %d, 'u' %u; any other kind ends the list.
template <int Depth, typename... Args>
void FormatWithKinds(size_t size, const char *format, const char *kinds, const char *const *texts,
                     const int *numbers, Args... args)
{
    if constexpr (Depth < 3) {
        switch (kinds[Depth]) {
        case 's':
            return FormatWithKinds<Depth + 1>(size, format, kinds, texts, numbers, args..., texts[Depth]);
        case 'p':
            return FormatWithKinds<Depth + 1>(size, format, kinds, texts, numbers, args..., numbers[Depth],
                                              texts[Depth]);
        case 'd':
            return FormatWithKinds<Depth + 1>(size, format, kinds, texts, numbers, args..., numbers[Depth]);
        case 'u':
            return FormatWithKinds<Depth + 1>(size, format, kinds, texts, numbers, args...,
                                              (unsigned)numbers[Depth]);
        }
    }
    CompareWithSnprintf(size, format, args...);
}

// Input: the buffer size, a byte of three 2-bit conversion kinds, three
// numbers of 4 bytes (precisions and values, INT_MIN and negatives
// included), then the texts: literal text and the arguments, split at NULs.
void FuzzFormatter(const uint8_t *data, size_t size)
{
    if (size < 14)
        return;
    size_t bufferSize = data[0] % 96;
    int numbers[3];
    memcpy(numbers, data + 2, sizeof numbers);
    // Small precisions as often as large ones: they cut inside the text.
    for (int &n : numbers)
        if (n & 0x100)
            n %= 16;
    static const char kKinds[] = "spdu";
    static const char *const kSpecs[] = {"%s", "%.*s", "%d", "%u"};
    int count = data[1] >> 6;   // 0 to 3 conversions
    char kinds[4] = {};
    std::string literal[4];
    char *texts[3] = {};
    // The texts are split at NULs and each copied to a buffer of its own size,
    // so a precision beyond a text's end shows as a read past it.
    const char *rest = (const char *)data + 14, *end = (const char *)data + size;
    std::string pieces[7];
    for (std::string &piece : pieces) {
        const char *stop = (const char *)memchr(rest, 0, end - rest);
        piece.assign(rest, stop ? stop : end);
        rest = stop ? stop + 1 : end;
    }
    for (int i = 0; i < 4; i++)
        for (char c : pieces[i])   // literal '%' doubled: snprintf knows no other rule for it
            literal[i] += c == '%' ? std::string("%%") : std::string(1, c);
    std::string format = literal[0];
    for (int i = 0; i < count; i++) {
        int kind = (data[1] >> (2 * i)) & 3;
        kinds[i] = kKinds[kind];
        format += kSpecs[kind] + literal[i + 1];
        texts[i] = (char *)malloc(pieces[4 + i].size() + 1);
        memcpy(texts[i], pieces[4 + i].c_str(), pieces[4 + i].size() + 1);
    }
    FormatWithKinds<0>(bufferSize, format.c_str(), kinds, texts, numbers);
    for (char *text : texts)
        free(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 2)
        return 0;
    // First byte: buffer size; the rest: two texts split at the first NUL.
    size_t bufferSize = data[0] % 96;
    char input[4097];
    size_t length = size - 1 < 4096 ? size - 1 : 4096;
    memcpy(input, data + 1, length);
    input[length] = 0;
    const char *first = input;
    const char *second = input + strlen(input);
    if (second < input + length)
        second++;

    unsigned char buffer[96 + 32];
    memset(buffer, kCanary, sizeof buffer);
    char *text = (char *)buffer;

    // UTF-8 and UTF-16 both ways: what converts comes back as it was, and
    // a buffer of bufferSize is never written past.
    WideUnit wide[96 + 32];
    memset(wide, kCanary, sizeof wide);
    if (Utf8ToWide(first, wide, bufferSize)) {
        char back[4 * 96];
        if (!IsUtf8(first) || !WideToUtf8(wide, (size_t)-1, back, sizeof back) || strcmp(back, first) != 0
            || wide[Utf8WideLength(first)] != 0)
            abort();
    } else if (bufferSize > Utf8WideLength(first) && IsUtf8(first)) {
        abort();   // it fit and was UTF-8, yet was refused
    }
    RequireCanary((unsigned char *)wide, bufferSize * sizeof(WideUnit), sizeof wide);
    WideUnit units[48];
    size_t count = length / 2 < 48 ? length / 2 : 48;
    memcpy(units, input, count * sizeof(WideUnit));
    if (WideToUtf8(units, count, text, bufferSize)) {
        WideUnit again[49];
        size_t used = 0;
        while (used < count && units[used])
            used++;
        if (!Utf8ToWide(text, again, 49) || memcmp(again, units, used * sizeof(WideUnit)) != 0 || again[used] != 0)
            abort();
    }
    RequireCanary(buffer, bufferSize, sizeof buffer);
    memset(buffer, kCanary, sizeof buffer);

    int fit = CopyText(text, bufferSize, first);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (bufferSize > 0 && (strlen(text) >= bufferSize || (fit && strcmp(text, first) != 0)))
        abort();
    fit = AppendText(text, bufferSize, second);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (bufferSize > 0 && strlen(text) >= bufferSize)
        abort();

    memset(buffer, kCanary, sizeof buffer);
    fit = FormatText(text, bufferSize, "%s\\%s", first, second);
    RequireCanary(buffer, bufferSize, sizeof buffer);
    if (fit && strlen(text) != strlen(first) + 1 + strlen(second))
        abort();

    memset(buffer, kCanary, sizeof buffer);
    if (ComposeSettingsPathText(text, bufferSize, second, first, data[0] & 1)) {
        if (strlen(text) >= bufferSize)
            abort();
    } else if (bufferSize > 0 && text[0] != 0) {
        abort();   // a path that does not fit is refused whole
    }
    RequireCanary(buffer, bufferSize, sizeof buffer);

    memset(buffer, kCanary, sizeof buffer);
    if (bufferSize > 0) {
        CopyText(text, bufferSize, first);
        size_t before = strlen(text);
        if (AppendPathSeparator(text, bufferSize, (char)data[0])) {
            size_t after = strlen(text);
            if (after != before && after != before + 1)
                abort();
        }
        RequireCanary(buffer, bufferSize, sizeof buffer);
    }

    // Disjointness is symmetric, and a path is never disjoint from itself.
    if (RegistryPathsDisjoint(first, second) != RegistryPathsDisjoint(second, first))
        abort();
    if (RegistryPathsDisjoint(first, first))
        abort();
    const char *rest = CommandLineAfterProgramName(first);
    if (rest < first || rest > first + strlen(first))
        abort();
    ChooseMode(rest);

    FuzzFormatter(data, size);
    CompareStringFunctions(first, second, data[0]);
    return 0;
}
