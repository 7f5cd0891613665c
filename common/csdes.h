/* DES block cipher (FIPS 46-3) in ECB mode on 8-byte blocks, bits taken
 * most significant first.  One core serves the channel table reader
 * (standard DES) and the password cache, whose stored files depend on
 * two rules of its own, chosen by CSDES_CACHE:
 *   - permuted choice 1 takes key bit 62 as the first bit of its second
 *     half instead of bit 63;
 *   - the key bytes count up to the first zero byte; that byte and every
 *     byte after it count as zero. */
#pragma once

#include <cstddef>
#include <cstdint>

#define CSDES_DECRYPT  0x1   /* decipher instead of encipher */
#define CSDES_CACHE    0x2   /* the password cache's key rules */

/* Enciphers or deciphers one 8-byte block; in and out may be the same. */
void CSDesBlock(const unsigned char key[8], const unsigned char in[8],
                unsigned char out[8], int flags);

/* Every 8-byte block of data in place, no chaining or padding.  1 when
 * the length is not a multiple of 8 (nothing changed), else 0. */
int CSDesEcb(const unsigned char key[8], unsigned char *data, size_t length,
             int flags);
