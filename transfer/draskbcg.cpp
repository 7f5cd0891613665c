/* The reader of amqsbcg listings: per message the descriptor section
 * read as name and value tokens, a dead-letter header section rebuilt
 * into its 172 bytes, a properties section passed over, and the data
 * from the dump lines after the message heading, checked against the
 * length the listing states. */
#include "draskint.h"

#include <cstring>

#include "cs.h"

#define HEAD_DESCRIPTOR "****Message descriptor****"
#define HEAD_DEADLETTER "****Dead Letter Header****"
#define HEAD_PROPERTIES "****Message properties****"
#define HEAD_MESSAGE "****   Message"

static int starts(const DROPT *o, const char *prefix)
{
    size_t n = strlen(prefix);
    return o->lineLength >= n && !memcmp(o->line, prefix, n);
}

/* ---- tokens ---- */

struct Tokens {
    uint32_t pos;              /* in the current line */
    const char *text;          /* the token */
    uint32_t length;
};

static int separator(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == ':';
}

enum { TK_TOKEN = 1, TK_END = 0, TK_EOF = -100 };

/* The next token of a section: TK_TOKEN, TK_END at a line beginning with
 * "****" (held), TK_EOF, or an error code. */
static int next_token(DROPT *o, Tokens *t)
{
    for (;;) {
        while (t->pos < o->lineLength && separator(o->line[t->pos]))
            t->pos++;
        if (t->pos >= o->lineLength || o->line[t->pos] == '*') {
            int rc = DraskReadLine(o, DRL_NEXT);
            if (rc == 0)
                return TK_EOF;
            if (rc != 1)
                return rc;
            t->pos = 0;
            if (starts(o, "****"))
                return TK_END;
            continue;
        }
        const char *p = o->line + t->pos;
        if (*p == '\'') {
            const char *close = (const char *)memchr(p + 1, '\'', o->lineLength - t->pos - 1);
            uint32_t end = close ? (uint32_t)(close - o->line) : o->lineLength;
            t->text = p + 1;
            t->length = end - t->pos - 1;
            t->pos = close ? end + 1 : end;
            return TK_TOKEN;
        }
        uint32_t end = t->pos;
        while (end < o->lineLength && !separator(o->line[end]))
            end++;
        t->text = p;
        t->length = end - t->pos;
        t->pos = end;
        return TK_TOKEN;
    }
}

/* A value token that must follow a name. */
static int value_token(DROPT *o, Tokens *t)
{
    int rc = next_token(o, t);
    if (rc == TK_END)
        return DraskBadLine(o, DRC_BADFILE, "Unexpected end of section");
    if (rc == TK_EOF)
        return DraskBadLine(o, DRC_BADFILE, "Unexpected end of file");
    return rc == TK_TOKEN ? 0 : rc;
}

static int unknown_name(DROPT *o, const Tokens *t)
{
    return DraskFail(o, DRC_BADFILE, "Unrecognised attribute '%.*s' on line %lld of file '%s'",
                     (int)(t->length < 100 ? t->length : 100), t->text, (long long)o->lineNumber,
                     o->inFile);
}

/* Stores a value token into a field of kind and length. */
static int store_value(DROPT *o, uint8_t *field, uint32_t kind, uint32_t length, const Tokens *t)
{
    switch (kind) {
    case DRA_INT: {
        int32_t v;
        if (!DraskParseInt(t->text, t->length, &v))
            return DraskBadLine(o, DRC_BADFILE, "Invalid attribute value");
        memcpy(field, &v, 4);
        return 0;
    }
    case DRA_CHAR: {
        /* '' and short values are padded with blanks, as the queue
           manager pads them */
        uint32_t copy = t->length < length ? t->length : length;
        memcpy(field, t->text, copy);
        memset(field + copy, ' ', length - copy);
        return 0;
    }
    case DRA_HEX: {
        if (t->length < 3 || t->text[0] != 'X' || t->text[1] != '\'' || t->text[t->length - 1] != '\'')
            return DraskBadLine(o, DRC_BADFILE, "Badly formed hex string");
        uint8_t bytes[64];
        uint32_t digits = t->length - 3;
        int64_t got = DraskHexPairs(t->text + 2, digits, bytes, length);
        if (got < 0 || (got < length && (uint64_t)got * 2 != digits))
            return DraskBadLine(o, DRC_BADFILE, "Badly formed HEX string");
        memcpy(field, bytes, (size_t)got);
        return 0;
    }
    }
    return DraskFail(o, DRC_INTERNAL,
                     "Internal Eror:Unrecognised attribute type %d on line %lld of file '%s'",
                     (int)kind, (long long)o->lineNumber, o->inFile);
}

/* ---- sections of name and value tokens ---- */

struct SectionField {
    uint32_t kind, offset, length;
};

/* The field a name token names: 1, or 0 when it names none. */
typedef int (*FieldOf)(const Tokens *name, SectionField *out);

/* Name and value pairs up to the next "****" line, each value stored in
 * base.  In a dead-letter header section a "[NAME]" token after a number
 * is passed over and the integers must hold digits. */
static int read_section(DROPT *o, uint8_t *base, FieldOf field, int deadLetter)
{
    Tokens t = {o->lineLength, nullptr, 0};
    for (;;) {
        int rc = next_token(o, &t);
        if (rc == TK_END)
            return 0;
        if (rc == TK_EOF)
            return DraskBadLine(o, DRC_BADFILE, "Unexpected end of file");
        if (rc != TK_TOKEN)
            return rc;
        if (deadLetter && t.text[0] == '[')
            continue;          /* the name of the reason before it */
        SectionField f;
        if (!field(&t, &f))
            return unknown_name(o, &t);
        if ((rc = value_token(o, &t)) != 0)
            return rc;
        if (deadLetter && f.kind == DRA_INT) {
            const char *bracket = (const char *)memchr(t.text, '[', t.length);
            if (bracket)
                t.length = (uint32_t)(bracket - t.text);
            if (!t.length || t.text[t.length - 1] < '0' || t.text[t.length - 1] > '9')
                return DraskBadLine(o, DRC_BADFILE, "Invalid attribute value");
        }
        if ((rc = store_value(o, base + f.offset, f.kind, f.length, &t)) != 0)
            return rc;
    }
}

/* ---- the descriptor section ---- */

static int descriptor_field(const Tokens *t, SectionField *out)
{
    const DraskAttr *a = DraskFindName(t->text, t->length);
    if (a)
        *out = {a->kind, a->offset, a->length};
    return a != nullptr;
}

static int descriptor_section(DROPT *o)
{
    int rc = read_section(o, (uint8_t *)&o->md, descriptor_field, 0);
    if (rc)
        return rc;
    MQMD d;
    DraskDefaultMD(&d);
    if (!memcmp(&o->md.GroupId, &d.GroupId, sizeof d - offsetof(MQMD, GroupId)))
        o->md.Version = MQMD_VERSION_1;
    return 0;
}

/* ---- the dead-letter header section ---- */

struct DlhField {
    const char *name;
    SectionField field;
};

static const DlhField dlhFields[] = {
    {"StrucId", {DRA_CHAR, offsetof(MQDLH, StrucId), 4}},
    {"Version", {DRA_INT, offsetof(MQDLH, Version), 4}},
    {"Reason", {DRA_INT, offsetof(MQDLH, Reason), 4}},
    {"DestQName", {DRA_CHAR, offsetof(MQDLH, DestQName), 48}},
    {"DestQMgrName", {DRA_CHAR, offsetof(MQDLH, DestQMgrName), 48}},
    {"Encoding", {DRA_INT, offsetof(MQDLH, Encoding), 4}},
    {"CodedCharSetId", {DRA_INT, offsetof(MQDLH, CodedCharSetId), 4}},
    {"Format", {DRA_CHAR, offsetof(MQDLH, Format), 8}},
    {"PutApplType", {DRA_INT, offsetof(MQDLH, PutApplType), 4}},
    {"PutApplName", {DRA_CHAR, offsetof(MQDLH, PutApplName), 28}},
    {"PutDate", {DRA_CHAR, offsetof(MQDLH, PutDate), 8}},
    {"PutTime", {DRA_CHAR, offsetof(MQDLH, PutTime), 8}},
};

static int deadletter_field(const Tokens *t, SectionField *out)
{
    for (const DlhField &f : dlhFields)
        if (strlen(f.name) == t->length && !memcmp(f.name, t->text, t->length)) {
            *out = f.field;
            return 1;
        }
    return 0;
}

/* The printed header, in the descriptor's encoding and character set. */
static int deadletter_section(DROPT *o, MQDLH *dlh)
{
    static const MQDLH init = {MQDLH_DEFAULT};
    *dlh = init;
    int rc = read_section(o, (uint8_t *)dlh, deadletter_field, 1);
    if (rc)
        return rc;
    if ((o->md.Encoding & MQENC_INTEGER_MASK) == MQENC_INTEGER_NORMAL) {
        CSSwap32(&dlh->Version, 2);
        CSSwap32(&dlh->Encoding, 2);
        CSSwap32(&dlh->PutApplType, 1);
    }
    if (CSIsEbcdicCcsid(o->md.CodedCharSetId)) {
        uint8_t *b = (uint8_t *)dlh;
        for (const DlhField &f : dlhFields)
            if (f.field.kind == DRA_CHAR)
                CSTranslateBytes(b + f.field.offset, b + f.field.offset, (int)f.field.length,
                                 CSAsciiToEbcdic);
    }
    return 0;
}

/* ---- the message section ---- */

/* " length - X of Y bytes" or " length - X bytes": 1 with the numbers
 * (total -1 when not given), 0 when the line is none, -1 when they are
 * beyond 32 bits. */
static int length_line(const DROPT *o, int64_t *shown, int64_t *total)
{
    const char *p = (const char *)UTMemFind(o->line, (int)o->lineLength, "length - ", 9);
    if (!p)
        return 0;
    const char *end = o->line + o->lineLength;
    int64_t v[2] = {-1, -1};
    p += 9;
    for (int i = 0; i < 2; i++) {
        if (p >= end || *p < '0' || *p > '9')
            return i ? 1 : 0;
        int64_t n = 0;
        for (; p < end && *p >= '0' && *p <= '9'; p++)
            if ((n = n * 10 + (*p - '0')) > 0x7FFFFFFF)
                return -1;
        v[i] = n;
        *shown = v[0];
        *total = v[1];
        if (end - p < 4 || memcmp(p, " of ", 4))
            return 1;
        p += 4;
    }
    return 1;
}

/* The offset of a dump line's data: after 8 hex digits and ":", or -1. */
static int dump_data(const DROPT *o)
{
    uint32_t i = 0;
    while (i < o->lineLength && (o->line[i] == ' ' || o->line[i] == '\f'))
        i++;
    if (o->lineLength < i + 9 || o->line[i + 8] != ':')
        return -1;
    for (uint32_t k = 0; k < 8; k++)
        if (DraskHexTable[(uint8_t)o->line[i + k]] < 0)
            return -1;
    return (int)(i + 9);
}

/* The pairs of a dump line, blanks before each pair skipped. */
static int dump_line(DROPT *o, int at, uint64_t *count)
{
    int rc = DraskReserve(o, (uint64_t)o->msgLength + o->lineLength);
    if (rc)
        return rc;
    const uint8_t *p = (const uint8_t *)o->line;
    for (uint32_t i = (uint32_t)at;;) {
        while (i < o->lineLength && p[i] == ' ')
            i++;
        int hi = i < o->lineLength ? DraskHexTable[p[i]] : -1;
        if (hi < 0)
            return 0;
        int lo = i + 1 < o->lineLength ? DraskHexTable[p[i + 1]] : -1;
        if (lo < 0)
            return DraskBadLine(o, DRC_BADFILE, "Badly formed HEX string");
        o->msg[o->msgLength++] = (uint8_t)(hi << 4 | lo);
        (*count)++;
        i += 2;
    }
}

struct Sections {
    int inMessage;
    int haveDlh;
    MQDLH dlh;
    int64_t shown, total;      /* the listing's length line; -1 none */
    int64_t lengthLine;
    uint64_t dumped;
};

/* One line after the descriptor: 1 the message goes on, 0 it ended (the
 * line held), or an error code. */
static int message_line(DROPT *o, Sections *s)
{
    if (starts(o, " MQ") || starts(o, HEAD_DESCRIPTOR))
        return 0;
    if (starts(o, HEAD_DEADLETTER)) {
        int rc = deadletter_section(o, &s->dlh);
        s->haveDlh = 1;
        return rc ? rc : 2;
    }
    if (starts(o, HEAD_PROPERTIES)) {
        s->inMessage = 0;
        return 1;
    }
    if (starts(o, HEAD_MESSAGE)) {
        s->inMessage = 1;
        return 1;
    }
    if (starts(o, "****")) {
        s->inMessage = 0;
        return 1;
    }
    if (!s->inMessage)
        return 1;
    int at = dump_data(o);
    if (at >= 0) {
        int rc = dump_line(o, at, &s->dumped);
        return rc ? rc : 1;
    }
    int64_t shown = -1, total = -1;
    int known = s->shown < 0 ? length_line(o, &shown, &total) : 0;
    if (known < 0)
        return DraskBadLine(o, DRC_BADFILE, "Invalid message length");
    if (known > 0) {
        s->shown = shown;
        s->total = total;
        s->lengthLine = o->lineNumber;
    }
    return 1;
}

/* The dump against the listing's length line, then the header in front. */
static int finish_message(DROPT *o, Sections *s)
{
    if (s->shown >= 0 && s->total >= 0 && s->shown < s->total)
        return DraskFail(o, DRC_BADFILE,
                         "Message data truncated to %lld of %lld bytes on line %lld of file '%s'",
                         (long long)s->shown, (long long)s->total, (long long)s->lengthLine, o->inFile);
    if (s->shown >= 0 && (uint64_t)s->shown != s->dumped)
        return DraskFail(o, DRC_BADFILE,
                         "Message data of %llu bytes where %lld are stated on line %lld of file '%s'",
                         (unsigned long long)s->dumped, (long long)s->shown, (long long)s->lengthLine,
                         o->inFile);
    if (s->haveDlh) {
        int rc = DraskReserve(o, (uint64_t)o->msgLength + sizeof(MQDLH));
        if (rc)
            return rc;
        memmove(o->msg + sizeof(MQDLH), o->msg, o->msgLength);
        memcpy(o->msg, &s->dlh, sizeof(MQDLH));
        o->msgLength += sizeof(MQDLH);
    }
    return 0;
}

int DraskReadBcg(DROPT *o)
{
    DraskDefaultMD(&o->md);
    o->msgLength = 0;
    o->dataStart = 0;
    for (;;) {
        int rc = DraskReadLine(o, DRL_PEEK);
        if (rc == 0)
            return DRC_END;
        if (rc != 1)
            return rc;
        if (starts(o, HEAD_DESCRIPTOR))
            break;
        if ((rc = DraskReadLine(o, DRL_NEXT)) < 0 || rc > 1)
            return rc;
    }
    int rc = descriptor_section(o);
    if (rc)
        return rc;
    Sections s = {};
    s.shown = s.total = -1;
    for (;;) {
        rc = DraskReadLine(o, DRL_PEEK);
        if (rc == 0)
            break;
        if (rc != 1)
            return rc;
        rc = message_line(o, &s);
        if (rc == 0)
            break;
        if (rc < 0 || rc > 2)
            return rc;
        if (rc == 1 && (rc = DraskReadLine(o, DRL_NEXT)) != 1 && rc != 0)
            return rc;
    }
    if ((rc = finish_message(o, &s)) != 0)
        return rc;
    ProgSetPosition(o->progress, o->inPosition, o->total);
    return 0;
}
