#include "install/locale.h"
#include "registry/settings.h"
#include "registry/regkey.h"
#include "base/process.h"
#include "base/bounded_text.h"

#include <string.h>

#define LOCALE_ROWS 3
#define DISTRIBUTION_SIZE 256
#define XLAT_TABLE_SIZE 80
#define XLAT_RULES_SIZE 20
#define LOCALE_VALUE_SIZE 32

// Byte weights of the code table detection, one per byte value. The lower
// half is built by ComposeDistribution; the upper half holds the language's
// letters in the DOS code pages (437/850 for German, 866 for Russian and
// Ukrainian), as runs: the offset of the run's first byte from 0x80, the
// number of bytes and the bytes. A count of 0 ends a row; bytes in no run
// weigh 0.
static const unsigned char kDistributionGerman[] = {
    0x01, 4,   // 0x81-0x84
        0xd8, 0x00, 0x00, 0xe2,
    0x0e, 1,   // 0x8E
        0xfe,
    0x14, 1,   // 0x94
        0xd8,
    0x19, 2,   // 0x99-0x9A
        0xd8, 0xc5,
    0x61, 1,   // 0xE1
        0x8d,
    0, 0,
};
static const unsigned char kDistributionRussian[] = {
    0x00, 48,   // 0x80-0xAF
        0xc0, 0x27, 0x68, 0x26, 0x48, 0xbc, 0x16, 0x2c, 0x98, 0x18, 0x54, 0x72, 0x4c, 0x9b, 0xfa, 0x46,
        0x65, 0x7a, 0x8e, 0x42, 0x04, 0x14, 0x08, 0x22, 0x15, 0x08, 0x00, 0x2c, 0x28, 0x09, 0x0c, 0x38,
        0xc7, 0x25, 0x68, 0x24, 0x44, 0xca, 0x17, 0x2b, 0xad, 0x1c, 0x4f, 0x77, 0x4c, 0x9b, 0xfe, 0x44,
    0x33, 1,   // 0xB3
        0x01,
    0x44, 1,   // 0xC4
        0x04,
    0x60, 16,   // 0xE0-0xEF
        0x73, 0x77, 0x94, 0x42, 0x05, 0x13, 0x0b, 0x23, 0x13, 0x09, 0x00, 0x2f, 0x30, 0x06, 0x0f, 0x35,
    0, 0,
};
static const unsigned char kDistributionUkrainian[] = {
    0x00, 48,   // 0x80-0xAF
        0x05, 0x03, 0x06, 0x02, 0x03, 0x01, 0x00, 0x03, 0x00, 0x00, 0x04, 0x01, 0x03, 0x06, 0x02, 0x05,
        0x02, 0x07, 0x06, 0x01, 0x00, 0x03, 0x00, 0x01, 0x00, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03,
        0xf6, 0x37, 0x9c, 0x30, 0x5a, 0x89, 0x1b, 0x3c, 0xba, 0x2a, 0x5b, 0x7e, 0x5a, 0xa3, 0xfe, 0x47,
    0x60, 24,   // 0xE0-0xF7
        0x73, 0x7c, 0x84, 0x65, 0x02, 0x24, 0x10, 0x23, 0x19, 0x0e, 0x00, 0x00, 0x30, 0x00, 0x19, 0x3e,
        0x00, 0x00, 0x00, 0x0a, 0x00, 0x11, 0x07, 0x95,
    0, 0,
};

// The Latin side of the transliteration: the US keyboard's characters, each
// paired by position with the character of the row's Table1.
static const unsigned char kXlatLatin[XLAT_TABLE_SIZE] = {
    0x23, 0x46, 0x44, 0x55, 0x4c, 0x54, 0x3a, 0x50, 0x42, 0x51, 0x52, 0x4b, 0x56, 0x59, 0x4a, 0x47,
    0x48, 0x43, 0x4e, 0x45, 0x41, 0x7b, 0x57, 0x58, 0x49, 0x4f, 0x7d, 0x53, 0x4d, 0x5a, 0x66, 0x64,
    0x75, 0x6c, 0x74, 0x3b, 0x70, 0x62, 0x71, 0x72, 0x6b, 0x76, 0x79, 0x6a, 0x67, 0x68, 0x63, 0x6e,
    0x65, 0x61, 0x5b, 0x77, 0x78, 0x69, 0x6f, 0x5d, 0x73, 0x6d, 0x27, 0x7a, 0x60, 0x7e, 0x3c, 0x3e,
    0x22,
};

// The same keys on the Russian layout, in code page 866.
static const unsigned char kXlatCyrillic[XLAT_TABLE_SIZE] = {
    0xfc, 0x80, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8a, 0x8b, 0x8c, 0x8d, 0x8e, 0x8f,
    0x90, 0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9a, 0x9b, 0x9c, 0x9f, 0xa0, 0xa2,
    0xa3, 0xa4, 0xa5, 0xa6, 0xa7, 0xa8, 0xa9, 0xaa, 0xab, 0xac, 0xad, 0xae, 0xaf, 0xe0, 0xe1, 0xe2,
    0xe3, 0xe4, 0xe5, 0xe6, 0xe7, 0xe8, 0xe9, 0xea, 0xeb, 0xec, 0xed, 0xef, 0xf1, 0xf0, 0x81, 0x9e,
    0x9d,
};

// Punctuation that moves between keys on the Russian layout (0xa1 is б and
// 0xee is ю in code page 866). The German row has no rules: zero bytes, which
// need no room in the file.
static const unsigned char kCyrillicRules[3][XLAT_RULES_SIZE] = {
    {0x2c, 0x3f, 0x2e, 0x2f, 0xa1, 0x2c, 0xee, 0x2e},
    {0x3f, 0x2c, 0x2f, 0x2e, 0x2c, 0xa1, 0x2e, 0xee, 0xee, 0x2e, 0xa1, 0x2c},
    {0x2f, 0x2e, 0x2e, 0xee, 0xee, 0x2f, 0x3f, 0x2c, 0x2c, 0xa1, 0xa1, 0x3f},
};
static unsigned char s_noRules[3][XLAT_RULES_SIZE];

// The control characters that count as text: line feed and carriage return
// in every row; form feed and the end-of-file mark in the Russian one too.
#define LINE_ENDS ((1ul << '\n') | (1ul << '\r'))
#define PAGE_BREAKS ((1ul << '\f') | (1ul << 0x1A))

struct LocaleRow {
    char id[9];   // the "Locale" text of the current user, with its terminator
    unsigned long controlText;   // bit n set: control character n weighs 0xFF
    const unsigned char *distributionRuns;   // the upper half
    const unsigned char *table1;
    const unsigned char (*rules)[XLAT_RULES_SIZE];
};

static const LocaleRow kLocaleRows[LOCALE_ROWS] = {
    {"00000407", LINE_ENDS, kDistributionGerman, kXlatLatin, s_noRules},
    {"00000419", LINE_ENDS | PAGE_BREAKS, kDistributionRussian, kXlatCyrillic, kCyrillicRules},
    {"00000422", LINE_ENDS, kDistributionUkrainian, kXlatCyrillic, kCyrillicRules},
};

// The whole table of row into out (DISTRIBUTION_SIZE). Its lower half is the
// same rule for every row: the printable characters (0x20 to 0x7F) and the
// line ends weigh 0xFF, the other control characters 0; the Russian row also
// counts form feeds and end-of-file marks.
static void ComposeDistribution(unsigned char *out, const LocaleRow *row)
{
    for (int i = 0; i < DISTRIBUTION_SIZE / 2; i++)
        out[i] = (i >= 0x20 || (row->controlText >> i & 1)) ? 0xFF : 0;
    memset(out + DISTRIBUTION_SIZE / 2, 0, DISTRIBUTION_SIZE / 2);
    for (const unsigned char *run = row->distributionRuns; run[1] != 0; run += 2 + run[1])
        memcpy(out + DISTRIBUTION_SIZE / 2 + run[0], run + 2, run[1]);
}

// Reads a value of any type into buffer, allowing LOCALE_VALUE_SIZE bytes;
// 1 when read whole.
static int QueryLocaleValue(HKEY root, const char *path, const char *valueName, BYTE *buffer)
{
    DWORD size = LOCALE_VALUE_SIZE;
    return ReadRegistryValue(root, path, valueName, buffer, &size);
}

// The row whose id equals the locale text, or NULL. The id and its terminator
// are compared as bytes, so a value without a terminator inside the buffer is
// never read past its end.
static const LocaleRow *FindLocaleRow(const BYTE *locale)
{
    for (int i = 0; i < LOCALE_ROWS; i++)
        if (memcmp(locale, kLocaleRows[i].id, sizeof kLocaleRows[i].id) == 0)
            return &kLocaleRows[i];
    return NULL;
}

void SetLocaleDefaults(void)
{
    BYTE buffer[LOCALE_VALUE_SIZE];
    memset(buffer, 0, sizeof buffer);
    // The gate: the default value of HKEY_CLASSES_ROOT\Vel begins with '1'.
    if (!QueryLocaleValue(HKEY_CLASSES_ROOT, "Vel", "", buffer) || buffer[0] != '1')
        return;
    // The buffer keeps the gate's bytes behind a shorter locale value.
    if (!QueryLocaleValue(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", buffer))
        return;
    const LocaleRow *row = FindLocaleRow(buffer);
    if (!row)
        return;

    if (!SettingExists("CodeTables", "Distribution")) {
        unsigned char distribution[DISTRIBUTION_SIZE];
        ComposeDistribution(distribution, row);
        WriteSettingBinary("CodeTables", "Distribution", distribution, DISTRIBUTION_SIZE);
        WriteSettingDword("Editor", "AutoDetectTable", 1);
        WriteSettingDword("Viewer", "AutoDetectTable", 1);
    }
    if (SettingExists("XLat", NULL))
        return;
    WriteSettingDword("XLat", "Flags", g_versionInfo.dwPlatformId == VER_PLATFORM_WIN32_NT ? 1 : 0);
    WriteSettingBinary("XLat", "Table1", row->table1, XLAT_TABLE_SIZE);
    WriteSettingBinary("XLat", "Table2", kXlatLatin, XLAT_TABLE_SIZE);
    for (int i = 0; i < 3; i++) {
        char rulesName[16];
        FormatText(rulesName, sizeof rulesName, "Rules%d", i + 1);   // "Rules1" to "Rules3"
        WriteSettingBinary("XLat", rulesName, row->rules[i], XLAT_RULES_SIZE);
    }
}
