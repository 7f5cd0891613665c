/* The Load/Unload dialog's fields turned into a control block: the
 * mandatory names, conversion, plain-file and output options, context,
 * searches in ASCII, EBCDIC and hex, the commit interval, the age limits
 * and the message range, each check naming its field. */
#include "xferfields.h"

#include <cstdarg>
#include <cstring>

#include "cs.h"

const DRVALUE DraskEncodings[] = {{"Reversed", 546}, {"Normal", 273}, {nullptr, 0}};
const DRVALUE DraskFormats[] = {{"Default", 0}, {"Ascii", DRO_SAFESET}, {"Ascii Column", DRO_COLUMN},
                                {nullptr, 0}};
const DRVALUE DraskContexts[] = {
    {"Set all context", DRO_CTX_SETALL}, {"Set identity context", DRO_CTX_SETID},
    {"Pass all context", DRO_CTX_PASSALL}, {"Pass identity context", DRO_CTX_PASSID},
    {"Default context", DRO_CTX_DEFAULT}, {"No context", DRO_CTX_NONE}, {nullptr, 0},
};

enum { NUMBER_MAX = 0x7FFFFFFF };

/* A decimal number of at most 31 bits at *p (advanced): 1, or 0. */
static int number(const char **p, int64_t *out)
{
    const char *s = *p;
    if (*s < '0' || *s > '9')
        return 0;
    int64_t v = 0;
    for (; *s >= '0' && *s <= '9'; s++)
        if ((v = v * 10 + (*s - '0')) > NUMBER_MAX)
            return 0;
    *p = s;
    *out = v;
    return 1;
}

/* ---- the message range ---- */

static void range_text(int64_t first, int64_t last, char *status, size_t size)
{
    if (!first)
        snprintf(status, size, "Processing all messages.");
    else if (first == last)
        snprintf(status, size, "Processing message index %lld only.", (long long)first);
    else if (!last)
        snprintf(status, size, "Processing message indexes %lld onwards.", (long long)first);
    else
        snprintf(status, size, "Processing message indexes %lld to %lld.", (long long)first,
                 (long long)last);
}

/* n | n.. | ..m | n..m | n#c | #c; 0 never names a message. */
static int range_forms(const char *p, int64_t *first, int64_t *last, int *upTo)
{
    int64_t n = 0, m = 0;
    *upTo = 0;
    if (!*p) {
        *first = *last = 0;
        return 1;
    }
    if (*p == '#' || (p[0] == '.' && p[1] == '.')) {
        int count = *p == '#';
        p += count ? 1 : 2;
        if (!number(&p, &m) || *p || !m)
            return 0;
        *first = 1;
        *last = m;
        *upTo = !count;
        return 1;
    }
    if (!number(&p, &n) || !n)
        return 0;
    if (!*p) {
        *first = *last = n;
        return 1;
    }
    if (*p == '#') {
        p++;
        if (!number(&p, &m) || *p || !m || n + m - 1 > NUMBER_MAX)
            return 0;
        *first = n;
        *last = n + m - 1;
        return 1;
    }
    if (p[0] != '.' || p[1] != '.')
        return 0;
    p += 2;
    if (!*p) {
        *first = n;
        *last = 0;
        return 1;
    }
    if (!number(&p, &m) || *p || !m)
        return 0;
    *first = n < m ? n : m;
    *last = n < m ? m : n;
    return 1;
}

int ParseMessageRange(const char *text, int64_t *first, int64_t *last, char *status, size_t size)
{
    char copy[100];
    UTStrCopy(copy, text ? text : "", sizeof copy);
    UTTrimRightChars(copy, (int)strlen(copy), " ");
    const char *p = copy;
    while (*p == ' ')
        p++;
    int upTo = 0;
    if (!range_forms(p, first, last, &upTo)) {
        snprintf(status, size, "Invalid message range parameter '%s'", text ? text : "");
        return 1;
    }
    if (upTo && *last > 1)
        snprintf(status, size, "Processing up to message index %lld.", (long long)*last);
    else
        range_text(*first, *last, status, size);
    return 0;
}

/* ---- searches ---- */

int DraskEbcdicSearch(const char *text, DRSEARCH *out)
{
    size_t n = strlen(text);
    if (n > DRS_SIZE)
        n = DRS_SIZE;
    for (size_t i = 0; i < n; i++) {
        uint8_t c = (uint8_t)text[i];
        uint8_t e = CSAsciiToEbcdic[c];
        if (e == 0x4B && c != '.')
            return c;
        out->bytes[i] = e;
    }
    out->length = (int32_t)n;
    return 0;
}

int DraskHexSearch(const char *text, DRSEARCH *out)
{
    static const char digits[] = "0123456789ABCDEFabcdef";
    int32_t n = 0;
    const char *p = text;
    for (;;) {
        while (*p == ' ')
            p++;
        if (!*p)
            break;
        const char *hi = strchr(digits, *p), *lo = p[1] ? strchr(digits, p[1]) : nullptr;
        if (!hi || !lo || n >= DRS_SIZE)
            return 0;
        int h = (int)(hi - digits), l = (int)(lo - digits);
        out->bytes[n++] = (uint8_t)((h < 16 ? h : h - 6) << 4 | (l < 16 ? l : l - 6));
        p += 2;
    }
    out->length = n;
    return 1;
}

/* ---- the block ---- */

struct Build {
    const DRASKFIELDS *f;
    DROPT *o;
    DRASKBUILT *built;
    char *error;
    size_t size;
};

static int refuse(Build *b, int field, const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;

static int refuse(Build *b, int field, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    vsnprintf(b->error, b->size, format, ap);
    va_end(ap);
    b->built->field = field;
    return 1;
}

static int mandatory(Build *b, const char *text, int field, const char *name)
{
    return text[0] ? 0 : refuse(b, field, "Please enter a value for '%s'", name);
}

static int whole_number(const char *text, int64_t *value)
{
    const char *p = text;
    while (*p == ' ')
        p++;
    if (!number(&p, value))
        return 0;
    while (*p == ' ')
        p++;
    return !*p;
}

static int input_part(Build *b)
{
    const DRASKFIELDS *f = b->f;
    DROPT *o = b->o;
    if (f->input == DRIN_QUEUE) {
        if (mandatory(b, f->inQueue, DF_INQUEUE, "Input Queue"))
            return 1;
        UTStrCopy(o->sourceQ, f->inQueue, sizeof o->sourceQ);
        if (f->ccsid[0]) {
            int64_t ccsid;
            if (!whole_number(f->ccsid, &ccsid))
                return refuse(b, DF_CCSID, "Invalid CCSID '%s'", f->ccsid);
            o->ccsid = (int32_t)ccsid;
            o->options |= DRO_CONVERT;
        }
        for (const DRVALUE *v = DraskEncodings; v->text; v++)
            if (!strcmp(v->text, f->encoding)) {
                o->encoding = (int32_t)v->value;
                o->options |= DRO_CONVERT;
            }
        if (f->purge)
            o->options |= DRO_PURGE;
        if (f->move)
            o->options |= DRO_MOVE;
        if (f->readAhead)
            o->options2 |= DRO2_READAHEAD;
        if (!f->forceRfh2)
            o->options2 |= DRO2_NORFH2;
        return 0;
    }
    if (f->input == DRIN_DRASK) {
        if (mandatory(b, f->inFile, DF_INFILE, "Input File"))
            return 1;
        UTStrCopy(o->inFile, f->inFile, sizeof o->inFile);
        return 0;
    }
    o->options2 |= DRO2_PLAIN;
    if (mandatory(b, f->otherFile, DF_OTHERFILE, "Input File"))
        return 1;
    UTStrCopy(o->inFile, f->otherFile, sizeof o->inFile);
    if (f->single)
        o->options2 |= DRO2_WHOLE;
    if (f->include)
        o->options2 |= DRO2_INCLUDE;
    o->startLength = (int32_t)strnlen(f->startDelim, DR_DELIM_SIZE);
    memcpy(o->startDelim, f->startDelim, (size_t)o->startLength);
    o->endLength = (int32_t)strnlen(f->endDelim, DR_DELIM_SIZE);
    memcpy(o->endDelim, f->endDelim, (size_t)o->endLength);
    return 0;
}

static int output_part(Build *b)
{
    const DRASKFIELDS *f = b->f;
    DROPT *o = b->o;
    if (f->output == DROUT_DRASK) {
        if (mandatory(b, f->outFile, DF_OUTFILE, "Output File"))
            return 1;
        UTStrCopy(o->outFile, f->outFile, sizeof o->outFile);
        if (f->index)
            o->options |= DRO_INDEX;
        if (f->overwrite)
            o->options |= DRO_OVERWRITE;
        o->options |= f->format & (DRO_SAFESET | DRO_COLUMN);
        return 0;
    }
    if (mandatory(b, f->outQueue, DF_OUTQUEUE, "Output Queue"))
        return 1;
    UTStrCopy(o->targetQ, f->outQueue, sizeof o->targetQ);
    if (f->async)
        o->options2 |= DRO2_ASYNC;
    return 0;
}

static void caption(Build *b)
{
    const DRASKFIELDS *f = b->f;
    const char *text = f->input != DRIN_QUEUE ? (f->output == DROUT_DRASK ? "Transfering messages"
                                                                          : "Loading messages")
                       : f->output == DROUT_DRASK ? "Unloading messages"
                       : f->move                  ? "Moving messages"
                                                  : "Copying messages";
    UTStrCopy(b->built->caption, text, sizeof b->built->caption);
}

static const int searchFields[DRS_GROUPS] = {DF_SEARCH, DF_NOTSEARCH, DF_ESEARCH, DF_NOTESEARCH,
                                             DF_HSEARCH, DF_NOTHSEARCH};

static int search_part(Build *b)
{
    for (int g = 0; g < DRS_GROUPS; g++) {
        const char *text = b->f->search[g];
        DRSEARCH *s = &b->o->search[g][0];
        const char *which = g & 1 ? "not search" : "search";
        if (!text[0])
            continue;
        if (g == DRS_TEXT || g == DRS_NOT_TEXT) {
            s->length = (int32_t)strnlen(text, DRS_SIZE);
            memcpy(s->bytes, text, (size_t)s->length);
        } else if (g == DRS_EBCDIC || g == DRS_NOT_EBCDIC) {
            int bad = DraskEbcdicSearch(text, s);
            if (bad)
                return refuse(b, searchFields[g],
                              "Sorry the Ebcdic %s string contains a non-variant character '%c'",
                              which, bad);
        } else if (!DraskHexSearch(text, s) || !s->length) {
            return refuse(b, searchFields[g], "Sorry the hex %s string does not appear to be hex",
                          which);
        }
    }
    return 0;
}

/* An age limit: the bound (0 none), the long form written back. */
static int age(Build *b, const char *text, int field, const char *which, int64_t *bound, char *back)
{
    back[0] = 0;
    const char *p = text;
    while (*p == ' ')
        p++;
    if (!*p)
        return 0;
    int64_t seconds = UTParseInterval(text);
    if (seconds < 1)
        return refuse(b, field, "Sorry the format of the %s age is not recognised", which);
    char form[100];
    UTFormatInterval(form, seconds, 0);
    UTStrCopy(back, form, sizeof b->built->older);
    *bound = b->o->runTime - seconds;
    return 0;
}

int DraskBuildBlock(const DRASKFIELDS *f, int64_t now, DROPT *o, DRASKBUILT *built, char *error,
                    size_t size)
{
    Build b = {f, o, built, error, size};
    memset(built, 0, sizeof *built);
    error[0] = 0;
    DraskInit(o);
    o->runTime = now;
    if (input_part(&b) || output_part(&b))
        return 1;
    o->options = (o->options & ~DRO_CTX_MASK) | (f->context & DRO_CTX_MASK);
    if (f->strip)
        o->options |= DRO_STRIP;
    caption(&b);
    if (search_part(&b))
        return 1;
    int64_t limit = 0;
    if (f->txnLimit[0] && !whole_number(f->txnLimit, &limit))
        return refuse(&b, DF_TXNLIMIT, "Invalid Txn Message Limit '%s'", f->txnLimit);
    o->commitInterval = (int32_t)limit;
    if (age(&b, f->older, DF_OLDER, "older than", &o->olderBound, built->older) ||
        age(&b, f->younger, DF_YOUNGER, "younger than", &o->youngerBound, built->younger))
        return 1;
    if (ParseMessageRange(f->range, &o->first, &o->last, built->status, sizeof built->status))
        return refuse(&b, DF_RANGE, "%s", built->status);
    int filtered = o->first || o->olderBound || o->youngerBound;
    for (int g = 0; g < DRS_GROUPS; g++)
        filtered |= o->search[g][0].length > 0;
    if (filtered && (o->options & DRO_MOVE))
        o->options |= DRO_BROWSEGET;
    else
        o->options &= ~DRO_BROWSEGET;
    built->askPurge = (o->options & DRO_PURGE) && (o->options & DRO_BROWSEGET);
    return 0;
}

void DraskSettleBrowse(DROPT *o, int purgeAgreed)
{
    if (purgeAgreed)
        o->options &= ~DRO_BROWSEGET;
    if (o->options & DRO_BROWSEGET)
        o->options2 &= ~DRO2_READAHEAD;
}
