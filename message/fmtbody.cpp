/* Body formatting: text lines, csv and fix records, the body dispatcher,
 * hex fields and hex dumps, and the quoted text lines of character fields. */
#include "fmtint.h"
#include <cstdio>

static uint32_t PrefixWidth(const FmtLineRec *lr) { return (lr->flags & LR_OFFSET_PREFIX) ? 10 : 0; }

/* Whether a dump's characters stand beside its hex (else on a line of
 * their own under it, View > Characters, or not at all). */
static int SideChars(const FmtLineRec *lr) { return !(lr->flags & (LR_DUMP_NO_CHARS | LR_HEX_CHARLINE)); }

void FmtSetDumpLayout(FmtLineRec *lr)
{
    if (lr->width == 0)
        lr->width = 80;
    if (lr->width < 20)
        lr->width = 20;
    if (lr->width > 4000)
        lr->width = 4000;
    if (lr->dumpBytesPerLine)
        return;
    uint32_t w = lr->width - PrefixWidth(lr);
    if (!lr->dumpGap)
        lr->dumpGap = 2;
    uint32_t groups;
    if (!SideChars(lr))
        groups = w / 9;
    else
        groups = w > lr->dumpGap ? (w - lr->dumpGap) / ((lr->flags & LR_HEX_GROUP_BLANK) ? 13 : 12) : 0;
    if (groups < 1)
        groups = 1;
    lr->dumpBytesPerLine = 4 * groups;
    lr->dumpCharColumn = lr->dumpBytesPerLine * 2 + groups - 1 + lr->dumpGap + 2;   /* after "| " */
    lr->dumpLayoutSet = 1;
}

uint32_t FmtTextLength(const unsigned char *data, uint32_t length, unsigned char blank)
{
    if (length < 10) {
        const unsigned char *z = (const unsigned char *)memchr(data, 0, length);
        if (z)
            length = (uint32_t)(z - data);
    }
    while (length && (data[length - 1] == 0 || data[length - 1] == blank))
        length--;
    return length;
}

void FmtPrintable(char *out, const unsigned char *data, uint32_t length, const FmtCodepage *cp)
{
    for (uint32_t i = 0; i < length; i++) {
        unsigned char c = cp && cp->toAscii ? cp->toAscii[data[i]] : data[i];
        out[i] = c >= 0x20 && c < 0x7F ? (char)c : '.';
    }
}

/* Text for display: with option 16, through the code page's Latin-1
 * table.  EBCDIC text always counts as converted; text of an ASCII-based
 * page only when a byte changed, so plain ASCII is never reported so. */
static void CopyDisplay(char *out, const unsigned char *data, uint32_t n, FmtLineRec *lr,
                        const FmtCodepage *cp)
{
    if (!cp->toAscii || !(lr->options & LO_EBCDIC_TO_ASCII)) {
        memcpy(out, data, n);
        return;
    }
    uint32_t changed = cp->ebcdic;
    for (uint32_t i = 0; i < n; i++) {
        out[i] = (char)cp->toAscii[data[i]];
        changed |= (unsigned char)out[i] != data[i];
    }
    if (changed)
        lr->converted = 1;
}

uint32_t FapOutputLine(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                       const unsigned char *messageStart, uint32_t fieldLength, FmtLineRec *lr,
                       uint32_t indent, uint32_t minimumWidth, uint32_t length,
                       const unsigned char *data)
{
    (void)messageStart;
    (void)fieldLength;
    const FmtCodepage *cp = FmtGetCodepage(msg->ccsid);
    unsigned char cr = msg->ebcdic ? 0x25 : 0x0D, lf = msg->ebcdic ? 0x15 : 0x0A;
    if (indent > 200)
        indent = 200;
    int64_t w = (int64_t)lr->width - indent - 2 - PrefixWidth(lr);
    if (w < (int64_t)minimumWidth)
        w = minimumWidth;
    if (w < 1)
        w = 1;
    if (w > FMT_LINE_BUFFER / 2)
        w = FMT_LINE_BUFFER / 2;
    if (length == 0 && !(lr->options & LO_EMPTY_LINE))
        return 0;
    uint32_t cls = lr->field && lr->field->type == FT_XMLTEXT ? 37 : 5;
    const unsigned char *p = data;
    uint32_t rem = length;
    for (;;) {
        uint32_t take = rem < w ? rem : (uint32_t)w;
        int decode = 0;
        if (lr->options & LO_DECODE_ENTITIES)
            take = FapEntityFit(msg->ccsid, p, rem, (uint32_t)w, &decode);
        int sawEnd = 0;
        if (!(lr->options & LO_NO_SPLIT))
            for (uint32_t i = 0; i < take; i++)
                if (p[i] == cr || p[i] == lf) {
                    take = i;
                    sawEnd = 1;
                    break;
                }
        lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, p);
        lr->valueBytes = take;
        lr->prefixLength = indent;
        lr->lineClass = cls;
        lr->lineFlags &= LF_XML | LF_XML_TAG | LF_XML_END | LF_XML_SPECIAL;
        uint32_t n = 0;
        if (!FmtNoText(lr)) {
            n = FmtPrefix(lr, lr->text, lr->dataOffset);
            memset(lr->text + n, ' ', indent);
            n += indent;
            if (decode) {
                n += FapDecodeEntities(msg->ccsid, lr->text + n, p, take);
            } else {
                CopyDisplay(lr->text + n, p, take, lr, cp);
                n += take;
            }
            lr->text[n] = 0;
        }
        uint32_t rc = FmtEmit(lr, sink, context, n);
        if (rc)
            return rc;
        p += take;
        rem -= take;
        if (sawEnd) {
            if (rem && *p == cr) { p++; rem--; }
            if (rem && *p == lf) { p++; rem--; }
            continue;
        }
        if (!rem)
            return 0;
    }
}

static uint32_t SplitRecords(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                             const unsigned char *start, FmtLineRec *lr, uint32_t indent,
                             uint32_t minimumWidth, uint32_t length, const unsigned char *data,
                             unsigned char separator, int keep)
{
    uint32_t savedOptions = lr->options;
    lr->options |= LO_NO_SPLIT;
    uint32_t rc = 0;
    while (length && !rc) {
        const unsigned char *s = (const unsigned char *)memchr(data, separator, length);
        uint32_t n = s ? (uint32_t)(s - data) : length;
        uint32_t out = s && keep ? n + 1 : n;
        uint32_t savedEmpty = lr->options;
        lr->options |= LO_EMPTY_LINE;
        rc = FapOutputLine(msg, sink, context, start, out, lr, indent, minimumWidth, out, data);
        lr->options = savedEmpty;
        uint32_t step = s ? n + 1 : n;
        data += step;
        length -= step;
    }
    lr->options = savedOptions;
    return rc;
}

uint32_t FapFormatBody(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                       const unsigned char *messageStart, FmtLineRec *lr, uint32_t indent,
                       uint32_t minimumWidth, uint32_t length, const unsigned char *data)
{
    uint8_t kind = lr->frame && lr->frame->bodyKind ? lr->frame->bodyKind : lr->forcedBodyKind;
    if (!kind)
        kind = msg->bodyKind;
    uint8_t saved = lr->bodyKind;
    lr->bodyKind = kind;
    uint32_t rc = 0, rem = length;
    const unsigned char *p = data;
    switch (kind) {
    case 0: case 4:
        rc = FapOutputLine(msg, sink, context, messageStart, length, lr, indent, minimumWidth, length, data);
        break;
    case 1:
        rc = SplitRecords(msg, sink, context, messageStart, lr, indent, minimumWidth, length, data,
                          (unsigned char)(msg->csvSeparator ? msg->csvSeparator : ','), 1);
        break;
    case 2:
        rc = SplitRecords(msg, sink, context, messageStart, lr, indent, minimumWidth, length, data, 0x01, 0);
        break;
    case 3:
        rc = FmtWrapValue(msg, sink, context, messageStart, lr, indent, minimumWidth, length, data);
        break;
    case 5:
        rc = FapFormatXml(msg, lr->frame, sink, context, messageStart, lr, indent, &rem, &p);
        break;
    case 6:
        rc = EdiFormatSegments(msg, lr->frame, sink, context, messageStart, lr, indent, &rem, &p);
        break;
    default:
        break;
    }
    lr->bodyKind = saved;
    return rc;
}

static const char hexDigits[] = "0123456789ABCDEF";

/* A dump line's common record: where its bytes are and how wide. */
static void DumpLineRec(FmtLineRec *lr, const unsigned char *p, uint32_t n, uint32_t indent, uint32_t cls)
{
    lr->field = nullptr;
    lr->lineClass = cls;
    lr->lineFlags = LF_DUMP;
    lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, p);
    lr->valueBytes = n;
    lr->prefixLength = indent;
    lr->valueWidth = (n - 1) / 4 + 2 * n;
}

/* The hex groups of n bytes: a blank after every fourth byte but the last. */
static uint32_t PutHex(char *t, const unsigned char *p, uint32_t n)
{
    uint32_t h = 0;
    for (uint32_t i = 0; i < n; i++) {
        t[h++] = hexDigits[p[i] >> 4];
        t[h++] = hexDigits[p[i] & 0xF];
        if ((i & 3) == 3 && i + 1 < n)
            t[h++] = ' ';
    }
    return h;
}

/* The character line: each byte's character under its first digit. */
static uint32_t PutCharsUnder(char *t, const unsigned char *p, uint32_t n, const FmtCodepage *cp)
{
    char chars[FMT_LINE_BUFFER / 4];
    FmtPrintable(chars, p, n, cp);
    uint32_t h = 0;
    for (uint32_t i = 0; i < n; i++) {
        t[h++] = chars[i];
        t[h++] = ' ';
        if ((i & 3) == 3 && i + 1 < n)
            t[h++] = ' ';
    }
    return h;
}

/* The dump of a range, bpl bytes a line, indent blanks after the offset
 * prefix: hex lines with their characters beside them after "| ", or,
 * with the character view on its own line, hex and character lines in
 * turn.  bytes: the range is a byte string's (classes 769 and 544, else
 * 257 and 288). */
static uint32_t DumpLines(FmtLineRec *lr, FmtLineSink sink, uint64_t context, const unsigned char *data,
                          uint64_t length, uint32_t indent, uint32_t bpl, int bytes)
{
    const FmtCodepage *cp = FmtGetCodepage(lr->msgInfo ? lr->msgInfo->ccsid : 850);
    uint32_t hexWidth = bpl * 2 + bpl / 4 - 1;
    int side = SideChars(lr), under = !side && !(lr->flags & LR_DUMP_NO_CHARS);
    uint32_t savedBpl = lr->dumpBytesPerLine;
    lr->dumpBytesPerLine = bpl;         /* the editor reads the line's own width */
    const unsigned char *p = data;
    uint64_t rem = length;
    uint32_t rc = 0;
    while (rem && !rc) {
        uint32_t n = rem < bpl ? (uint32_t)rem : bpl;
        DumpLineRec(lr, p, n, indent, bytes ? 769 : 257);
        uint32_t o = 0;
        if (!FmtNoText(lr)) {
            char *t = lr->text;
            o = FmtPrefix(lr, t, lr->dataOffset);
            memset(t + o, ' ', indent);
            o += indent;
            uint32_t h = PutHex(t + o, p, n);
            if (side) {
                while (h < hexWidth + lr->dumpGap)
                    t[o + h++] = ' ';
                t[o + h++] = '|';
                t[o + h++] = ' ';
                FmtPrintable(t + o + h, p, n, cp);
                h += n;
            }
            o += h;
            t[o] = 0;
        }
        if ((rc = FmtEmit(lr, sink, context, o)) != 0)
            break;
        if (under) {
            DumpLineRec(lr, p, n, indent, bytes ? 544 : 288);
            o = 0;
            if (!FmtNoText(lr)) {
                char *t = lr->text;
                o = FmtPrefix(lr, t, lr->dataOffset);
                memset(t + o, ' ', indent);
                o += indent;
                o += PutCharsUnder(t + o, p, n, cp);
                t[o] = 0;
            }
            if ((rc = FmtEmit(lr, sink, context, o)) != 0)
                break;
        }
        p += n;
        rem -= n;
        if (lr->resume) {
            lr->resume->data = p;
            lr->resume->remaining = (uint32_t)rem;
        }
    }
    lr->dumpBytesPerLine = savedBpl;
    return rc;
}

uint32_t FapHexDump(FmtLineRec *lr, FmtLineSink sink, uint64_t context, const unsigned char *data,
                    int64_t length)
{
    if (length < 0) {
        if (!lr->resume || lr->resume->data != data)
            return 99;
        length = lr->resume->remaining;
    }
    FmtSetDumpLayout(lr);
    return DumpLines(lr, sink, context, data, (uint64_t)length, 0, lr->dumpBytesPerLine, 0);
}

/* A field too long for its label line, dumped under the label: as many
 * groups as the room after the label holds, at least one. */
static uint32_t DumpUnderLabel(FmtLineRec *lr, const FmtFieldDef *f, FmtLineSink sink, uint64_t context,
                               uint32_t labelWidth, const unsigned char *data, uint32_t length)
{
    FmtSetDumpLayout(lr);
    int64_t room = (int64_t)lr->width - PrefixWidth(lr) - labelWidth - 1;
    int64_t groups = SideChars(lr) ? (room - 2) / 13 : room / 9;
    if (groups < 1)
        groups = 1;
    return DumpLines(lr, sink, context, data, length, labelWidth + 1, 4 * (uint32_t)groups,
                     f->type == FT_BYTES_BYLEN);
}

uint32_t FmtHexField(FmtLineRec *lr, FmtWalkFrame *frame, const FmtFieldDef *f, FmtLineSink sink,
                     uint64_t context, const char *label, uint32_t labelWidth,
                     const unsigned char *data, uint32_t length)
{
    int64_t avail = ((int64_t)lr->width - labelWidth - 1 - PrefixWidth(lr)) / 2;
    uint32_t rc;
    if (avail < 1 || length > avail) {
        if ((rc = FmtEmitText(lr, sink, context, 0, "%s", label)))
            return rc;
        return DumpUnderLabel(lr, f, sink, context, labelWidth, data, length);
    }
    char hex[4200];
    for (uint32_t i = 0; i < length; i++) {
        hex[2 * i] = hexDigits[data[i] >> 4];
        hex[2 * i + 1] = hexDigits[data[i] & 0xF];
    }
    hex[2 * length] = 0;
    lr->lineClass = f->type == FT_BYTES_BYLEN ? 800 : 32;
    if (FmtNoText(lr)) {
        lr->lineFlags = 0;
        rc = FmtEmit(lr, sink, context, 0);
    } else {
        char *p = FmtPutMem(FmtLineStart(lr), label, labelWidth);   /* "%s %s" */
        *p++ = ' ';
        rc = FmtLineEnd(lr, sink, context, 0, FmtPutMem(p, hex, 2 * length));
    }
    if (rc)
        return rc;
    if (f->type != FT_ID24 && !(lr->flags & LR_HEX_CHARLINE))
        return 0;
    /* character line: each byte under its two hex digits */
    const FmtCodepage *cp = frame ? frame->cp : FmtGetCodepage(850);
    if (f->type == FT_ID24)
        cp = FmtGetCodepage(CSIsPlainText(data, (int)length) ? 850 : 500);
    char chars[4200];
    FmtPrintable(chars, data, length, cp);
    char line[8400];
    for (uint32_t i = 0; i < length; i++) {
        line[2 * i] = chars[i];
        line[2 * i + 1] = ' ';
    }
    line[2 * length] = 0;
    lr->lineClass = f->type == FT_BYTES_BYLEN ? 544 : 288;
    return FmtEmitText(lr, sink, context, LF_CONTINUATION, "%*s %s", (int)labelWidth, "", line);
}

uint32_t FmtQuotedLines(FmtLineRec *lr, FmtLineSink sink, uint64_t context, const FmtCodepage *cp,
                        uint32_t labelWidth, const char *label, const unsigned char *data,
                        uint32_t length, const char *suffix)
{
    unsigned char cr = cp->ch[CP_CR], lf = cp->ch[CP_LF];
    int64_t w = (int64_t)lr->width - labelWidth - 4 - PrefixWidth(lr);
    if (w < 20)
        w = 20;
    if (w > FMT_LINE_BUFFER / 2)
        w = FMT_LINE_BUFFER / 2;
    char *piece = lr->text + FMT_LINE_BUFFER / 2 + 64;
    uint32_t rc;
    int first = 1;
    lr->prefixLength = labelWidth;      /* the quote follows the label and a blank */
    lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, data);
    lr->valueBytes = 0;
    if (length == 0)
        return FmtEmitText(lr, sink, context, 0, "%s %s%s", label,
                           (lr->options & LO_EMPTY_LINE) ? "''" : "", suffix);
    while (length) {
        uint32_t n = length < w ? length : (uint32_t)w;
        int sawEnd = 0;
        for (uint32_t i = 0; i < n; i++)
            if (data[i] == cr || data[i] == lf) {
                n = i;
                sawEnd = 1;
                break;
            }
        /* the bytes as they are shown: converted in the scratch piece, else
           straight from the data */
        const char *shown = (const char *)data;
        if (cp->toAscii && (lr->options & LO_EBCDIC_TO_ASCII)) {
            CopyDisplay(piece, data, n, lr, cp);
            shown = piece;
        }
        lr->dataOffset = lr->valueOffset = FmtOffsetOf(lr, data);
        lr->valueBytes = n;
        data += n;
        length -= n;
        if (sawEnd) {
            if (length && *data == cr) { data++; length--; }
            if (length && *data == lf) { data++; length--; }
        }
        const char *end = length ? "" : suffix;
        uint32_t flags = first ? 0 : LF_CONTINUATION;
        if (FmtNoText(lr)) {
            lr->lineFlags = flags;
            rc = FmtEmit(lr, sink, context, 0);
        } else {
            /* "%s '%.*s'%s", continued under the label as "%*s '%.*s'%s" */
            char *p = FmtLineStart(lr);
            p = first ? FmtPutMem(p, label, labelWidth) : FmtPutFill(p, ' ', labelWidth);
            const char *z = (const char *)memchr(shown, 0, n);
            p = FmtPutMem(FmtPutMem(p, " '", 2), shown, z ? (size_t)(z - shown) : n);
            *p++ = '\'';
            rc = FmtLineEnd(lr, sink, context, flags, FmtPutStr(p, end));
        }
        if (rc)
            return rc;
        first = 0;
    }
    return 0;
}
