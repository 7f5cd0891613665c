/* Configuration text: tokenizer, typed readers and typed writers. */
#include "prftext.h"
#include "cs.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <cstdlib>

/* ---- opening ---------------------------------------------------------- */

/* Copies n bytes, CR LF pairs as LF, NUL bytes as "." when asked (a
 * character of a word as a NUL is, so that the text is cut into the same
 * tokens: left out, a ":" before one could become a section's end); the
 * number of bytes written. */
static size_t CopyLines(char *copy, const char *text, size_t n, int dotNul)
{
    size_t w = 0;
    for (size_t i = 0; i < n; i++)
        if (!(text[i] == '\r' && i + 1 < n && text[i + 1] == '\n'))
            copy[w++] = text[i] || !dotNul ? text[i] : '.';
    return w;
}

char *PrfCopyText(const char *text, size_t n, const char *tag)
{
    char *copy = (char *)CSGetMem(n + 1, tag);
    if (!copy)
        return nullptr;
    copy[CopyLines(copy, text, n, 0)] = 0;
    return copy;
}

char *PrfKeptText(const char *text, size_t n, const char *tag)
{
    char *copy = (char *)CSGetMem(n + 3, tag);
    if (!copy)
        return nullptr;
    size_t w = CopyLines(copy, text, n, 1);
    /* twice at most: the first quote may close an escape ("~") */
    for (int i = 0; i < 2 && !PrfQuotesClosed(copy, w); i++)
        copy[w++] = '"';
    copy[w] = 0;
    return copy;
}

size_t PrfKeptEnd(const char *text, size_t start, size_t end)
{
    /* a NUL is no blank: it is kept (as ".") with the text */
    if (PrfQuotesClosed(text + start, end - start))
        while (end > start && memchr(" \t\r\n", text[end - 1], 4))
            end--;
    return end;
}

int PrfKeptTitle(char *token, int length, uint32_t quoted)
{
    if ((length == 0 && !quoted) || PrfIsSectionTag(token, length, quoted))
        return 0;
    for (int i = 0; i < length; i++)
        if (!token[i])
            token[i] = '.';
    return 1;
}

int PrfOpenFile(PRFIN *in, const char *path)
{
    memset(in, 0, sizeof(*in));
    FILE *f = fopen(path, "rb");
    if (!f)
        return errno ? errno : ENOENT;
    /* the whole file in one block: its size first, growing only when the
       file grows while it is read */
    size_t cap = 65536, len = 0;
    if (fseek(f, 0, SEEK_END) == 0) {
        long size = ftell(f);
        if (size >= 0 && (unsigned long)size < SIZE_MAX - 2)
            cap = (size_t)size + 1;
        fseek(f, 0, SEEK_SET);
    }
    char *buf = (char *)CSGetMem(cap, "PRFIN");
    int rc = buf ? 0 : ENOMEM;
    while (!rc) {
        size_t n = fread(buf + len, 1, cap - len, f);
        len += n;
        if (len < cap) {
            if (ferror(f))
                rc = EIO;
            break;
        }
        char *nbuf = (char *)CSGetMem(cap * 2, "PRFIN");
        if (!nbuf) {
            rc = ENOMEM;
            break;
        }
        memcpy(nbuf, buf, len);
        CSFreeMem(buf);
        buf = nbuf;
        cap *= 2;
    }
    fclose(f);
    if (rc) {
        if (buf)
            CSFreeMem(buf);
        return rc;
    }
    /* kept as read: the readers take a CR LF pair as one line end */
    in->owned = buf;
    in->text = buf;
    in->length = len;
    return 0;
}

void PrfOpenText(PRFIN *in, const char *text, size_t length)
{
    memset(in, 0, sizeof(*in));
    in->text = text;
    in->length = length;
}

void PrfClose(PRFIN *in)
{
    if (in->owned)
        CSFreeMem(in->owned);
    memset(in, 0, sizeof(*in));
}

int PrfLineNumber(const PRFIN *in)
{
    int line = 1;
    for (size_t i = 0; i < in->pos && i < in->length; i++)
        if (in->text[i] == '\n')
            line++;
    return line;
}

int PrfSkipToLine(PRFIN *in, const char *start)
{
    size_t n = strlen(start);
    while (in->pos < in->length) {
        size_t lineStart = in->pos;
        const char *nl = (const char *)memchr(in->text + lineStart, '\n',
                                              in->length - lineStart);
        size_t lineEnd = nl ? (size_t)(nl - in->text) + 1 : in->length;
        in->pos = lineEnd;
        if (lineEnd - lineStart >= n && memcmp(in->text + lineStart, start, n) == 0)
            return 1;
    }
    return 0;
}

/* ---- tokenizer -------------------------------------------------------- */

static inline int prf_next(PRFIN *in)
{
    return in->pos < in->length ? (unsigned char)in->text[in->pos++] : EOF;
}

/* Character classes of the tokenizer. */
enum PrfClass : uint8_t {
    PC_WORD, PC_BLANK, PC_CR, PC_LF, PC_COMMENT, PC_QUOTE, PC_SINGLE, PC_COLON,
};

struct PRFCLASSES {
    uint8_t c[256];
    uint8_t quoteStop[256];          /* what ends a run inside quotes */
    constexpr PRFCLASSES() : c(), quoteStop()
    {
        quoteStop[(uint8_t)'"'] = quoteStop[(uint8_t)'~'] = quoteStop[(uint8_t)'\r'] = 1;
        c[(uint8_t)' '] = c[(uint8_t)'\t'] = PC_BLANK;
        c[(uint8_t)'\r'] = PC_CR;
        c[(uint8_t)'\n'] = PC_LF;
        c[(uint8_t)';'] = c[(uint8_t)'#'] = PC_COMMENT;
        c[(uint8_t)'"'] = PC_QUOTE;
        c[(uint8_t)':'] = PC_COLON;
        for (const char *p = "=()[]{},"; *p; p++)
            c[(uint8_t)*p] = PC_SINGLE;
    }
};

static constexpr PRFCLASSES prfClasses;      /* made by the compiler */

static inline const uint8_t *prf_classes(void)
{
    return prfClasses.c;
}

/* Reads a quoted string after its opening quote.  Characters beyond the
 * token's capacity are read and dropped, so that the whole string is
 * consumed whatever its length. */
static int prf_quoted(PRFIN *in, int skip, char *token, int *eof)
{
    const char *p = in->text + in->pos, *end = in->text + in->length;
    int len = 0;
    *eof = 0;
    int cap = skip ? 0 : PRF_TOKEN_MAX;
    const uint8_t *stop = prfClasses.quoteStop;
    for (;;) {
        /* a run up to a quote, an escape or a CR: copied as scanned while
           the token has room (the runs are short, a call each would cost
           more), then passed over */
        const char *room = end - p > cap - len ? p + (cap - len) : end;
        char *t = token + len;
        while (p < room && !stop[(uint8_t)*p])
            *t++ = *p++;
        len = (int)(t - token);
        while (p < end && !stop[(uint8_t)*p])
            p++;
        if (p == end) {
            *eof = 1;
            break;
        }
        if (*p == '\r') {               /* the CR of a CR LF pair is dropped */
            if (!(p + 1 < end && p[1] == '\n') && len < cap)
                token[len++] = '\r';
            p++;
            continue;
        }
        if (*p++ == '"')
            break;
        if (p == end) {              /* a "~" at the very end */
            *eof = 1;
            break;
        }
        if (*p == '\r' && p + 1 < end && p[1] == '\n')
            p++;                     /* an escaped line end: the pair's LF */
        if (len < cap)
            token[len++] = *p;
        p++;
    }
    in->pos = (size_t)(p - in->text);
    return len;
}

int PrfGetToken(PRFIN *in, uint32_t *quoted, int skip, char *token)
{
    const uint8_t *cls = prf_classes();
    const char *text = in->text, *p = text + in->pos, *end = text + in->length;
    *quoted = 0;
    token[0] = 0;
    /* blanks, line ends and comments up to the token */
    for (;;) {
        if (p == end) {
            in->pos = in->tokenStart = in->length;
            return 0;
        }
        uint8_t c = cls[(uint8_t)*p];
        if (c == PC_BLANK || c == PC_CR || c == PC_LF) {
            p++;
        } else if (c == PC_COMMENT) {
            while (p < end && *p != '\r' && *p != '\n')
                p++;
        } else {
            break;
        }
    }
    in->tokenStart = (size_t)(p - text);
    uint8_t c = cls[(uint8_t)*p];
    if (c == PC_QUOTE) {
        int eof;
        *quoted = 1;
        in->pos = in->tokenStart + 1;
        int len = prf_quoted(in, skip, token, &eof);
        if (skip) {
            if (eof) { token[0] = 0; return 0; }
            token[0] = '!'; token[1] = 0;
            return 1;
        }
        token[len] = 0;
        return len;
    }
    if (c == PC_SINGLE) {
        token[0] = *p;
        token[1] = 0;
        in->pos = in->tokenStart + 1;
        return 1;
    }
    /* a word: up to a blank or line end (read past), a colon (taken), or
       a character that starts the next token (left) */
    const char *start = p;
    const char *limit = end - start > PRF_TOKEN_MAX ? start + PRF_TOKEN_MAX : end;
    char *t = token;
    *t++ = *p++;                     /* copied as scanned: no call per token */
    while (p < limit && cls[(uint8_t)*p] == PC_WORD)
        *t++ = *p++;
    int len = (int)(p - start);
    if (p < limit) {
        c = cls[(uint8_t)*p];
        if (c == PC_BLANK || c == PC_CR)
            p++;
        else if (c == PC_COLON)
            token[len++] = *p++;
    }
    token[len] = 0;
    in->pos = (size_t)(p - text);
    return len;
}

int PrfQuotesClosed(const char *text, size_t length)
{
    PRFIN in;
    PrfOpenText(&in, text, length);
    char token[PRF_TOKEN_SIZE];
    uint32_t quoted;
    while (PrfGetToken(&in, &quoted, 1, token))
        ;
    return !quoted;                  /* a run cut by the end reads as an empty quoted token */
}

int PrfPeekToken(PRFIN *in, uint32_t *quoted, char *token)
{
    size_t pos = in->pos;
    int len = PrfGetToken(in, quoted, 0, token);
    in->pos = pos;
    return len;
}

int PrfIsSectionTag(const char *token, int length, uint32_t quoted)
{
    return !quoted && length > 0 && token[length - 1] == ':';
}

int PrfGetValue(PRFIN *in, char *token, uint32_t *quoted)
{
    uint32_t q;
    int len;
    if (in->pos < in->length && in->text[in->pos] == '=') {
        in->tokenStart = in->pos++;          /* "key=value": the "=" taken in line */
        len = PrfGetToken(in, &q, 0, token);
    } else {
        len = PrfGetToken(in, &q, 0, token);
        if (len == 1 && !q && token[0] == '=')
            len = PrfGetToken(in, &q, 0, token);
    }
    if (quoted)
        *quoted = q;
    return len;
}

/* ---- conversions ------------------------------------------------------ */

int64_t PrfDecimal(const char *text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    int neg = 0;
    if (*text == '-' || *text == '+')
        neg = *text++ == '-';
    int64_t v = 0;
    while (*text >= '0' && *text <= '9') {
        if (v < INT64_MAX / 10 - 10)
            v = v * 10 + (*text - '0');
        else
            v = INT64_MAX;
        text++;
    }
    return neg ? -v : v;
}

static int32_t prf_int32(const char *text)
{
    int64_t v = PrfDecimal(text);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return (int32_t)v;
}

uint32_t PrfHex(const char *text)
{
    while (*text == ' ' || *text == '\t')
        text++;
    uint64_t v = 0;
    for (;; text++) {
        int d;
        if (*text >= '0' && *text <= '9') d = *text - '0';
        else if (*text >= 'a' && *text <= 'f') d = *text - 'a' + 10;
        else if (*text >= 'A' && *text <= 'F') d = *text - 'A' + 10;
        else break;
        v = v * 16 + d;
        if (v > 0xFFFFFFFFu)
            v = 0xFFFFFFFFu;
    }
    return (uint32_t)v;
}

int PrfBoundedCount(const char *text, int64_t max, int64_t *out)
{
    if (*text < '0' || *text > '9')
        return 0;
    int64_t v = 0;
    for (; *text; text++) {
        if (*text < '0' || *text > '9')
            return 0;
        v = v * 10 + (*text - '0');
        if (v > max)
            return 0;
    }
    *out = v;
    return 1;
}

/* ---- readers ---------------------------------------------------------- */

void PrfGetString(PRFIN *in, char *buffer, size_t size, char *token)
{
    PrfGetValue(in, token, nullptr);
    if (size == 0)
        return;
    size_t n = strlen(token);
    if (n > size - 1)
        n = size - 1;
    memcpy(buffer, token, n);
    buffer[n] = 0;
}

void PrfGetSharedString(PRFIN *in, const char **slot, char *token)
{
    int len = PrfGetValue(in, token, nullptr);
    CSStringSet(slot, token, len);
}

void PrfGetStringAlloc(PRFIN *in, char **slot, char *token)
{
    int len = PrfGetValue(in, token, nullptr);
    if (len == 0)
        return;
    char *p = (char *)CSGetMem(len + 1, "PRF");
    if (p)
        memcpy(p, token, len + 1);
    *slot = p;
}

void PrfGetInt(PRFIN *in, int32_t *target, char *token)
{
    if (PrfGetValue(in, token, nullptr))
        *target = prf_int32(token);
}

void PrfGetShort(PRFIN *in, int16_t *target, char *token)
{
    if (PrfGetValue(in, token, nullptr))
        *target = (int16_t)prf_int32(token);
}

void PrfGetInt64(PRFIN *in, int64_t *target, char *token)
{
    if (PrfGetValue(in, token, nullptr))
        *target = PrfDecimal(token);
}

static void prf_get_ints(PRFIN *in, int32_t *targets, int count, char *token)
{
    uint32_t q;
    if (!PrfGetValue(in, token, nullptr))
        return;
    targets[0] = prf_int32(token);
    for (int i = 1; i < count; i++) {
        /* a list cut short ends before the next section, never takes it;
           an empty token ends it too (read, as the list's last token) */
        int len = PrfPeekToken(in, &q, token);
        if (PrfIsSectionTag(token, len, q))
            return;
        PrfGetToken(in, &q, 0, token);
        if (!len)
            return;
        targets[i] = prf_int32(token);
    }
}

void PrfGetRect(PRFIN *in, int32_t *four, char *token)
{
    prf_get_ints(in, four, 4, token);
}

void PrfGetEightInts(PRFIN *in, int32_t *eight, char *token)
{
    prf_get_ints(in, eight, 8, token);
}

static void prf_copy_cut(char *to, size_t size, const char *from, size_t n)
{
    if (n > size - 1)
        n = size - 1;
    memcpy(to, from, n);
    to[n] = 0;
}

void PrfGetFont(PRFIN *in, PRFFONT *font, char *token)
{
    PrfGetValue(in, token, nullptr);
    const char *face = token;
    if (strspn(face, " ") == strcspn(face, "/"))
        return;                      /* no face: never written, so the font stays */
    const char *s1 = strchr(face, '/');
    if (!s1) {
        prf_copy_cut(font->face, sizeof font->face, face, strlen(face));
        font->style[0] = 0;
        return;
    }
    prf_copy_cut(font->face, sizeof font->face, face, (size_t)(s1 - face));
    const char *style = s1 + 1;
    const char *s2 = strchr(style, '/');
    prf_copy_cut(font->style, sizeof font->style, style,
                 s2 ? (size_t)(s2 - style) : strlen(style));
    if (s2) {
        if (strchr(s2 + 1, 'u')) font->underline = 1;
        if (strchr(s2 + 1, 's')) font->strikeout = 1;
    }
}

int PrfGetStringArea(PRFIN *in, char **area, uint32_t *capacity, int freeOld)
{
    int c;
    do
        c = prf_next(in);
    while (c == ' ' || c == '\t' || c == '\r' || c == '\n');
    if (c != '"') {
        CSFreeMemAndClear(area);
        return -1;
    }
    if (!*area) {
        *capacity = 100;
        *area = (char *)CSGetMem(100, "STRAREA");
        if (!*area)
            return -1;
    }
    char *buf = *area;
    uint32_t cap = *capacity, len = 0;
    int lastWasConvertedLf = 0;
    for (;;) {
        c = prf_next(in);
        if (c == EOF || c == '"')
            break;
        int converted = 0;
        if (c == '\r' && in->pos < in->length && in->text[in->pos] == '\n')
            c = prf_next(in);             /* a CR LF pair is one line end */
        if (c == '~') {
            c = prf_next(in);
            if (c == EOF)
                break;
            if (c == '\r' && in->pos < in->length && in->text[in->pos] == '\n')
                c = prf_next(in);         /* an escaped line end: the pair's LF */
        } else if (c == '\n') {
            if (lastWasConvertedLf) { lastWasConvertedLf = 0; continue; }
            if (len == 0 || buf[len - 1] != '\r') {
                buf[len++] = '\r';
                converted = 1;
            }
        }
        buf[len++] = (char)c;
        lastWasConvertedLf = converted;
        if (len + 10 > cap) {
            char *nbuf = (char *)CSGetMem(cap + 100, "STRAREA");
            if (!nbuf) {
                CSFreeMem(buf);
                *area = nullptr;
                return -1;
            }
            memcpy(nbuf, buf, len);
            if (freeOld)
                CSFreeMem(buf);
            buf = nbuf;
            cap += 100;
        }
    }
    buf[len] = 0;
    *area = buf;
    *capacity = cap;
    return (int)len;
}

/* ---- output ------------------------------------------------------------- */

#define PRFOUT_BLOCK 65536
/* A buffer with a stream grows up to this before it goes out: each write
 * to the stream costs a call into the host's file system, far more on some
 * hosts than the copying it saves. */
#define PRFOUT_SPILL (256 * 1024)

void PrfOutOpen(PRFOUT *out, FILE *file)
{
    memset(out, 0, sizeof *out);
    out->file = file;
}

void PrfOutOpenBinary(PRFOUT *out, FILE *file)
{
    PrfOutOpen(out, file);
#ifdef _WIN32
    out->crlf = 1;
#endif
}

/* Hands the buffer to the stream as it stands: its line ends were put as
 * the stream wants them while the text was added (a pass of its own over
 * the whole text, to put the CRs, cost more than the rest of the write). */
static void out_emit(PRFOUT *out)
{
    if (fwrite(out->data, 1, out->length, out->file) != out->length)
        out->failed = 1;
}

/* Makes room for `needed` more bytes: a full buffer goes to the stream
 * once it has grown to its largest, a buffer without one grows. */
void PrfOutSpill(PRFOUT *out, size_t needed)
{
    if (out->file && out->length && out->capacity >= PRFOUT_SPILL) {
        out_emit(out);
        out->length = 0;
    }
    if (out->capacity - out->length >= needed)
        return;
    size_t want = out->capacity ? out->capacity : PRFOUT_BLOCK;
    while (want - out->length < needed)
        want *= 2;
    char *grown = (char *)CSGetMem(want, "PRFOUT");
    if (!grown && out->file && out->length) {
        out_emit(out);               /* no more memory: what is there goes now */
        out->length = 0;
        if (out->capacity >= needed)
            return;
    }
    if (!grown) {
        out->failed = 1;
        return;
    }
    if (out->length)
        memcpy(grown, out->data, out->length);
    if (out->data)
        CSFreeMem(out->data);
    out->data = grown;
    out->capacity = want;
}

int PrfOutClose(PRFOUT *out)
{
    if (out->file && out->length)
        out_emit(out);
    if (out->data)
        CSFreeMem(out->data);
    int rc = out->failed ? -1 : 0;
    memset(out, 0, sizeof *out);
    return rc;
}

/* The bytes as they are. */
static void out_bytes(PRFOUT *out, const char *bytes, size_t n)
{
    if (n == 0)
        return;
    if (out->capacity - out->length < n)
        PrfOutSpill(out, n);
    if (out->capacity - out->length < n)
        return;
    memcpy(out->data + out->length, bytes, n);
    out->length += n;
}

void PrfOutWrite(PRFOUT *out, const char *bytes, size_t n)
{
    if (out->crlf && n) {
        const char *end = bytes + n, *lf;
        while ((lf = (const char *)memchr(bytes, '\n', (size_t)(end - bytes))) != nullptr) {
            out_bytes(out, bytes, (size_t)(lf - bytes));
            out_bytes(out, "\r\n", 2);
            bytes = lf + 1;
        }
        n = (size_t)(end - bytes);
    }
    out_bytes(out, bytes, n);
}

void PrfOutText(PRFOUT *out, const char *text)
{
    /* copied as measured: keys and words are short, a length call each
       would cost more than the copy on some hosts; a LF ends the run, to
       be put as the stream wants it */
    for (;;) {
        char *w = out->data + out->length, *end = out->data + out->capacity;
        while (w < end && *text && *text != '\n')
            *w++ = *text++;
        out->length = (size_t)(w - out->data);
        if (!*text)
            return;
        if (*text == '\n') {
            PrfOutChar(out, '\n');
            text++;
            continue;
        }
        PrfOutSpill(out, 1);
        if (out->length == out->capacity)
            return;
    }
}

void PrfOutInt(PRFOUT *out, int64_t value)
{
    char digits[24];
    if (out->capacity - out->length < sizeof digits) {
        PrfOutWrite(out, digits, (size_t)(CSPutDec(digits, value) - digits));
        return;
    }
    out->length = (size_t)(CSPutDec(out->data + out->length, value) - out->data);
}

void PrfOutKeyInt(PRFOUT *out, const char *key, int64_t value, char sep)
{
    PrfOutText(out, key);
    PrfOutInt(out, value);
    if (sep)
        PrfOutChar(out, sep);
}

int PrfOutFormat(PRFOUT *out, const char *format, ...)
{
    char line[512];
    va_list ap;
    va_start(ap, format);
    int n = vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    if (n < 0)
        return 0;
    if ((size_t)n < sizeof line) {
        PrfOutWrite(out, line, (size_t)n);
        return n;
    }
    char *big = (char *)CSGetMem((size_t)n + 1, "PRFLINE");
    if (!big) {
        out->failed = 1;
        return 0;
    }
    va_start(ap, format);
    vsnprintf(big, (size_t)n + 1, format, ap);
    va_end(ap);
    PrfOutWrite(out, big, (size_t)n);
    CSFreeMem(big);
    return n;
}

/* ---- writers ---------------------------------------------------------- */

/* Quoted text: escapes put, trailing blanks of a whole text left out.
 * Measured (values are short: a loop of its own, not a library call),
 * then stored by PrfStoreQuoted in room made for exactly what it takes. */
int PrfPutQuoted(PRFOUT *out, const char *text, size_t length)
{
    if (!text)
        text = "";
    size_t n = 0, escapes = 0;
    for (char c; n < length && (c = text[n]) != 0; n++)
        escapes += c == '"' || c == '~' || (c == '\n' && out->crlf) || c == '\r';
    char *w = PrfOutReserve(out, n + escapes + 2);
    if (w)
        PrfOutCommit(out, PrfStoreQuoted(w, text, n, length == PRF_WHOLE, out->crlf));
    return 0;
}

/* The characters a quoted text stops at: its end, the two that are put
 * with an escape before them, a LF (put after a CR for some streams) and
 * a CR (the reader drops the CR of a CR LF pair). */
struct QUOTESTOPS {
    bool c[256];
    constexpr QUOTESTOPS() : c()
    {
        c[0] = c[(uint8_t)'"'] = c[(uint8_t)'~'] = c[(uint8_t)'\n'] = c[(uint8_t)'\r'] = true;
    }
};
static constexpr QUOTESTOPS quoteStops;

char *PrfStoreQuoted(char *w, const char *text, size_t max, int trim, int crlf)
{
    /* a token holds no more: a longer text would be read on as keywords */
    if (max > PRF_TOKEN_MAX)
        max = PRF_TOKEN_MAX;
    char *start = w + 1;
    *w++ = '"';
    if (text) {
        const char *p = text, *end = text + max;
        for (;;) {
            /* a run without escapes copied as it is scanned */
            while (p < end && !quoteStops.c[(uint8_t)*p])
                *w++ = *p++;
            if (p == end || !*p)
                break;
            if (*p == '\r') {
#ifndef _WIN32
                /* a CR of the text before its LF: the reader drops the CR of
                   a CR LF pair, so on a host whose lines end in LF alone
                   another CR goes before it (where lines end in CR LF, the
                   line end the LF is written as brings that CR) */
                if (p + 1 < end && p[1] == '\n')
                    *w++ = '\r';
#endif
            } else if (*p != '\n') {
                *w++ = '~';
            } else if (crlf) {
                *w++ = '\r';
            }
            *w++ = *p++;
        }
        if (trim)
            while (w > start && w[-1] == ' ')
                w--;
    }
    *w++ = '"';
    return w;
}

void PrfPutStringArea(PRFOUT *out, const char *text, int trim)
{
    size_t n = strlen(text);
    if (trim)
        while (n && text[n - 1] == ' ')
            n--;
    int afterLf = 0;
    PrfOutChar(out, '"');
    for (const char *p = text, *end = text + n; p < end; p++) {
        if (p[0] == '\r' && p + 1 < end && p[1] == '\n')
            continue;
        if (*p == '\n' && afterLf) {
            PrfOutText(out, "~\r~\n");
            afterLf = 0;
            continue;
        }
        if (*p == '"' || *p == '~')
            PrfOutChar(out, '~');
        PrfOutChar(out, *p);
        afterLf = *p == '\n';
    }
    PrfOutChar(out, '"');
}

void PrfPutString(PRFOUT *out, const char *key, const char *text, size_t length)
{
    if (!PrfTextSet(text) || length == 0)
        return;
    PrfOutText(out, key);
    PrfPutQuoted(out, text, length);
    PrfOutChar(out, '\n');
}

void PrfPutInt(PRFOUT *out, const char *key, int32_t value)
{
    if (!value)
        return;
    PrfOutText(out, key);
    PrfOutInt(out, value);
    PrfOutChar(out, '\n');
}

void PrfPutInt64(PRFOUT *out, const char *key, int64_t value)
{
    if (!value)
        return;
    PrfOutText(out, key);
    PrfOutInt(out, value);
    PrfOutChar(out, '\n');
}

void PrfPutRect(PRFOUT *out, const char *key, const int32_t *r)
{
    if (r[0] || r[1] || r[2] || r[3])
        PrfOutFormat(out, "%s=%d %d %d %d \n", key, (int)r[0], (int)r[1], (int)r[2], (int)r[3]);
}

void PrfPutFont(PRFOUT *out, const char *key, const PRFFONT *font)
{
    if (!font->face[0])
        return;
    char text[80];
    int flags = font->underline || font->strikeout;
    /* a style of blanks alone is written as none: it would not read back */
    int style = font->style[strspn(font->style, " ")] != 0;
    snprintf(text, sizeof text, "%.35s%s%.19s%s%s%s", font->face,
             (style || flags) ? "/" : "", style ? font->style : "",
             flags ? "/" : "", font->underline ? "u" : "", font->strikeout ? "s" : "");
    PrfOutText(out, key);
    PrfPutQuoted(out, text, PRF_WHOLE);
    PrfOutChar(out, '\n');
}

void PrfPutPrintLayout(PRFOUT *out, const PRFLAYOUT *layout, char letter,
                       int16_t mainCharSet)
{
    PrfOutFormat(out, "PR%c:\n", letter);
    PrfPutString(out, "  left    =", layout->left, PRF_WHOLE);
    PrfPutString(out, "  center  =", layout->centre, PRF_WHOLE);
    PrfPutString(out, "  right   =", layout->right, PRF_WHOLE);
    PrfPutFont(out, "  font    =", &layout->font);
    PrfPutInt(out, "  fontsize=", layout->font.height);
    PrfPutInt(out, "  psize   =", layout->font.pointSize);
    PrfPutInt(out, "  rgb     =", (int32_t)layout->font.colour);
    if (layout->font.charSet && mainCharSet)
        PrfPutInt(out, "  charset =", layout->font.charSet);
    PrfPutInt(out, "  margin  =", layout->margin);
}
