/* Number encodings: byte reversal of integer arrays and conversion of
 * floats between the MQ float encodings (IEEE either byte order, S/390
 * hexadecimal).  Values are read and written byte by byte, so nothing here
 * depends on the machine's own byte order. */
#include "cscodepage.h"

static void SwapEach(void *array, int count, int size)
{
    unsigned char *p = (unsigned char *)array;
    for (int i = 0; i < count; i++, p += size)
        for (int a = 0, b = size - 1; a < b; a++, b--) {
            unsigned char t = p[a];
            p[a] = p[b];
            p[b] = t;
        }
}

void CSSwap16(void *array, int count) { SwapEach(array, count, 2); }
void CSSwap32(void *array, int count) { SwapEach(array, count, 4); }
void CSSwap64(void *array, int count) { SwapEach(array, count, 8); }

/* Shape of one float width: IEEE fraction bits and bias, S/390 fraction
 * bits, and the hexadecimal exponent's offset (4 * 64 + S/390 fraction
 * bits, from value = F * 2^(4E - offset)). */
struct FloatShape {
    int size;          /* bytes */
    int fracBits;      /* IEEE stored fraction bits */
    int expBits;
    int bias;
    int hexFracBits;   /* S/390 fraction bits */
};

static const FloatShape shape32 = {4, 23, 8, 127, 24};
static const FloatShape shape64 = {8, 52, 11, 1023, 56};

static uint64_t LoadBig(const unsigned char *p, int size)
{
    uint64_t v = 0;
    for (int i = 0; i < size; i++)
        v = v << 8 | p[i];
    return v;
}

static void StoreBig(unsigned char *p, int size, uint64_t v)
{
    for (int i = size - 1; i >= 0; i--, v >>= 8)
        p[i] = (unsigned char)v;
}

static int BitLength(uint64_t v)
{
    int n = 0;
    for (; v; v >>= 1)
        n++;
    return n;
}

/* IEEE bits -> S/390 bits. */
static uint64_t IeeeToS390(uint64_t bits, const FloatShape *f)
{
    int signShift = f->size * 8 - 1;
    uint64_t sign = bits >> signShift & 1;
    int e = (int)(bits >> f->fracBits & ((1u << f->expBits) - 1));
    uint64_t frac = bits & (((uint64_t)1 << f->fracBits) - 1);
    uint64_t hexMax = ((uint64_t)1 << f->hexFracBits) - 1;

    if (e == (1 << f->expBits) - 1)                       /* infinity, NaN */
        return sign << signShift | (uint64_t)127 << f->hexFracBits | hexMax;
    if (e == 0 && frac == 0)
        return sign << signShift;                         /* signed zero */

    /* value = m * 2^p */
    uint64_t m = e ? frac | (uint64_t)1 << f->fracBits : frac;
    int p = (e ? e : 1) - f->bias - f->fracBits;
    int len = BitLength(m);
    /* q = 4E - 256 - hexFracBits: the multiple of 4 that leaves the top
     * hexadecimal digit of F = m * 2^(p - q) non-zero. */
    int top = len + p - (f->hexFracBits - 3);
    int q = top >= 0 ? top / 4 * 4 : -((3 - top) / 4 * 4);
    int shift = p - q;
    uint64_t hex = shift >= 0 ? m << shift : m >> -shift;  /* singles truncate */
    int hexExp = (q + 256 + f->hexFracBits) / 4;
    if (hexExp > 127)                                     /* beyond S/390 */
        return sign << signShift | (uint64_t)127 << f->hexFracBits | hexMax;
    if (hexExp < 0) {                                     /* below: unnormalised */
        int down = -4 * hexExp;
        hex = down < 64 ? hex >> down : 0;
        hexExp = 0;
        if (!hex)
            return sign << signShift;
    }
    return sign << signShift | (uint64_t)hexExp << f->hexFracBits | hex;
}

/* S/390 bits -> IEEE bits. */
static uint64_t S390ToIeee(uint64_t bits, const FloatShape *f)
{
    int signShift = f->size * 8 - 1;
    uint64_t sign = bits >> signShift & 1;
    int hexExp = (int)(bits >> f->hexFracBits & 0x7F);
    uint64_t hex = bits & (((uint64_t)1 << f->hexFracBits) - 1);
    if (!hex)
        return sign << signShift;

    int len = BitLength(hex);
    int e = 4 * hexExp - 256 - f->hexFracBits + len - 1 + f->bias;
    int expMax = (1 << f->expBits) - 1;
    if (e >= expMax)
        return sign << signShift | (uint64_t)expMax << f->fracBits;   /* infinity */
    /* mantissa with its leading one at bit fracBits */
    int shift = len - 1 - f->fracBits;
    uint64_t m = shift >= 0 ? hex >> shift : hex << -shift;
    if (e <= 0) {                                          /* denormal or zero */
        int down = 1 - e;
        m = down < 64 ? m >> down : 0;
        return sign << signShift | m;
    }
    return sign << signShift | (uint64_t)e << f->fracBits |
           (m & (((uint64_t)1 << f->fracBits) - 1));
}

static int KnownEncoding(int32_t enc)
{
    return enc == CSENC_FLOAT_IEEE || enc == CSENC_FLOAT_REVERSED || enc == CSENC_FLOAT_S390;
}

static void ConvertFloat(void *value, int32_t from, int32_t to, const FloatShape *f)
{
    from &= CSENC_FLOAT_MASK;
    to &= CSENC_FLOAT_MASK;
    if (from == to || !KnownEncoding(from) || !KnownEncoding(to))
        return;
    unsigned char *p = (unsigned char *)value;
    if (from == CSENC_FLOAT_REVERSED)
        SwapEach(p, 1, f->size);
    uint64_t bits = LoadBig(p, f->size);
    if (from == CSENC_FLOAT_S390)
        bits = S390ToIeee(bits, f);
    else if (to == CSENC_FLOAT_S390)
        bits = IeeeToS390(bits, f);
    StoreBig(p, f->size, bits);
    if (to == CSENC_FLOAT_REVERSED)
        SwapEach(p, 1, f->size);
}

void CSConvertFloat32(void *value, int32_t fromEncoding, int32_t toEncoding)
{
    ConvertFloat(value, fromEncoding, toEncoding, &shape32);
}

void CSConvertFloat64(void *value, int32_t fromEncoding, int32_t toEncoding)
{
    ConvertFloat(value, fromEncoding, toEncoding, &shape64);
}
