/* Code pages and number encodings.
 *
 * IBM CCSIDs and their Windows code pages, in-place single-byte conversion
 * between CCSIDs, single-byte CCSIDs as Latin-1 tables, the per-CCSID
 * display record (CPSETTING), the two fixed byte tables (EBCDIC to
 * printable, ASCII to EBCDIC), byte reversal of integer arrays and the
 * three MQ float encodings. */
#pragma once

#include <cstddef>
#include <cstdint>

/* Results of CSConvertCodepage. */
#define CSCP_OK            0
#define CSCP_BAD_SOURCE    4  /* a byte is not valid in the source code page */
#define CSCP_NOT_HELD      5  /* the target cannot hold a character as one byte */

/* Indexes of CPSETTING.syntax: the CCSID's bytes for these characters. */
enum CPSyntax {
    CPS_BLANK, CPS_LF, CPS_CR, CPS_TAB, CPS_LT, CPS_GT, CPS_LPAREN, CPS_RPAREN,
    CPS_LBRACKET, CPS_RBRACKET, CPS_LBRACE, CPS_RBRACE, CPS_SLASH, CPS_QUESTION,
    CPS_EXCLAIM, CPS_MINUS, CPS_PLUS, CPS_COLON, CPS_COMMA, CPS_PERIOD,
    CPS_APOSTROPHE, CPS_QUOTE, CPS_U, CPS_N, CPS_A, CPS_B,
    CPS_COUNT
};

/* Cached display record of one CCSID (tag "CPSETTING"). */
struct CPSETTING {
    CPSETTING *next;            /* cache chain, most recently used first */
    int32_t ccsid;
    int32_t codepage;
    int32_t ebcdic;
    int32_t blankNotConvertible;
    int32_t cellWidth;          /* 0 until measured with a font */
    int32_t fixedPitch;
    int32_t notInstalled;       /* neither the system nor an own table has it */
    int32_t warned;             /* the user was told so once */
    uint8_t syntax[CPS_COUNT];
    uint8_t widths[256];        /* drawn width of each byte value */
    int8_t offsets[256];        /* (cellWidth - width) / 2 */
};

int CSCcsidToCodepage(int ccsid);
int CSIsEbcdicCcsid(int ccsid);
/* 1 when bytes of the code page can be converted here (by the system or
 * by the program's own tables). */
int CSCodepageKnown(int codepage);

/* The CCSID's 256 byte values as Latin-1, from the program's own tables
 * (the same on every host); a byte with no Latin-1 form, or not valid in
 * the code page, is CS_LATIN1_SUBSTITUTE.  Null when the own tables lack
 * the CCSID.  Built once, never changed: safe from any thread. */
#define CS_LATIN1_SUBSTITUTE 0x1A
const unsigned char *CSSingleByteToLatin1(int ccsid);

/* Converts count bytes in place from one CCSID to another, one byte to one
 * byte.  0 done (also for equal CCSIDs or count < 1); 4 or 5 at the first
 * byte that fails, whose value goes to *badByte when given; bytes before it
 * are converted, it and those after it are unchanged.  defaultChar (may be
 * null) is handed to the system's encoder; a character only the default
 * can stand for counts as not held. */
int CSConvertCodepage(unsigned char *bytes, int count, int fromCcsid, int toCcsid,
                      const char *defaultChar, unsigned char *badByte);

/* The cached record of the CCSID, made on first use; null only when
 * storage runs out.  window, font and dc (HWND, HFONT, HDC) may be null; the
 * widths are measured when a dc or window is given (see the .cpp).  The
 * cache is not locked: callers serialise its use. */
CPSETTING *CSGetCodepageSetting(int ccsid, void *window, void *font, void *dc);
void CSFreeCodepageSettings(void);

/* Fixed tables: EBCDIC byte -> printable ASCII ("." when none), and
 * ASCII -> EBCDIC (0x4B, the EBCDIC ".", when none). */
extern const unsigned char CSEbcdicToPrintable[256];
extern const unsigned char CSAsciiToEbcdic[256];

/* Through CSEbcdicToPrintable; returns how many results are not ".".
 * out may be in. */
int CSMakePrintable(unsigned char *out, const unsigned char *in, int count);
/* Through a caller's 256-byte table; out may be in. */
void CSTranslateBytes(unsigned char *out, const unsigned char *in, int count,
                      const unsigned char *table);
/* 1 when the first 50 bytes read at least as much like ASCII as EBCDIC. */
int CSIsPlainText(const unsigned char *bytes, int count);

/* Reverse the bytes of each of count elements in place. */
void CSSwap16(void *array, int count);
void CSSwap32(void *array, int count);
void CSSwap64(void *array, int count);

/* MQ float encodings (the encoding word is masked with 0xF00). */
#define CSENC_FLOAT_MASK      0xF00
#define CSENC_FLOAT_IEEE      0x100  /* IEEE, most significant byte first */
#define CSENC_FLOAT_REVERSED  0x200  /* IEEE, least significant byte first */
#define CSENC_FLOAT_S390      0x300  /* S/390 hexadecimal, MSB first */

/* Convert one 4- or 8-byte float in place between two MQ encodings. */
void CSConvertFloat32(void *value, int32_t fromEncoding, int32_t toEncoding);
void CSConvertFloat64(void *value, int32_t fromEncoding, int32_t toEncoding);
