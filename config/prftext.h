/* Configuration text: the one tokenizer of the configuration, authorities
 * and filter files, the typed readers built on it and the typed writers
 * that produce the same syntax.
 *
 * A file is read whole into memory (PRFIN) and tokenized from there; the
 * writers gather their text in a PRFOUT and hand it to a stdio stream
 * opened by the caller. */
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include "prffont.h"

#define PRF_TOKEN_MAX   1000          /* characters of one token */
#define PRF_TOKEN_SIZE  (PRF_TOKEN_MAX + 1)

/* A configuration text being read. */
struct PRFIN {
    const char *text;                 /* the whole text */
    size_t length;
    size_t pos;                       /* next character to read */
    size_t tokenStart;                /* where the last token began */
    char *owned;                      /* block read from a file, or null */
};

/* Print-layout record. */
struct PRFLAYOUT {
    char *left;
    char *centre;
    char *right;
    PRFFONT font;                     /* height, point size, charset, rgb */
    int16_t margin;
};

/* Opening: 0 read; else the C library's errno (ENOENT: no such file).
 * The text is kept as it is; the readers take a CR LF pair as one line end
 * (tokens, quoted strings, string areas and PrfCopyText). */
int PrfOpenFile(PRFIN *in, const char *path);
void PrfOpenText(PRFIN *in, const char *text, size_t length);
/* A new block (tag `tag`) with n characters of a text read, each CR LF
 * pair as LF, and a NUL; null when memory is short. */
char *PrfCopyText(const char *text, size_t n, const char *tag);
/* The same for a text kept as read to be written back as it stands, made
 * so that it reads back as itself: NUL bytes (which would end it early)
 * as ".", and a quoted run the damage left open closed. */
char *PrfKeptText(const char *text, size_t n, const char *tag);
/* Where a kept text from start ends before end: blanks and line ends
 * after it left out, but not those inside a quote the damage left open
 * (they belong to its text, which PrfKeptText closes). */
size_t PrfKeptEnd(const char *text, size_t start, size_t end);
/* The title token of an entry made as it reads back when kept: its NUL
 * bytes as "." (PrfKeptText's rule).  0 when the token is a section's
 * tag or the end of the file: the entry has no title, and a section that
 * follows is not its to keep. */
int PrfKeptTitle(char *token, int length, uint32_t quoted);
void PrfClose(PRFIN *in);
/* Line number (from 1) of the read position. */
int PrfLineNumber(const PRFIN *in);
/* Moves past the first line that begins with `start`; 0 when none. */
int PrfSkipToLine(PRFIN *in, const char *start);

/* Tokenizer: returns the token's length, 0 at the end of the text (quoted
 * flag 0) or for an empty quoted string (quoted flag 1). */
int PrfGetToken(PRFIN *in, uint32_t *quoted, int skip, char *token);
/* 1 when every quoted run of the text is closed before its end. */
int PrfQuotesClosed(const char *text, size_t length);
/* The next token without consuming it. */
int PrfPeekToken(PRFIN *in, uint32_t *quoted, char *token);
/* A word whose last character is ':' (unquoted). */
int PrfIsSectionTag(const char *token, int length, uint32_t quoted);
/* The value: the next token, or the one after it when that is "=". */
int PrfGetValue(PRFIN *in, char *token, uint32_t *quoted);

void PrfGetString(PRFIN *in, char *buffer, size_t size, char *token);
void PrfGetSharedString(PRFIN *in, const char **slot, char *token);
void PrfGetStringAlloc(PRFIN *in, char **slot, char *token);
void PrfGetInt(PRFIN *in, int32_t *target, char *token);
void PrfGetShort(PRFIN *in, int16_t *target, char *token);
void PrfGetInt64(PRFIN *in, int64_t *target, char *token);
void PrfGetRect(PRFIN *in, int32_t *four, char *token);
void PrfGetEightInts(PRFIN *in, int32_t *eight, char *token);
void PrfGetFont(PRFIN *in, PRFFONT *font, char *token);
/* One quoted multi-line text into a growing block (tag "STRAREA"); its
 * length, or -1 (the area is then freed and the slot null). */
int PrfGetStringArea(PRFIN *in, char **area, uint32_t *capacity, int freeOld);

/* Decimal conversion: leading blanks, a sign, digits; saturates. */
int64_t PrfDecimal(const char *text);
/* Hexadecimal conversion without prefix (base 16), saturating at 32 bits. */
uint32_t PrfHex(const char *text);
/* A count or index read from a file: 1 with *out set when the text is a
 * decimal number in 0..max, else 0. */
int PrfBoundedCount(const char *text, int64_t max, int64_t *out);

/* Output gathered in memory and handed to a stream in large pieces (a
 * full buffer, then the rest when closed); without a stream it stays in
 * memory.  Writing never fails half-way: a failure is remembered. */
struct PRFOUT {
    char *data;
    size_t length;
    size_t capacity;
    FILE *file;
    int failed;
    int crlf;          /* every LF goes out as CR LF (a binary stream): each
                          writer puts the CR as it adds the LF */
};
void PrfOutOpen(PRFOUT *out, FILE *file);
/* For a stream opened in binary mode: the host's line ends are put by the
 * writer itself (CR LF on Windows), far faster than a text-mode stream
 * that looks at every byte. */
void PrfOutOpenBinary(PRFOUT *out, FILE *file);
/* Writes what is left to the stream and frees the buffer: 0, or -1 when
 * any write or allocation failed. */
int PrfOutClose(PRFOUT *out);
void PrfOutSpill(PRFOUT *out, size_t needed);
inline void PrfOutChar(PRFOUT *out, char c)
{
    size_t need = 1 + (c == '\n' && out->crlf);
    if (out->capacity - out->length < need) {
        PrfOutSpill(out, need);
        if (out->capacity - out->length < need)
            return;
    }
    if (need == 2)
        out->data[out->length++] = '\r';
    out->data[out->length++] = c;
}
/* A line end stored at w: LF, or CR LF for a stream that wants them. */
inline char *PrfStoreLineEnd(char *w, int crlf)
{
    w[0] = '\r';
    w[crlf] = '\n';
    return w + 1 + crlf;
}
/* Room for n more bytes at once, for a writer that then stores its text
 * with plain stores: where to store it, or null when there is no room (the
 * failure is remembered).  PrfOutCommit takes the text up to `end`.  The
 * writer puts the line ends the stream wants (PrfStoreLineEnd). */
inline char *PrfOutReserve(PRFOUT *out, size_t n)
{
    if (out->capacity - out->length < n) {
        PrfOutSpill(out, n);
        if (out->capacity - out->length < n)
            return nullptr;
    }
    return out->data + out->length;
}
inline void PrfOutCommit(PRFOUT *out, char *end)
{
    out->length = (size_t)(end - out->data);
}
void PrfOutWrite(PRFOUT *out, const char *bytes, size_t n);
void PrfOutText(PRFOUT *out, const char *text);
void PrfOutInt(PRFOUT *out, int64_t value);
/* key, value and one separator character (none when sep is 0) */
void PrfOutKeyInt(PRFOUT *out, const char *key, int64_t value, char sep);
/* printf-style, for the rarer lines; the number of characters added. */
int PrfOutFormat(PRFOUT *out, const char *format, ...)
#ifdef __GNUC__
    __attribute__((format(printf, 2, 3)))
#endif
    ;

/* Writers.  A length of (size_t)-1 means the whole NUL-terminated text. */
#define PRF_WHOLE ((size_t)-1)
int PrfPutQuoted(PRFOUT *out, const char *text, size_t length);
/* The same stored at w, which has room for 2 * max + 2 bytes: at most max
 * characters (fewer up to a NUL; never more than the PRF_TOKEN_MAX a token
 * holds), trailing blanks left out when `trim`
 * (as PRF_WHOLE does), a LF in it as CR LF when `crlf`.  Past the closing
 * quote. */
char *PrfStoreQuoted(char *w, const char *text, size_t max, int trim, int crlf);
/* A multi-line text as PrfGetStringArea reads it back: in quotes, its
 * line ends as the file's own (the reader makes them CR LF again on every
 * host; a line end right after another is written as an escaped CR and
 * LF, as the reader drops a LF that directly follows one it made CR LF);
 * blanks at its end left out when `trim`. */
void PrfPutStringArea(PRFOUT *out, const char *text, int trim);
void PrfPutString(PRFOUT *out, const char *key, const char *text, size_t length);
void PrfPutInt(PRFOUT *out, const char *key, int32_t value);
void PrfPutInt64(PRFOUT *out, const char *key, int64_t value);
void PrfPutRect(PRFOUT *out, const char *key, const int32_t *four);
void PrfPutFont(PRFOUT *out, const char *key, const PRFFONT *font);
void PrfPutPrintLayout(PRFOUT *out, const PRFLAYOUT *layout, char letter,
                       int16_t mainCharSet);
/* A text that is absent, empty or one blank counts as not set. */
inline int PrfTextSet(const char *text)
{
    return text && text[0] && !(text[0] == ' ' && text[1] == 0);
}
