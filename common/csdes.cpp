/* DES block cipher: key schedule, the sixteen rounds and ECB over a
 * buffer.  Bits are numbered 1 to 64 from the most significant bit of
 * the first byte, as the standard numbers them. */
#include "csdes.h"

#include <cstring>

/* Initial permutation; the final one is its inverse. */
static const unsigned char IP[64] = {
    58, 50, 42, 34, 26, 18, 10, 2, 60, 52, 44, 36, 28, 20, 12, 4,
    62, 54, 46, 38, 30, 22, 14, 6, 64, 56, 48, 40, 32, 24, 16, 8,
    57, 49, 41, 33, 25, 17, 9,  1, 59, 51, 43, 35, 27, 19, 11, 3,
    61, 53, 45, 37, 29, 21, 13, 5, 63, 55, 47, 39, 31, 23, 15, 7};

static const unsigned char FP[64] = {
    40, 8, 48, 16, 56, 24, 64, 32, 39, 7, 47, 15, 55, 23, 63, 31,
    38, 6, 46, 14, 54, 22, 62, 30, 37, 5, 45, 13, 53, 21, 61, 29,
    36, 4, 44, 12, 52, 20, 60, 28, 35, 3, 43, 11, 51, 19, 59, 27,
    34, 2, 42, 10, 50, 18, 58, 26, 33, 1, 41, 9,  49, 17, 57, 25};

/* Expansion of the 32-bit half to 48 bits. */
static const unsigned char E[48] = {
    32, 1,  2,  3,  4,  5,  4,  5,  6,  7,  8,  9,  8,  9,  10, 11,
    12, 13, 12, 13, 14, 15, 16, 17, 16, 17, 18, 19, 20, 21, 20, 21,
    22, 23, 24, 25, 24, 25, 26, 27, 28, 29, 28, 29, 30, 31, 32, 1};

/* Permutation after the S-boxes. */
static const unsigned char P[32] = {
    16, 7, 20, 21, 29, 12, 28, 17, 1,  15, 23, 26, 5,  18, 31, 10,
    2,  8, 24, 14, 32, 27, 3,  9,  19, 13, 30, 6,  22, 11, 4,  25};

/* Permuted choice 1: C half then D half (28 bits each). */
static const unsigned char PC1[56] = {
    57, 49, 41, 33, 25, 17, 9,  1,  58, 50, 42, 34, 26, 18,
    10, 2,  59, 51, 43, 35, 27, 19, 11, 3,  60, 52, 44, 36,
    63, 55, 47, 39, 31, 23, 15, 7,  62, 54, 46, 38, 30, 22,
    14, 6,  61, 53, 45, 37, 29, 21, 13, 5,  28, 20, 12, 4};

/* Permuted choice 2: 48 of the 56 key bits per round. */
static const unsigned char PC2[48] = {
    14, 17, 11, 24, 1,  5,  3,  28, 15, 6,  21, 10,
    23, 19, 12, 4,  26, 8,  16, 7,  27, 20, 13, 2,
    41, 52, 31, 37, 47, 55, 30, 40, 51, 45, 33, 48,
    44, 49, 39, 56, 34, 53, 46, 42, 50, 36, 29, 32};

static const unsigned char SHIFTS[16] = {1, 1, 2, 2, 2, 2, 2, 2, 1, 2, 2, 2, 2, 2, 2, 1};

static const unsigned char SBOX[8][64] = {
    {14, 4, 13, 1, 2, 15, 11, 8, 3, 10, 6, 12, 5, 9, 0, 7,
     0, 15, 7, 4, 14, 2, 13, 1, 10, 6, 12, 11, 9, 5, 3, 8,
     4, 1, 14, 8, 13, 6, 2, 11, 15, 12, 9, 7, 3, 10, 5, 0,
     15, 12, 8, 2, 4, 9, 1, 7, 5, 11, 3, 14, 10, 0, 6, 13},
    {15, 1, 8, 14, 6, 11, 3, 4, 9, 7, 2, 13, 12, 0, 5, 10,
     3, 13, 4, 7, 15, 2, 8, 14, 12, 0, 1, 10, 6, 9, 11, 5,
     0, 14, 7, 11, 10, 4, 13, 1, 5, 8, 12, 6, 9, 3, 2, 15,
     13, 8, 10, 1, 3, 15, 4, 2, 11, 6, 7, 12, 0, 5, 14, 9},
    {10, 0, 9, 14, 6, 3, 15, 5, 1, 13, 12, 7, 11, 4, 2, 8,
     13, 7, 0, 9, 3, 4, 6, 10, 2, 8, 5, 14, 12, 11, 15, 1,
     13, 6, 4, 9, 8, 15, 3, 0, 11, 1, 2, 12, 5, 10, 14, 7,
     1, 10, 13, 0, 6, 9, 8, 7, 4, 15, 14, 3, 11, 5, 2, 12},
    {7, 13, 14, 3, 0, 6, 9, 10, 1, 2, 8, 5, 11, 12, 4, 15,
     13, 8, 11, 5, 6, 15, 0, 3, 4, 7, 2, 12, 1, 10, 14, 9,
     10, 6, 9, 0, 12, 11, 7, 13, 15, 1, 3, 14, 5, 2, 8, 4,
     3, 15, 0, 6, 10, 1, 13, 8, 9, 4, 5, 11, 12, 7, 2, 14},
    {2, 12, 4, 1, 7, 10, 11, 6, 8, 5, 3, 15, 13, 0, 14, 9,
     14, 11, 2, 12, 4, 7, 13, 1, 5, 0, 15, 10, 3, 9, 8, 6,
     4, 2, 1, 11, 10, 13, 7, 8, 15, 9, 12, 5, 6, 3, 0, 14,
     11, 8, 12, 7, 1, 14, 2, 13, 6, 15, 0, 9, 10, 4, 5, 3},
    {12, 1, 10, 15, 9, 2, 6, 8, 0, 13, 3, 4, 14, 7, 5, 11,
     10, 15, 4, 2, 7, 12, 9, 5, 6, 1, 13, 14, 0, 11, 3, 8,
     9, 14, 15, 5, 2, 8, 12, 3, 7, 0, 4, 10, 1, 13, 11, 6,
     4, 3, 2, 12, 9, 5, 15, 10, 11, 14, 1, 7, 6, 0, 8, 13},
    {4, 11, 2, 14, 15, 0, 8, 13, 3, 12, 9, 7, 5, 10, 6, 1,
     13, 0, 11, 7, 4, 9, 1, 10, 14, 3, 5, 12, 2, 15, 8, 6,
     1, 4, 11, 13, 12, 3, 7, 14, 10, 15, 6, 8, 0, 5, 9, 2,
     6, 11, 13, 8, 1, 4, 10, 7, 9, 5, 0, 15, 14, 2, 3, 12},
    {13, 2, 8, 4, 6, 15, 11, 1, 10, 9, 3, 14, 5, 0, 12, 7,
     1, 15, 13, 8, 10, 3, 7, 4, 12, 5, 6, 11, 0, 14, 9, 2,
     7, 11, 4, 1, 9, 12, 14, 2, 0, 6, 10, 13, 15, 3, 5, 8,
     2, 1, 14, 7, 4, 10, 8, 13, 15, 12, 9, 0, 3, 5, 6, 11}};

/* Takes bits of an n-bit value (bit 1 = most significant of width) by table. */
static uint64_t Permute(uint64_t in, int width, const unsigned char *table, int count)
{
    uint64_t out = 0;
    for (int i = 0; i < count; i++)
        out = (out << 1) | ((in >> (width - table[i])) & 1);
    return out;
}

/* Rotates a 28-bit half left. */
static uint32_t Rotate28(uint32_t v, int n)
{
    return ((v << n) | (v >> (28 - n))) & 0xFFFFFFF;
}

/* The sixteen 48-bit round keys. */
static void KeySchedule(const unsigned char key[8], int flags, uint64_t sub[16])
{
    unsigned char k[8];
    memcpy(k, key, 8);
    if (flags & CSDES_CACHE) {
        int zero = 0;
        for (int i = 0; i < 8; i++) {
            if (k[i] == 0)
                zero = 1;
            if (zero)
                k[i] = 0;
        }
    }
    uint64_t kv = 0;
    for (int i = 0; i < 8; i++)
        kv = (kv << 8) | k[i];

    unsigned char pc1[56];
    memcpy(pc1, PC1, sizeof pc1);
    if (flags & CSDES_CACHE)
        pc1[28] = 62;
    uint64_t cd = Permute(kv, 64, pc1, 56);
    uint32_t c = (uint32_t)(cd >> 28), d = (uint32_t)(cd & 0xFFFFFFF);
    for (int r = 0; r < 16; r++) {
        c = Rotate28(c, SHIFTS[r]);
        d = Rotate28(d, SHIFTS[r]);
        sub[r] = Permute(((uint64_t)c << 28) | d, 56, PC2, 48);
    }
}

/* The round function of one 32-bit half under one round key. */
static uint32_t Feistel(uint32_t r, uint64_t subkey)
{
    uint64_t x = Permute(r, 32, E, 48) ^ subkey;
    uint32_t s = 0;
    for (int i = 0; i < 8; i++) {
        unsigned six = (unsigned)(x >> (42 - 6 * i)) & 0x3F;
        unsigned row = ((six & 0x20) >> 4) | (six & 1);
        unsigned col = (six >> 1) & 0xF;
        s = (s << 4) | SBOX[i][row * 16 + col];
    }
    return (uint32_t)Permute(s, 32, P, 32);
}

void CSDesBlock(const unsigned char key[8], const unsigned char in[8],
                unsigned char out[8], int flags)
{
    uint64_t sub[16];
    KeySchedule(key, flags, sub);

    uint64_t block = 0;
    for (int i = 0; i < 8; i++)
        block = (block << 8) | in[i];
    block = Permute(block, 64, IP, 64);
    uint32_t l = (uint32_t)(block >> 32), r = (uint32_t)block;
    for (int i = 0; i < 16; i++) {
        uint64_t k = sub[(flags & CSDES_DECRYPT) ? 15 - i : i];
        uint32_t next = l ^ Feistel(r, k);
        l = r;
        r = next;
    }
    block = Permute(((uint64_t)r << 32) | l, 64, FP, 64);
    for (int i = 7; i >= 0; i--) {
        out[i] = (unsigned char)block;
        block >>= 8;
    }
}

int CSDesEcb(const unsigned char key[8], unsigned char *data, size_t length,
             int flags)
{
    if (length % 8)
        return 1;
    for (size_t at = 0; at < length; at += 8)
        CSDesBlock(key, data + at, data + at, flags);
    return 0;
}
