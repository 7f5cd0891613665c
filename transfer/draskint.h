/* What the readers of the transfer share among themselves. */
#pragma once

#include "drask.h"

/* -1 for a byte that is no hex digit, else its value. */
extern const int8_t *const DraskHexTable;

/* Pairs of hex digits from text into out (at most max bytes) until the
 * first character that is no hex digit; -1 for a digit without its
 * partner, else the number of bytes decoded. */
int64_t DraskHexPairs(const char *text, uint32_t length, uint8_t *out, uint64_t max);

/* The leading decimal integer of a value (blanks, a sign, digits; 0 when
 * none): 1, or 0 when it does not fit in 32 bits. */
int DraskParseInt(const char *text, uint32_t length, int32_t *out);

/* "<what> on line %lld of file '%s'" with the current line: code. */
int DraskBadLine(DROPT *o, int code, const char *what);
