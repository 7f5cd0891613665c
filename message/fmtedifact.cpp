/* EDIFACT body formatter: one segment per line, split at the segment
 * terminator of the service string advice (or the apostrophe), with the
 * advice's release character honoured; line ends between segments are
 * shown as the text lines they make. */
#include "fmtint.h"

int EdiIsServiceString(const FmtCodepage *cp, const unsigned char *d, uint32_t n)
{
    if (n < 4 || d[0] != cp->ch[CP_U] || d[1] != cp->ch[CP_N])
        return 0;
    uint32_t b = 2;
    if (d[2] == cp->ch[CP_A]) {
        if (n < 13 || d[9] != cp->ch[CP_U] || d[10] != cp->ch[CP_N])
            return 0;
        b = 11;
    }
    return d[b] == cp->ch[CP_B] && d[b + 1] == cp->ch[CP_PLUS];
}

/* The line ends after the last segment are no segment left open. */
static int LineEndsOnly(const FmtCodepage *cp, const unsigned char *p, uint32_t n)
{
    while (n && (*p == cp->ch[CP_CR] || *p == cp->ch[CP_LF]))
        p++, n--;
    return n == 0;
}

uint32_t EdiFormatSegments(FmtMsgInfo *msg, FmtWalkFrame *frame, FmtLineSink sink, uint64_t context,
                           const unsigned char *messageStart, FmtLineRec *lr, uint32_t indent,
                           uint32_t *remaining, const unsigned char **data)
{
    (void)frame;
    const FmtCodepage *cp = FmtGetCodepage(msg->ccsid);
    const unsigned char *p = *data;
    uint32_t n = *remaining, rc = 0;
    unsigned char terminator = cp->ch[CP_APOS], release = cp->ch[CP_QUEST];
    if (n >= 9 && p[0] == cp->ch[CP_U] && p[1] == cp->ch[CP_N] && p[2] == cp->ch[CP_A]) {
        release = p[6];
        terminator = p[8];
        rc = FapOutputLine(msg, sink, context, messageStart, 9, lr, indent, 1, 9, p);
        p += 9;
        n -= 9;
    }
    while (n && !rc) {
        uint32_t i = 0;
        int released = 0;
        for (; i < n; i++) {
            if (released) {
                released = 0;
                continue;
            }
            if (p[i] == release && release != terminator)
                released = 1;
            else if (p[i] == terminator)
                break;
        }
        uint32_t len = i < n ? i + 1 : n;
        lr->element = (uint32_t)(p - *data);
        rc = FapOutputLine(msg, sink, context, messageStart, len, lr, indent, 1, len, p);
        p += len;
        n -= len;
        if (!rc && i >= len && !LineEndsOnly(cp, p - len, len))
            rc = FmtMarker(lr, sink, context, p, "** EDIFACT Segment not terminated **");
    }
    *data = p;
    *remaining = n;
    return rc;
}
