/* Field values: integers in either byte order, packed and zoned decimals,
 * numeric text, floats and times, and their parsing from typed text. */
#include "fmtint.h"
#include <cmath>
#include <cstdio>
#include <ctime>

/* Zoned and numeric text mean the same bytes in every EBCDIC code page:
 * digits F0-F9, over-punched signs C0-C9 and D0-D9 (the zone is the sign),
 * "+" 4E and "-" 60; code page 500 shows them as the digits, "{", "A".."I",
 * "}", "J".."R", "+" and "-", so its table reads and writes them. */
static const unsigned char *ZoneTable()
{
    static const unsigned char *const zone = CSSingleByteToLatin1(500);
    return zone;
}

static unsigned char DigitChar(unsigned char c, int ebcdic)
{
    return ebcdic ? ZoneTable()[c] : c;
}

/* A decimal as it is read: its value, held at the largest 64-bit value
 * when it grows beyond, and its digits for display (the last ones when
 * there are more than fit). */
enum { MaxDecimalDigits = 96 };

struct Decimal {
    int64_t v;
    uint32_t n;
    char digits[MaxDecimalDigits];
};

static void AddDigit(Decimal *d, unsigned digit)
{
    d->v = d->v > (INT64_MAX - 9) / 10 ? INT64_MAX : d->v * 10 + digit;
    if (d->n == MaxDecimalDigits) {
        memmove(d->digits, d->digits + 1, MaxDecimalDigits - 1);
        d->n--;
    }
    d->digits[d->n++] = (char)('0' + digit);
}

/* Magnitude of a packed field's digit nibbles. */
static int64_t PackedToInt(const FmtFieldDef *f, const unsigned char *p, Decimal *d)
{
    for (uint32_t i = 0; i < f->length; i++) {
        AddDigit(d, (p[i] >> 4) % 10);
        if (i + 1 < f->length)
            AddDigit(d, (p[i] & 0xF) % 10);
    }
    return d->v;
}

static int64_t PackedToInt(const FmtFieldDef *f, const unsigned char *p)
{
    Decimal d;                          /* digits are written before they are read */
    d.v = 0;
    d.n = 0;
    return PackedToInt(f, p, &d);
}

static int PackedNegative(const FmtFieldDef *f, const unsigned char *p)
{
    unsigned sign = f->length ? p[f->length - 1] & 0xF : 0;
    return f->type == FT_PACKED && (sign == 0xB || sign == 0xD);
}

/* Zoned and numeric text: digits and the sign. */
static int64_t TextDecimal(const FmtFieldDef *f, const unsigned char *p, int ebcdic,
                           int *negative, int *valid, Decimal *d)
{
    *negative = 0;
    *valid = 1;
    uint32_t n = f->length;
    int signFirst = (f->flags & FF_SIGN_FIRST) != 0;
    for (uint32_t i = 0; i < n; i++) {
        unsigned char c = DigitChar(p[i], ebcdic);
        int isSignPos = signFirst ? i == 0 : i + 1 == n;
        if (f->type == FT_ZONED && isSignPos) {
            static const char pos[] = "{ABCDEFGHI", neg[] = "}JKLMNOPQR";
            const char *a = strchr(pos, c), *b = strchr(neg, c);
            if (c && a) { AddDigit(d, (unsigned)(a - pos)); continue; }
            if (c && b) { AddDigit(d, (unsigned)(b - neg)); *negative = 1; continue; }
        }
        if (f->type == FT_DIGITS && isSignPos && (c == '+' || c == '-')) {
            *negative = c == '-';               /* the sign as its own character, as written */
            continue;
        }
        if (c < '0' || c > '9') { *valid = 0; continue; }
        AddDigit(d, (unsigned)(c - '0'));
    }
    return d->v;
}

static int64_t TextDecimal(const FmtFieldDef *f, const unsigned char *p, int ebcdic,
                           int *negative, int *valid)
{
    Decimal d = {};
    return TextDecimal(f, p, ebcdic, negative, valid, &d);
}

int64_t FapGetFieldInt(const FmtFieldDef *f, const unsigned char *p, uint32_t encoding, int ebcdic)
{
    int neg, valid;
    switch (f->type) {
    case FT_PACKED: case FT_UPACKED: return PackedToInt(f, p);
    case FT_ZONED: case FT_DIGITS: return TextDecimal(f, p, ebcdic, &neg, &valid);
    case FT_CHAR:
        if (f->length < 4) {            /* short character codes: their own bytes only */
            int64_t v = 0;
            for (uint32_t i = 0; i < f->length; i++)
                v = v << 8 | p[i];
            return v;
        }
        break;
    }
    switch (FmtIntSize(f->type)) {
    case 1:
        return (f->type == FT_INT8 || f->type == FT_INT8H) ? (int64_t)(int8_t)p[0] : (int64_t)p[0];
    case 2: {
        uint16_t v = FmtRd16(p, encoding);
        return (f->type == FT_SHORT || f->type == FT_SHORTH) ? (int64_t)(int16_t)v : (int64_t)v;
    }
    case 4: {
        uint32_t v = FmtRd32(p, encoding);
        switch (f->type) {
        case FT_UINT: case FT_UINTH: case FT_FLAGS: case FT_ENCODING: return (int64_t)v;
        }
        return (int64_t)(int32_t)v;
    }
    case 8:
        return (int64_t)FmtRd64(p, encoding);
    }
    return 0;
}

/* As FapGetFieldInt, but decimal values keep their sign: row conditions
 * compare signed values; lengths and counts use the magnitude. */
int64_t FapGetFieldSigned(const FmtFieldDef *f, const unsigned char *p, uint32_t encoding, int ebcdic)
{
    int neg = 0, valid;
    switch (f->type) {
    case FT_PACKED: case FT_UPACKED:
        return PackedNegative(f, p) ? -PackedToInt(f, p) : PackedToInt(f, p);
    case FT_ZONED: case FT_DIGITS: {
        int64_t v = TextDecimal(f, p, ebcdic, &neg, &valid);
        return neg ? -v : v;
    }
    }
    return FapGetFieldInt(f, p, encoding, ebcdic);
}

double FapGetFieldFloat(const FmtFieldDef *f, const unsigned char *p, uint32_t encoding)
{
    /* byte order from the float part of the encoding; S/390 hex floats
       are made IEEE first */
    int reversed = (encoding & 0xF00) == 0x200 || ((encoding & 0xF00) == 0 && FmtReversed(encoding));
    uint32_t enc = reversed ? 2 : 1;
    unsigned char s390[8];
    if ((encoding & 0xF00) == 0x300 && (f->type == FT_FLOAT || f->type == FT_DOUBLE)) {
        memcpy(s390, p, f->type == FT_FLOAT ? 4 : 8);
        if (f->type == FT_FLOAT)
            CSConvertFloat32(s390, 0x300, 0x100);
        else
            CSConvertFloat64(s390, 0x300, 0x100);
        p = s390;
    }
    if (f->type == FT_FLOAT) {
        uint32_t b = FmtRd32(p, enc);
        float x;
        memcpy(&x, &b, 4);
        return x;
    }
    if (f->type == FT_DOUBLE) {
        uint64_t b = FmtRd64(p, enc);
        double x;
        memcpy(&x, &b, 8);
        return x;
    }
    return 0;
}

/* "%.*e" from ten thousand million on (either sign), else "%.*g". */
static int PrintFloat(char *out, double value, int digits)
{
    return (value >= 10000000000.0 || value <= -10000000000.0)
        ? snprintf(out, 64, "%.*e", digits - 1, value)
        : snprintf(out, 64, "%.*g", digits, value);
}

/* Nines that end a value printed at every digit it may have: the rounding
 * noise of a binary fraction (4.35 x 100 is 434.99999999999994), when
 * the run is at least half the digits. The significant digits, and the
 * nines among them, of the text before any exponent. */
static uint32_t NoiseNines(const char *out, uint32_t *significant)
{
    uint32_t sig = 0, nines = 0;
    int started = 0;
    for (const char *p = out; *p && *p != 'e'; p++) {
        if (*p < '0' || *p > '9')
            continue;
        started |= *p != '0';
        if (!started)
            continue;
        sig++;
        nines = *p == '9' ? nines + 1 : 0;
    }
    *significant = sig;
    return nines;
}

uint32_t FapFormatFloat(double value, char *out, uint32_t digits)
{
    if (!digits)
        digits = 16;
    int n = PrintFloat(out, value, (int)digits);
    uint32_t sig, nines = NoiseNines(out, &sig);
    if (strchr(out, '.') && sig == digits && nines < sig && nines >= 4 && nines >= digits / 2)
        n = PrintFloat(out, value, (int)(sig - nines));     /* rounds the digit before them up */
    char *e = strchr(out, 'e');
    char *dot = strchr(out, '.');
    if (!dot)
        return (uint32_t)n;
    char tail[16] = "";
    if (e) {
        snprintf(tail, sizeof tail, "%s", e);
        *e = 0;
    }
    char *end = out + strlen(out);
    while (end > dot + 1 && end[-1] == '0')
        *--end = 0;
    if (end == dot + 1)
        *--end = 0;
    strcat(out, tail);
    return (uint32_t)strlen(out);
}

/* Writes digits with the field's decimal places: "-", integer part, ".".
 * The digits shown are the read ones without leading zeros, padded with
 * zeros in front to at least one integer digit and the decimals. */
static uint32_t DecimalText(const FmtFieldDef *f, const Decimal *d, int negative, char *out)
{
    uint32_t decimals = f->decimals < MaxDecimalDigits ? f->decimals : MaxDecimalDigits - 1;
    uint32_t first = 0;
    while (first < d->n && d->digits[first] == '0')
        first++;
    uint32_t shown = d->n - first, n = shown > decimals ? shown : decimals + 1;
    uint32_t pad = n - shown, intDigits = n - decimals;
    uint32_t o = 0;
    if (negative)
        out[o++] = '-';
    else if (f->flags & FF_SHOW_PLUS)
        out[o++] = '+';
    for (uint32_t i = 0; i < n; i++) {
        if (i == intDigits)
            out[o++] = '.';
        out[o++] = i < pad ? '0' : d->digits[first + i - pad];
    }
    out[o] = 0;
    return o;
}

uint32_t FapFormatPacked(const FmtFieldDef *f, const unsigned char *p, uint32_t encoding, char *out)
{
    (void)encoding;
    Decimal d;                          /* digits are written before they are read */
    d.v = 0;
    d.n = 0;
    PackedToInt(f, p, &d);
    return DecimalText(f, &d, PackedNegative(f, p), out);
}

uint32_t FapFormatZoned(const FmtFieldDef *f, const unsigned char *p, int ebcdic, char *out, int *valid)
{
    int neg;
    Decimal d = {};
    TextDecimal(f, p, ebcdic, &neg, valid, &d);
    return DecimalText(f, &d, neg, out);
}

uint32_t FapFormatDigits(const FmtFieldDef *f, const unsigned char *p, int ebcdic, char *out, int *valid)
{
    int neg;
    Decimal d = {};
    TextDecimal(f, p, ebcdic, &neg, valid, &d);
    return DecimalText(f, &d, neg, out);
}

/* ---- times ---- */

static int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = (unsigned)(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + (int64_t)doe - 719468;
}

static int DaysInMonth(int y, int m)
{
    static const int days[] = { 31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31 };
    return m == 2 && ((y % 4 == 0 && y % 100) || y % 400 == 0) ? 29 : days[m - 1];
}

static int LocalOffsetMinutes(int64_t t)
{
    time_t tt = (time_t)t;
    struct tm lt, ut;
#ifdef _WIN32
    if (localtime_s(&lt, &tt) || gmtime_s(&ut, &tt))
        return 0;
#else
    if (!localtime_r(&tt, &lt) || !gmtime_r(&tt, &ut))
        return 0;
#endif
    int64_t l = DaysFromCivil(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday) * 1440 + lt.tm_hour * 60 + lt.tm_min;
    int64_t u = DaysFromCivil(ut.tm_year + 1900, ut.tm_mon + 1, ut.tm_mday) * 1440 + ut.tm_hour * 60 + ut.tm_min;
    return (int)(l - u);
}

uint32_t FapFormatTime64(int64_t value, uint32_t mode, char *out)
{
    if (value < -62135596800LL || value > 253402300799LL)
        return (uint32_t)sprintf(out, "00:00:00 00/00/0000");
    if (!(mode & 1))
        value += (int64_t)LocalOffsetMinutes(value) * 60;
    int64_t days = value >= 0 ? value / 86400 : (value - 86399) / 86400;
    int64_t secs = value - days * 86400;
    /* civil from days */
    int64_t z = days + 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = (unsigned)(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t y = (int64_t)yoe + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
    int a = (int)d, b = (int)m;
    if (mode & 2) { a = (int)m; b = (int)d; }
    return (uint32_t)sprintf(out, "%2.2d:%2.2d:%2.2d %2.2d/%2.2d/%4.4d", (int)(secs / 3600),
                             (int)(secs / 60 % 60), (int)(secs % 60), a, b, (int)y);
}

uint32_t FapFormatTime32(int64_t value, uint32_t mode, char *out)
{
    return FapFormatTime64((int64_t)(int32_t)value, mode, out);
}

int FapParseTime64(int64_t *out, uint32_t mode, int32_t minutesOffset, const char *text, uint32_t length)
{
    static const char shape[] = "00:00:00 00/00/0000";
    if (length != 19)
        return 0;
    for (int i = 0; i < 19; i++)
        if (shape[i] == '0' ? (text[i] < '0' || text[i] > '9') : text[i] != shape[i])
            return 0;
    int h, mi, s, a, b, y;
    char buf[20];
    memcpy(buf, text, 19);
    buf[19] = 0;
    if (sscanf(buf, "%2d:%2d:%2d %2d/%2d/%4d", &h, &mi, &s, &a, &b, &y) != 6)
        return 0;
    int d = a, m = b;
    if (mode & 2) { d = b; m = a; }
    if (h > 23 || mi > 59 || s > 59 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m))
        return 0;
    int64_t t = DaysFromCivil(y, (unsigned)m, (unsigned)d) * 86400 + h * 3600 + mi * 60 + s;
    if (!(mode & 1))
        t -= (int64_t)minutesOffset * 60;
    *out = t;
    return 1;
}

int FapParseTime32(int32_t *out, uint32_t mode, int32_t minutesOffset, const char *text, uint32_t length)
{
    int64_t t;
    if (!FapParseTime64(&t, mode, minutesOffset, text, length) || t < INT32_MIN || t > INT32_MAX)
        return 0;
    *out = (int32_t)t;
    return 1;
}

/* ---- decimals from typed text ---- */

int FapCheckNumber(const FmtFieldDef *f, const char *text, uint32_t length)
{
    if (!length)
        return 0;
    uint32_t intDigits = 0, decDigits = 0, i = 0;
    int dot = 0;
    if (text[0] == '-') {
        if (f->type == FT_UPACKED)
            return 0;
        i = 1;
    } else if (text[0] == '+') {
        if (f->type != FT_ZONED && f->type != FT_DIGITS)
            return 0;
        i = 1;
    }
    for (; i < length; i++) {
        char c = text[i];
        if (c == '.') {
            if (dot || !f->decimals || !intDigits)
                return 0;
            dot = 1;
        } else if (c >= '0' && c <= '9') {
            (dot ? decDigits : intDigits)++;
        } else {
            return 0;
        }
    }
    uint32_t maxInt = f->digits;
    if (intDigits > maxInt && !(maxInt == 0 && intDigits == 1 && text[length - 1 - decDigits - dot] == '0'))
        return 0;
    return intDigits + decDigits > 0 && decDigits <= f->decimals;
}

/* Splits checked text into sign and the digits padded to the field. */
static int DigitsOf(const FmtFieldDef *f, const char *text, uint32_t length, char *digits,
                    uint32_t count, int *negative)
{
    if (!FapCheckNumber(f, text, length))
        return 0;
    const char *dot = (const char *)memchr(text, '.', length);
    uint32_t start = (text[0] == '-' || text[0] == '+') ? 1 : 0;
    *negative = text[0] == '-';
    uint32_t intEnd = dot ? (uint32_t)(dot - text) : length;
    uint32_t intLen = intEnd - start;
    uint32_t decLen = dot ? length - intEnd - 1 : 0;
    if (intLen + f->decimals > count)
        return 0;
    memset(digits, '0', count);
    memcpy(digits + count - f->decimals - intLen, text + start, intLen);
    if (decLen)
        memcpy(digits + count - f->decimals, dot + 1, decLen);
    return 1;
}

uint32_t FapParseDecimal(const FmtFieldDef *f, const char *text, uint32_t length, int ebcdic,
                         unsigned char *out)
{
    (void)ebcdic;
    char digits[64];
    uint32_t count = f->length * 2 - 1;
    int neg;
    if (count > sizeof digits || !DigitsOf(f, text, length, digits, count, &neg))
        return 0;
    unsigned sign = f->type == FT_UPACKED ? 0xF : neg ? 0xD : 0xC;
    for (uint32_t i = 0; i < f->length; i++) {
        unsigned hi = (unsigned)(digits[2 * i] - '0');
        unsigned lo = i + 1 == f->length ? sign : (unsigned)(digits[2 * i + 1] - '0');
        out[i] = (unsigned char)(hi << 4 | lo);
    }
    return f->length;
}

static void ToEbcdic(unsigned char *p, uint32_t n)
{
    const unsigned char *zone = ZoneTable();
    for (uint32_t i = 0; i < n; i++) {
        unsigned char c = p[i];
        for (int e = 0; e < 256; e++)
            if (zone[e] == c) { p[i] = (unsigned char)e; break; }
    }
}

uint32_t FapParseZoned(const FmtFieldDef *f, const char *text, uint32_t length, int ebcdic,
                       unsigned char *out)
{
    char digits[64];
    int neg;
    if (f->length > sizeof digits || !DigitsOf(f, text, length, digits, f->length, &neg))
        return 0;
    uint32_t at = (f->flags & FF_SIGN_FIRST) ? 0 : f->length - 1;
    int d = digits[at] - '0';
    digits[at] = neg ? "}JKLMNOPQR"[d] : "{ABCDEFGHI"[d];
    memcpy(out, digits, f->length);
    if (ebcdic)
        ToEbcdic(out, f->length);
    return f->length;
}

uint32_t FapParseDigits(const FmtFieldDef *f, const char *text, uint32_t length, int ebcdic,
                        unsigned char *out)
{
    char digits[64];
    int neg;
    if (f->length < 2 || f->length > sizeof digits ||
        !DigitsOf(f, text, length, digits + ((f->flags & FF_SIGN_FIRST) ? 1 : 0), f->length - 1, &neg))
        return 0;
    if (f->flags & FF_SIGN_FIRST)
        digits[0] = neg ? '-' : '+';
    else
        digits[f->length - 1] = neg ? '-' : '+';
    memcpy(out, digits, f->length);
    if (ebcdic)
        ToEbcdic(out, f->length);
    return f->length;
}

/* A put date ("YYYYMMDD") and time ("HHMMSSTH"), in ASCII, moved from UTC
 * to local time in place; 0 when they are not a valid date and time. */
int FmtPutToLocal(char *date, char *time)
{
    int v[8];
    const char *shape[] = { date, date + 4, date + 6, time, time + 2, time + 4 };
    const int widths[] = { 4, 2, 2, 2, 2, 2 };
    for (int i = 0; i < 6; i++) {
        v[i] = 0;
        for (int k = 0; k < widths[i]; k++) {
            char c = shape[i][k];
            if (c < '0' || c > '9')
                return 0;
            v[i] = v[i] * 10 + (c - '0');
        }
    }
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > DaysInMonth(v[0], v[1]) || v[3] > 23 || v[4] > 59 || v[5] > 59)
        return 0;
    int64_t t = DaysFromCivil(v[0], (unsigned)v[1], (unsigned)v[2]) * 86400 + v[3] * 3600 + v[4] * 60 + v[5];
    char text[32];
    FapFormatTime64(t, 0, text);                     /* "hh:mm:ss dd/mm/yyyy", local */
    char out[9];
    memcpy(out, text + 15, 4);
    memcpy(out + 4, text + 12, 2);
    memcpy(out + 6, text + 9, 2);
    memcpy(date, out, 8);
    time[0] = text[0], time[1] = text[1], time[2] = text[3], time[3] = text[4], time[4] = text[6], time[5] = text[7];
    return 1;
}
