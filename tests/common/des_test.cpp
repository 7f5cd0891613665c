/* DES: the published vector both ways, ECB over a buffer, and the
 * password cache's key rules against standard DES under the key they
 * amount to. */
#include "csdes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

static void FromHex(const char *hex, unsigned char *out)
{
    for (int i = 0; hex[2 * i]; i++) {
        unsigned v;
        sscanf(hex + 2 * i, "%2x", &v);
        out[i] = (unsigned char)v;
    }
}

TEST(Des, PublishedVectorBothWays)
{
    unsigned char key[8], in[8], out[8], want[8], back[8];
    FromHex("133457799BBCDFF1", key);
    FromHex("0123456789ABCDEF", in);
    FromHex("85E813540F0AB405", want);
    CSDesBlock(key, in, out, 0);
    EXPECT_EQ(0, memcmp(out, want, 8));
    CSDesBlock(key, out, back, CSDES_DECRYPT);
    EXPECT_EQ(0, memcmp(back, in, 8));
}

TEST(Des, EcbInPlaceAndLengths)
{
    unsigned char key[8], data[24], copy[24];
    FromHex("7C30E9A4D15BF286", key);
    for (int i = 0; i < 24; i++)
        data[i] = (unsigned char)(i * 7);
    memcpy(copy, data, 24);
    EXPECT_EQ(1, CSDesEcb(key, data, 23, 0));
    EXPECT_EQ(0, memcmp(data, copy, 24));           /* nothing changed */
    EXPECT_EQ(0, CSDesEcb(key, data, 0, 0));
    EXPECT_EQ(0, CSDesEcb(key, data, 24, 0));
    unsigned char block[8];
    CSDesBlock(key, copy + 8, block, 0);              /* no chaining */
    EXPECT_EQ(0, memcmp(block, data + 8, 8));
    EXPECT_EQ(0, CSDesEcb(key, data, 24, CSDES_DECRYPT));
    EXPECT_EQ(0, memcmp(data, copy, 24));
}

TEST(Des, CacheRulesAreStandardDesUnderTheAdjustedKey)
{
    std::mt19937 rng(46);
    for (int n = 0; n < 2000; n++) {
        unsigned char key[8], adj[8], in[8], a[8], b[8];
        for (int i = 0; i < 8; i++) {
            key[i] = (unsigned char)rng();
            in[i] = (unsigned char)rng();
        }
        if (n % 3 == 0)
            key[rng() % 8] = 0;                       /* a zero key byte */
        memcpy(adj, key, 8);
        for (int i = 0, zero = 0; i < 8; i++) {
            zero |= adj[i] == 0;
            if (zero)
                adj[i] = 0;
        }
        adj[7] = (unsigned char)((adj[7] & ~0x02) | ((adj[7] & 0x04) >> 1));
        CSDesBlock(key, in, a, CSDES_CACHE);
        CSDesBlock(adj, in, b, 0);
        ASSERT_EQ(0, memcmp(a, b, 8)) << n;
        CSDesBlock(key, a, b, CSDES_CACHE | CSDES_DECRYPT);
        ASSERT_EQ(0, memcmp(in, b, 8)) << n;
    }
}
