/* String, hex and byte routines: hex dump lines and hex texts, 4-bit
 * digits (nibbles) by index, searches with and without regard to case,
 * wildcard matching, trimming of blank-padded fields and bit-field
 * updates.  None allocates; every buffer's size is the caller's.
 *
 * Nibble n of a buffer is in byte n / 2: the high half for even n, the
 * low half for odd n. */
#pragma once

#include <cstddef>
#include <cstdint>

/* ---- Decimal numbers ---- */

/* The number of decimal digits of v. */
int CSDecimalDigits(uint64_t v);
/* v's digits as "%llu" / "%lld" give them, at p (no NUL); the end. */
char *CSPutUDec(char *p, uint64_t v);
char *CSPutDec(char *p, int64_t v);

/* ---- Hex dumps ---- */

/* Layout flags of CSDumpLayout. */
#define CSDUMP_OFFSET      0x8000    /* an offset column of 10 characters */
#define CSDUMP_GROUPBLANK  0x10000   /* a blank after every 4 bytes */
#define CSDUMP_NOCHARS     0x800000  /* no character column */

struct CSDumpLayout {
    uint32_t flags;
    int width;          /* line width in characters; 0: 80 */
    int gap;            /* between the hex and the character column */
    int bytesPerLine;   /* 0 until computed */
    int spare;          /* characters before the character column */
};
/* Computes bytes per line, gap and spare when bytes per line is 0. */
void CSSetDumpLayout(CSDumpLayout *layout);

/* UTHexDumpLine flags. */
#define UTHEX_GROUPS      2    /* a blank before every 4th byte after the first */
#define UTHEX_EBCDIC      4    /* the data is EBCDIC */
#define UTHEX_NOTERM      8    /* do not terminate the line */
#define UTHEX_SHOWEBCDIC  16   /* translate EBCDIC for the character column */

/* One dump line of count bytes (at most width) into out; with gap non-zero
 * a character column follows the hex after the gap.  1 when the character
 * column was translated from EBCDIC, else 0. */
int UTHexDumpLine(const unsigned char *bytes, int count, int width, char *out,
                  int gap, int flags);
/* width characters (2 * count when 0) of blanks, terminated, then the
 * bytes as upper-case hex pairs from the start. */
void UTBytesToHex(const unsigned char *bytes, int count, char *out, int width);
/* Hex text of size characters into size / 2 bytes; 0 done (the rest of
 * the field zeroed), 1 at a pair that is not two hex digits. */
int UTHexToBytes(const char *hex, int size, unsigned char *out);
/* Hex digits in text (blanks skipped); 0 when anything else is there. */
int UTCountHexDigits(const char *text, int count);
/* 1 when the hex text (blanks skipped, either case) equals the nibbles of
 * bytes from firstNibble on. */
int UTHexMatch(const unsigned char *bytes, int firstNibble, const char *hex, int count);

int UTGetNibble(const unsigned char *bytes, int n);
void UTSetNibble(unsigned char *bytes, int n, int value);
/* Overlapping runs in one buffer move correctly. */
void UTCopyNibbles(unsigned char *out, int outNibble, const unsigned char *in,
                   int inNibble, int count);
void UTFillNibbles(unsigned char *bytes, int firstNibble, int value, int count);

/* Copies, zero and unprintable bytes as "."; returns the printable count. */
int UTPrintableCopy(char *out, const unsigned char *in, int count);

/* ---- Searches ---- */

/* First occurrence, or null; an empty pattern matches at the start. */
char *UTMemFind(const void *buffer, int length, const void *pattern, int patternLength);
char *UTMemFindRange(const void *start, const void *end, const void *pattern,
                     int patternLength);
/* Last occurrence starting at or before position and not before start. */
char *UTMemFindBack(const void *position, const void *start, const void *pattern,
                    int patternLength);
/* Occurrences, overlapping ones included. */
int UTMemCount(const void *buffer, int length, const void *pattern, int patternLength);
char *UTMemFindNoCase(const void *buffer, int length, const void *pattern,
                      int patternLength);
int UTMemCountNoCase(const void *buffer, int length, const void *pattern,
                     int patternLength);
char *UTStrStrNoCase(const char *text, const char *part);
/* 0 when equal regardless of EBCDIC letter case, else second - first at
 * the first difference. */
int UTEbcdicCompareNoCase(const unsigned char *first, const unsigned char *second,
                          int count);

/* "*" any run, "?" any one byte, else the byte itself. */
int UTWildMatch(const char *text, int length, const char *pattern, int patternLength);
int UTWildMatchNoCase(const char *text, int length, const char *pattern,
                      int patternLength);
/* Where longer equals shorter with one run inserted: the first such place
 * in longer, or null. */
char *UTFindInsertion(const char *longer, int longLength, const char *shorter,
                      int shortLength);
/* 1 when text ends with end, byte for byte; -1: NUL-terminated. */
int UTEndsWith(const char *text, int length, const char *end, int endLength);
int UTIsAll(const void *bytes, int count, int value);

/* ---- Trimming and copying ---- */

/* Trailing NUL, tab, line feed and blank (not carriage return) become
 * NULs; returns the new length. */
int UTTrimRight(char *bytes, int length);
int UTTrimmedLength(const char *bytes, int length);
/* Length without trailing zero bytes. */
int UTTrimZeroLength(const void *bytes, int length);
int UTTrimRightChars(char *text, int length, const char *set);
/* Skips leading characters of set, NULs the trailing ones; the new start. */
char *UTStripChars(char *text, const char *set);
/* Past leading blanks, the length without leading and trailing blanks. */
void UTTrimSpan(const char **start, int *length);
/* Up to the first blank or NUL, at most limit (when not 0) and length
 * characters; terminates; returns the count. */
int UTStrCopyToBlank(char *out, const char *in, int length, int limit);
/* A blank-padded field without its trailing blanks (at most limit when not
 * 0); terminates; returns the length. */
int UTCopyTrimmed(char *out, const char *in, int length, int limit);
/* At most size - 1 characters, always terminated (size 0: nothing). */
void UTStrCopy(char *out, const char *in, size_t size);

/* ---- Bit fields ---- */

void UTSetMasked(uint32_t *word, uint32_t value, uint32_t mask);
void UTSetFlag(uint32_t *word, int on, uint32_t bits);
