#include "base/utf8_text.h"

// The code point of the sequence at *p, moving *p past it; -1 when it is
// no valid UTF-8 (and *p then past its first byte).
static long DecodeUtf8(const unsigned char **p)
{
    const unsigned char *s = *p;
    unsigned char lead = *s++;
    long point;
    int more;
    long least;   // the smallest code point the length may carry: shorter would be overlong
    if (lead < 0x80) {
        *p = s;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        point = lead & 0x1F, more = 1, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        point = lead & 0x0F, more = 2, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        point = lead & 0x07, more = 3, least = 0x10000;
    } else {
        *p = s;
        return -1;
    }
    for (; more > 0; more--, s++) {
        if ((*s & 0xC0) != 0x80) {
            *p = s;
            return -1;
        }
        point = point << 6 | (*s & 0x3F);
    }
    *p = s;
    if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
        return -1;
    return point;
}

int Utf8ToWide(const char *text, WideUnit *out, size_t outCount)
{
    const unsigned char *p = (const unsigned char *)text;
    size_t used = 0;
    while (*p) {
        long point = DecodeUtf8(&p);
        size_t need = point >= 0x10000 ? 2 : 1;
        if (point < 0 || used + need >= outCount) {
            if (outCount > 0)
                out[0] = 0;
            return 0;
        }
        if (need == 2) {
            point -= 0x10000;
            out[used++] = (WideUnit)(0xD800 + (point >> 10));
            out[used++] = (WideUnit)(0xDC00 + (point & 0x3FF));
        } else {
            out[used++] = (WideUnit)point;
        }
    }
    if (outCount == 0)
        return 0;
    out[used] = 0;
    return 1;
}

int WideToUtf8(const WideUnit *wide, size_t count, char *out, size_t outSize)
{
    size_t used = 0;
    for (size_t i = 0; i < count && wide[i]; i++) {
        unsigned long point = (unsigned short)wide[i];
        if (point >= 0xD800 && point <= 0xDBFF && i + 1 < count && (unsigned short)wide[i + 1] >= 0xDC00
            && (unsigned short)wide[i + 1] <= 0xDFFF) {
            point = 0x10000 + ((point - 0xD800) << 10) + ((unsigned short)wide[++i] - 0xDC00);
        } else if (point >= 0xD800 && point <= 0xDFFF) {
            used = outSize;   // a lone surrogate: no letter UTF-8 can spell
            break;
        }
        size_t need = point < 0x80 ? 1 : point < 0x800 ? 2 : point < 0x10000 ? 3 : 4;
        if (used + need >= outSize) {
            used = outSize;
            break;
        }
        if (need == 1) {
            out[used++] = (char)point;
            continue;
        }
        static const unsigned char kLead[5] = {0, 0, 0xC0, 0xE0, 0xF0};
        out[used] = (char)(kLead[need] | (point >> (6 * (need - 1))));
        for (size_t k = 1; k < need; k++)
            out[used + k] = (char)(0x80 | ((point >> (6 * (need - 1 - k))) & 0x3F));
        used += need;
    }
    if (outSize == 0)
        return 0;
    if (used >= outSize) {
        out[0] = 0;
        return 0;
    }
    out[used] = 0;
    return 1;
}

size_t Utf8WideLength(const char *text)
{
    const unsigned char *p = (const unsigned char *)text;
    size_t units = 0;
    while (*p)
        units += DecodeUtf8(&p) >= 0x10000 ? 2 : 1;
    return units;
}

int IsUtf8(const char *text)
{
    const unsigned char *p = (const unsigned char *)text;
    while (*p)
        if (DecodeUtf8(&p) < 0)
            return 0;
    return 1;
}
