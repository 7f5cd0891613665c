/* XML formatter and tag scanner: XML bodies and MQRFH2 folders as an
 * indented tree, one tag or text run per line, with damaged XML reported
 * inside the output. Nesting is bounded so that hostile data cannot
 * exhaust the stack. */
#include "fmtint.h"
#include <cstdio>

static const struct { const char *shortName, *display; } folderNames[] = {
    { "jms", "JMSProperties" }, { "usr", "User Properties" }, { "mcd", "Message Properties" },
    { "Dst", "JMSDestination" }, { "Msd", "Message Type" }, { "Exp", "JMSExpiration" },
    { "Pri", "JMSPriority" }, { "Dlv", "JMSDeliveryMode" }, { "Cid", "JMSCorrelationID" },
    { "Rto", "JMSReplyTo" }, { "Tms", "JMSTimestamp" }, { "Type", "JMSType" },
    { "Set", "JMSType (Set)" }, { "Fmt", "JMSType (Fmt)" } };

static int IsSpace(const FmtCodepage *cp, unsigned char c)
{
    return c == cp->ch[CP_BLANK] || c == cp->ch[CP_TAB] || c == cp->ch[CP_CR] || c == cp->ch[CP_LF];
}

static void DisplayName(FmtXmlTag *t, const FmtCodepage *cp)
{
    char name[8];
    if (t->nameLength >= sizeof name)
        return;
    FmtPrintable(name, t->name, t->nameLength, cp);
    for (auto &f : folderNames)
        if (strlen(f.shortName) == t->nameLength && memcmp(f.shortName, name, t->nameLength) == 0) {
            t->display = f.display;
            t->displayLength = (uint32_t)strlen(f.display);
            return;
        }
}

/* Finds the ">" that closes a bracketed declaration: after a "]" with
 * only blanks between. */
static uint32_t DeclEnd(const unsigned char *p, uint32_t n, const FmtCodepage *cp, uint32_t from)
{
    int afterBracket = 0;
    for (uint32_t j = from; j < n; j++) {
        if (p[j] == cp->ch[CP_RBRK])
            afterBracket = 1;
        else if (p[j] == cp->ch[CP_GT] && afterBracket)
            return j;
        else if (!IsSpace(cp, p[j]))
            afterBracket = 0;
    }
    return n;
}

/* The ">" that ends a tag, from i (n when there is none): a "<" before it
 * makes the tag incomplete; in a start tag a ">" inside a quoted attribute
 * value (a quote after "=") belongs to the value. */
static uint32_t TagEnd(const unsigned char *p, uint32_t n, uint32_t i, const FmtCodepage *cp, int attributes)
{
    unsigned char quote = 0, last = 0;
    for (uint32_t j = i; j < n; j++) {
        unsigned char c = p[j];
        if (c == cp->ch[CP_LT])
            return n;
        if (quote) {
            if (c == quote)
                quote = 0;
            continue;
        }
        if (c == cp->ch[CP_GT])
            return j;
        if (attributes && last == cp->ch[CP_EQUALS] && (c == cp->ch[CP_QUOTE] || c == cp->ch[CP_APOS]))
            quote = c;
        if (!IsSpace(cp, c))
            last = c;
    }
    return n;
}

uint32_t FapXmlScanTag(const unsigned char **pos, uint32_t *remaining, int useDisplayNames,
                       const FmtCodepage *cp, FmtXmlTag *t)
{
    memset(t, 0, sizeof *t);
    const unsigned char *p = *pos;
    uint32_t n = *remaining, i = 1, end = n;
    if (n == 0 || p[0] != cp->ch[CP_LT])
        return 12;
    t->start = p;
    if (n >= 4 && p[1] == cp->ch[CP_EXCL] && p[2] == cp->ch[CP_MINUS] && p[3] == cp->ch[CP_MINUS]) {
        t->flags = FMT_TAG_SPECIAL | FMT_TAG_EMPTY;
        for (uint32_t j = 6; j < n; j++)
            if (p[j] == cp->ch[CP_GT] && p[j - 1] == cp->ch[CP_MINUS] && p[j - 2] == cp->ch[CP_MINUS]) {
                end = j;
                break;
            }
    } else {
        while (i < n && IsSpace(cp, p[i]))
            i++;
        if (i < n && p[i] == cp->ch[CP_SLASH]) {
            t->flags |= FMT_TAG_END;
            i++;
        } else if (i < n && p[i] == cp->ch[CP_QUEST]) {
            t->flags |= FMT_TAG_SPECIAL | FMT_TAG_EMPTY;
            i++;
        } else if (i < n && p[i] == cp->ch[CP_EXCL]) {
            t->flags |= FMT_TAG_EMPTY;
            i++;
            static const char doctype[] = "DOCTYPE";
            int isDoctype = n - i >= 7;
            for (uint32_t k = 0; isDoctype && k < 7; k++) {
                unsigned char c = cp->toAscii ? cp->toAscii[p[i + k]] : p[i + k];
                isDoctype = c == (unsigned char)doctype[k];
            }
            const unsigned char *gt = i < n ? (const unsigned char *)memchr(p + i, cp->ch[CP_GT], n - i) : nullptr;
            uint32_t before = gt ? (uint32_t)(gt - (p + i)) : n - i;   /* "[" only counts before the first ">" */
            if (i < n && p[i] == cp->ch[CP_LBRK]) {
                t->flags |= FMT_TAG_SPECIAL;
                end = DeclEnd(p, n, cp, i);
            } else if (isDoctype && before && memchr(p + i, cp->ch[CP_LBRK], before)) {
                t->flags |= FMT_TAG_SPECIAL;
                end = DeclEnd(p, n, cp, i);
            }
        }
        while (i < n && IsSpace(cp, p[i]))
            i++;
        t->name = p + i;
        while (i < n && !IsSpace(cp, p[i]) && p[i] != cp->ch[CP_GT] && p[i] != cp->ch[CP_SLASH] &&
               p[i] != cp->ch[CP_QUEST] && p[i] != cp->ch[CP_EXCL] && p[i] != cp->ch[CP_LT])
            i++;
        t->nameLength = (uint32_t)(p + i - t->name);
        t->attrStart = p + i;
        if (end == n)
            end = TagEnd(p, n, i, cp, !(t->flags & (FMT_TAG_END | FMT_TAG_EMPTY)));
    }
    if (end >= n) {
        t->end = p + n - 1;
        return 0;                       /* no FMT_TAG_COMPLETE */
    }
    t->end = p + end;
    t->attrEnd = t->attrStart ? p + end : nullptr;
    if (end > 0 && p[end - 1] == cp->ch[CP_SLASH] && !(t->flags & FMT_TAG_SPECIAL)) {
        t->flags |= FMT_TAG_EMPTY;
        if (t->attrEnd && t->attrEnd > t->attrStart)
            t->attrEnd--;
    }
    if (t->attrEnd && t->attrEnd < t->attrStart)
        t->attrEnd = t->attrStart;
    t->flags |= FMT_TAG_COMPLETE;
    t->display = nullptr;
    if (useDisplayNames)
        DisplayName(t, cp);
    uint32_t used = end + 1;
    while (used < n && IsSpace(cp, p[used]))
        used++;
    *pos = p + used;
    *remaining = n - used;
    return 0;
}

/* ---- entities ---- */

static const struct { char ch; int cpIndex; const char *entity; } entities[] = {
    { '>', CP_GT, "&gt;" }, { '<', CP_LT, "&lt;" }, { ' ', CP_BLANK, "&nbsp;" },
    { '&', CP_AMP, "&amp;" }, { '"', CP_QUOTE, "&quot;" }, { '\'', CP_APOS, "&apos;" } };

/* Length of the entity at p, with its character, or 0. */
static uint32_t EntityAt(const FmtCodepage *cp, const unsigned char *p, uint32_t n, unsigned char *out)
{
    for (auto &e : entities) {
        uint32_t len = (uint32_t)strlen(e.entity), k;
        if (len > n)
            continue;
        for (k = 0; k < len; k++) {
            unsigned char c = cp->toAscii ? cp->toAscii[p[k]] : p[k];
            if (c != (unsigned char)e.entity[k])
                break;
        }
        if (k == len) {
            *out = cp->ch[e.cpIndex];
            return len;
        }
    }
    return 0;
}

uint32_t FapDecodeEntities(uint32_t ccsid, char *out, const unsigned char *data, uint32_t length)
{
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    uint32_t o = 0;
    for (uint32_t i = 0; i < length;) {
        unsigned char c;
        uint32_t len = data[i] == cp->ch[CP_AMP] ? EntityAt(cp, data + i, length - i, &c) : 0;
        if (len) {
            if (out)
                out[o] = (char)c;
            i += len;
        } else {
            if (out)
                out[o] = (char)data[i];
            i++;
        }
        o++;
    }
    return o;
}

uint32_t FapEntityDecodedLen(uint32_t ccsid, const unsigned char *data, uint32_t length)
{
    return FapDecodeEntities(ccsid, nullptr, data, length);
}

uint32_t FapEntityFit(uint32_t ccsid, const unsigned char *data, uint32_t length, uint32_t width,
                      int *needsDecoding)
{
    const FmtCodepage *cp = FmtGetCodepage(ccsid);
    uint32_t i = 0, chars = 0;
    *needsDecoding = 0;
    while (i < length && chars < width) {
        unsigned char c;
        uint32_t len = data[i] == cp->ch[CP_AMP] ? EntityAt(cp, data + i, length - i, &c) : 0;
        if (len)
            *needsDecoding = 1;
        i += len ? len : 1;
        chars++;
    }
    return i;
}

/* ---- the formatter ---- */

namespace {
struct XmlRun {
    FmtMsgInfo *msg;
    FmtLineSink sink;
    uint64_t context;
    FmtLineRec *lr;
    const FmtCodepage *cp;
    const unsigned char *start;
    int names;
    uint32_t lines;
    FmtTagInfo info;            /* reported with each XML line */
};
enum { X_OK, X_INCOMPLETE, X_BADLY, X_UNRECOGNISED, X_HANDLED, X_STOP };
}

static uint32_t Lines(XmlRun &r, uint32_t indent, const unsigned char *p, uint32_t n, uint32_t flags)
{
    r.lines++;
    r.lr->lineFlags = flags;
    r.lr->tag = &r.info;
    uint32_t rc = FapOutputLine(r.msg, r.sink, r.context, r.start, n, r.lr, indent, 20, n, p);
    r.lr->tag = nullptr;
    r.lr->lineFlags = 0;
    return rc;
}

/* A text line reports its element only. */
static void TextInfo(XmlRun &r)
{
    r.info.tag = r.info.partner = FMT_NO_TAG;
    r.info.tagLength = r.info.flags = 0;
}

/* The end tag that closes the element opened by t, or null when the data
 * ends first or the nesting is broken.  Only searched while the lines
 * carry text: counting runs never pay for it. */
static const unsigned char *EndTagOf(XmlRun &r, const FmtXmlTag &t, const unsigned char *p, uint32_t n)
{
    uint32_t depth = 0;
    while (n) {
        const unsigned char *q = (const unsigned char *)memchr(p, r.cp->ch[CP_LT], n);
        if (!q)
            return nullptr;
        n -= (uint32_t)(q - p);
        p = q;
        FmtXmlTag s;
        const unsigned char *at = p;
        FapXmlScanTag(&p, &n, 0, r.cp, &s);
        if (!(s.flags & FMT_TAG_COMPLETE))
            return nullptr;
        if (s.flags & FMT_TAG_END) {
            if (depth == 0)
                return s.nameLength == t.nameLength && memcmp(s.name, t.name, t.nameLength) == 0 ? at : nullptr;
            depth--;
        } else if (!(s.flags & FMT_TAG_EMPTY) && ++depth > FMT_XML_MAX_DEPTH) {
            return nullptr;
        }
    }
    return nullptr;
}

/* The tag line's report: the tag, its flags and its partner. */
static void TagInfo(XmlRun &r, const FmtXmlTag &t, const FmtXmlTag *open, const unsigned char *after,
                    uint32_t afterN)
{
    FmtLineRec *lr = r.lr;
    r.info.tag = FmtOffsetOf(lr, t.start);
    r.info.tagLength = (uint32_t)(t.end - t.start + 1);
    r.info.flags = t.flags;
    r.info.partner = FMT_NO_TAG;
    if ((t.flags & FMT_TAG_END) && open) {
        r.info.partner = FmtOffsetOf(lr, open->start);
    } else if (!(t.flags & (FMT_TAG_END | FMT_TAG_EMPTY)) && !FmtNoText(lr)) {
        const unsigned char *end = EndTagOf(r, t, after, afterN);
        if (end)
            r.info.partner = FmtOffsetOf(lr, end);
    }
}

static uint32_t Text(XmlRun &r, uint32_t indent, const unsigned char *p, uint32_t n)
{
    TextInfo(r);
    while (n && IsSpace(r.cp, *p))
        p++, n--;
    while (n && IsSpace(r.cp, p[n - 1]))
        n--;
    return n ? Lines(r, indent, p, n, LF_XML) : 0;
}

static uint32_t Marker(XmlRun &r, const unsigned char *at, const char *text)
{
    r.lines++;
    r.lr->tag = nullptr;
    return FmtMarker(r.lr, r.sink, r.context, at, "%s", text);
}

/* The rest of the data as plain text lines. */
static uint32_t Rest(XmlRun &r, uint32_t indent, const unsigned char **p, uint32_t *n)
{
    TextInfo(r);
    uint32_t rc = *n ? Lines(r, indent, *p, *n, 0) : 0;
    *p += *n;
    *n = 0;
    return rc;
}

static uint32_t TagLine(XmlRun &r, uint32_t indent, const FmtXmlTag &t)
{
    uint32_t flags = LF_XML_TAG | ((t.flags & FMT_TAG_EMPTY) ? LF_XML_END : 0) |
                     ((t.flags & FMT_TAG_SPECIAL) ? LF_XML_SPECIAL : 0);
    r.lr->element++;
    if (!r.names || (t.flags & FMT_TAG_SPECIAL) || !t.name || t.nameLength == 0 ||
        (*t.start == r.cp->ch[CP_LT] && t.nameLength && t.start[1] == r.cp->ch[CP_EXCL]))
        return Lines(r, indent, t.start, (uint32_t)(t.end - t.start + 1), flags);
    if (t.flags & FMT_TAG_END)
        return 0;
    FmtLineRec *lr = r.lr;
    lr->lineFlags = flags;
    lr->dataOffset = FmtOffsetOf(lr, t.start);
    lr->lineClass = 37;
    lr->prefixLength = indent;          /* a display name: no value to edit */
    lr->valueBytes = 0;
    char name[256];
    uint32_t n = t.display ? t.displayLength : (t.nameLength < 200 ? t.nameLength : 200);
    if (t.display)
        memcpy(name, t.display, n);
    else
        FmtPrintable(name, t.name, n, r.cp);
    name[n] = 0;
    r.lines++;
    lr->tag = &r.info;
    uint32_t rc = FmtEmitText(lr, r.sink, r.context, flags, "%*s%s:", (int)indent, "", name);
    lr->tag = nullptr;
    if (rc || !t.attrStart || t.attrEnd <= t.attrStart)
        return rc;
    TextInfo(r);
    const unsigned char *a = t.attrStart, *e = t.attrEnd;
    while (a < e) {
        while (a < e && IsSpace(r.cp, *a))
            a++;
        const unsigned char *s = a;
        while (a < e && !IsSpace(r.cp, *a))
            a++;
        if (a > s && (rc = Lines(r, indent + 2, s, (uint32_t)(a - s), LF_XML)))
            return rc;
    }
    return 0;
}

static int SameName(const FmtXmlTag &a, const FmtXmlTag &b)
{
    return a.nameLength == b.nameLength && memcmp(a.name, b.name, a.nameLength) == 0;
}

static int Content(XmlRun &r, uint32_t indent, uint32_t depth, const FmtXmlTag *open,
                   const unsigned char **pp, uint32_t *pn, FmtXmlTag *bad)
{
    const unsigned char *&p = *pp;
    uint32_t &n = *pn;
    uint32_t element = open ? FmtOffsetOf(r.lr, open->start) : FMT_NO_TAG;
    for (;;) {
        r.info.element = element;
        if (n == 0)
            return open ? X_INCOMPLETE : X_OK;
        const unsigned char *q = (const unsigned char *)memchr(p, r.cp->ch[CP_LT], n);
        uint32_t textLen = q ? (uint32_t)(q - p) : n;
        if (textLen && Text(r, indent, p, textLen))
            return X_STOP;
        p += textLen;
        n -= textLen;
        if (!q)
            return open ? X_INCOMPLETE : X_OK;
        FmtXmlTag t;
        const unsigned char *before = p;
        uint32_t beforeN = n;
        FapXmlScanTag(&p, &n, r.names, r.cp, &t);
        if (!(t.flags & FMT_TAG_COMPLETE)) {
            if (Rest(r, indent, &p, &n) || Marker(r, before, "** XML Tag is incomplete **"))
                return X_STOP;
            return X_HANDLED;
        }
        if (t.flags & FMT_TAG_END) {
            if (!open || !SameName(t, *open)) {
                p = before;
                n = beforeN;
                return open ? X_BADLY : X_UNRECOGNISED;
            }
            TagInfo(r, t, open, p, n);
            return TagLine(r, indent >= 2 ? indent - 2 : 0, t) ? X_STOP : X_OK;
        }
        if (t.flags & FMT_TAG_EMPTY) {
            TagInfo(r, t, open, p, n);
            if (TagLine(r, indent, t))
                return X_STOP;
            continue;
        }
        if (depth >= FMT_XML_MAX_DEPTH) {
            p = before;
            n = beforeN;
            if (Marker(r, before, "** XML Nesting too deep **") || Rest(r, 0, &p, &n))
                return X_STOP;
            return X_HANDLED;
        }
        TagInfo(r, t, open, p, n);
        r.info.element = r.info.tag;
        if (TagLine(r, indent, t))
            return X_STOP;
        int st = Content(r, indent + 2, depth + 1, &t, pp, pn, bad);
        r.info.element = element;
        if (st == X_OK)
            continue;
        if (st == X_BADLY) {
            char text[256], name[200];
            uint32_t len = t.nameLength < 195 ? t.nameLength : 195;
            FmtPrintable(name, t.name, len, r.cp);
            name[len] = 0;
            snprintf(text, sizeof text, "** XML Badly formed ** Expected end tag </%s%s>", name,
                     t.nameLength > 195 ? ".." : "");
            if (Marker(r, p, text) || Rest(r, indent, &p, &n))
                return X_STOP;
            return X_HANDLED;
        }
        return st;
    }
}

uint32_t FapFormatXml(FmtMsgInfo *msg, FmtWalkFrame *frame, FmtLineSink sink, uint64_t context,
                      const unsigned char *messageStart, FmtLineRec *lr, uint32_t indent,
                      uint32_t *remaining, const unsigned char **data)
{
    (void)frame;
    XmlRun r = { msg, sink, context, lr, FmtGetCodepage(msg->ccsid), messageStart,
                 (lr->flags & LR_XML_NAMES) != 0, 0, {} };
    TextInfo(r);
    r.info.element = FMT_NO_TAG;
    const unsigned char *p = *data;
    uint32_t n = *remaining;
    FmtXmlTag bad;
    int st = Content(r, indent, 0, nullptr, &p, &n, &bad);
    uint32_t rc = 0;
    switch (st) {
    case X_STOP:
        rc = FMT_STOP;
        break;
    case X_INCOMPLETE:
        rc = Marker(r, p, "** XML Incomplete **");
        break;
    case X_UNRECOGNISED:
        if (!(rc = Marker(r, p, "** Unrecognised XML Format **")))
            rc = Rest(r, indent, &p, &n);
        break;
    case X_OK:
        if (r.lines == 0) {
            lr->field = nullptr;
            lr->lineClass = 37;
            lr->dataOffset = FmtOffsetOf(lr, *data);
            lr->prefixLength = lr->valueBytes = 0;
            rc = FmtEmitText(lr, sink, context, 0, "%s", "");
        }
        break;
    }
    *data = p;
    *remaining = n;
    return rc;
}
