/* Password cache ciphers: XTEA for the check value and the entry key,
 * DES (with the cache's key rules) for the stored passwords. */
#include "pwcache.h"
#include "csdes.h"
#include "cs.h"

#include <cstring>

/* the cache's fixed XTEA key, as stored files have it */
static const unsigned char cacheKey[16] = {
    0x9d, 0x2b, 0x61, 0xf0, 0x4c, 0x7e, 0x83, 0xa5,
    0xb0, 0xe6, 0xd4, 0x2f, 0x18, 0xc9, 0x3a, 0x77,
};

static uint32_t get_le(const unsigned char *p)
{
    return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 | (uint32_t)p[3] << 24;
}

static void put_le(unsigned char *p, uint32_t v)
{
    p[0] = (unsigned char)v;
    p[1] = (unsigned char)(v >> 8);
    p[2] = (unsigned char)(v >> 16);
    p[3] = (unsigned char)(v >> 24);
}

void XTEAEncipherWords(uint32_t v[2], const uint32_t key[4])
{
    uint32_t v0 = v[0], v1 = v[1], sum = 0;
    const uint32_t delta = 0x9E3779B9;
    for (int i = 0; i < 32; i++) {
        v0 += (((v1 << 4) ^ (v1 >> 5)) + v1) ^ (sum + key[sum & 3]);
        sum += delta;
        v1 += (((v0 << 4) ^ (v0 >> 5)) + v0) ^ (sum + key[(sum >> 11) & 3]);
    }
    v[0] = v0;
    v[1] = v1;
}

void XTEAEncipher(const unsigned char in[8], unsigned char out[8])
{
    uint32_t key[4], v[2] = { get_le(in), get_le(in + 4) };
    for (int i = 0; i < 4; i++)
        key[i] = get_le(cacheKey + 4 * i);
    XTEAEncipherWords(v, key);
    put_le(out, v[0]);
    put_le(out + 4, v[1]);
}

static void xor_block(unsigned char *result, const unsigned char *block)
{
    unsigned char e[8];
    XTEAEncipher(block, e);
    for (int i = 0; i < 8; i++)
        result[i] ^= e[i];
}

void XTEAHashString(const char *text, int length, int extra, unsigned char out[8])
{
    size_t n = length < 0 ? strlen(text) : (size_t)length;
    memset(out, 0, 8);
    for (size_t at = 0; at < n; at += 8) {
        unsigned char block[8] = { 0 };
        memcpy(block, text + at, n - at < 8 ? n - at : 8);
        xor_block(out, block);
    }
    if (extra) {
        unsigned char block[8] = { 0 };
        size_t k = n < 8 ? n : 8;
        for (size_t i = 0; i < k; i++)
            block[7 - i] = (unsigned char)text[i];
        xor_block(out, block);
    }
}

void PWCAuthCode(const char *password, char out[17])
{
    unsigned char h[8];
    XTEAHashString(password, -1, 0, h);
    UTBytesToHex(h, 8, out, 16);
}

int PWCEncryptPassword(const char *cachePassword, const char *password, char **hex)
{
    *hex = nullptr;
    size_t n = strlen(password);
    if (n == 0)
        return PWC_OK;
    size_t padded = (n + 7) / 8 * 8;
    unsigned char key[8];
    XTEAHashString(cachePassword, -1, 1, key);
    unsigned char *data = (unsigned char *)CSGetMem(padded, "PWDBIN");
    char *text = (char *)CSGetMem(2 * padded + 1, "PWDHEX");
    if (!data || !text) {
        if (data) CSFreeMem(data);
        if (text) CSFreeMem(text);
        return PWC_STORAGE;
    }
    memset(data, ' ', padded);
    memcpy(data, password, n);
    CSDesEcb(key, data, padded, CSDES_CACHE);
    UTBytesToHex(data, (int)padded, text, 0);
    memset(data, 0, padded);
    CSFreeMem(data);
    *hex = text;
    return PWC_OK;
}

static int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

int PWCDecryptPassword(const char *cachePassword, const char *hex, char **password)
{
    *password = nullptr;
    size_t digits = strlen(hex);
    if (digits == 0 || digits % 16 != 0)
        return PWC_BADPARM;
    size_t n = digits / 2;
    char *out = (char *)CSGetMem(n + 1, "PWD");
    if (!out)
        return PWC_STORAGE;
    for (size_t i = 0; i < n; i++) {
        int hi = hex_digit(hex[2 * i]), lo = hex_digit(hex[2 * i + 1]);
        if (hi < 0 || lo < 0) {
            CSFreeMem(out);
            return PWC_BADPARM;
        }
        out[i] = (char)(hi << 4 | lo);
    }
    unsigned char key[8];
    XTEAHashString(cachePassword, -1, 1, key);
    CSDesEcb(key, (unsigned char *)out, n, CSDES_CACHE | CSDES_DECRYPT);
    while (n > 0 && out[n - 1] == ' ')
        n--;
    out[n] = 0;
    *password = out;
    return PWC_OK;
}
