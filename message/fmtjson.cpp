/* JSON body formatter: one member or element per line, indented by
 * nesting. Quoted strings, with their backslash escapes, never split. */
#include "fmtint.h"

namespace {
struct Json {
    FmtMsgInfo *msg;
    FmtLineSink sink;
    uint64_t context;
    const unsigned char *start;
    FmtLineRec *lr;
    const FmtCodepage *cp;
    uint32_t minimumWidth;
    const unsigned char *d;
    uint32_t n;
};
}

static int IsOpen(const Json &j, unsigned char c) { return c == j.cp->ch[CP_LBRACE] || c == j.cp->ch[CP_LBRK]; }
static int IsClose(const Json &j, unsigned char c) { return c == j.cp->ch[CP_RBRACE] || c == j.cp->ch[CP_RBRK]; }
static int IsBlank(const Json &j, unsigned char c)
{
    return c == j.cp->ch[CP_BLANK] || c == j.cp->ch[CP_TAB] || c == j.cp->ch[CP_CR] || c == j.cp->ch[CP_LF];
}

/* Index after the string that starts at the quote at i. */
static uint32_t SkipString(const Json &j, uint32_t i)
{
    for (i++; i < j.n; i++) {
        if (j.d[i] == j.cp->ch[CP_BSLASH])
            i++;
        else if (j.d[i] == j.cp->ch[CP_QUOTE])
            return i + 1;
    }
    return j.n;
}

/* Next structural token at or after i, outside strings; n when none. */
static uint32_t NextToken(const Json &j, uint32_t i)
{
    while (i < j.n) {
        unsigned char c = j.d[i];
        if (c == j.cp->ch[CP_QUOTE])
            i = SkipString(j, i);
        else if (c == j.cp->ch[CP_COMMA] || IsOpen(j, c) || IsClose(j, c))
            return i;
        else
            i++;
    }
    return j.n;
}

/* Blanks followed by a comma are taken into the line, with the comma. */
static uint32_t TakeComma(const Json &j, uint32_t e)
{
    uint32_t k = e;
    while (k < j.n && IsBlank(j, j.d[k]))
        k++;
    return k < j.n && j.d[k] == j.cp->ch[CP_COMMA] ? k + 1 : e;
}

static int Net(const Json &j, uint32_t a, uint32_t b)
{
    int net = 0;
    for (uint32_t i = a; i < b;) {
        unsigned char c = j.d[i];
        if (c == j.cp->ch[CP_QUOTE]) {
            i = SkipString(j, i);
            continue;
        }
        net += IsOpen(j, c) ? 1 : IsClose(j, c) ? -1 : 0;
        i++;
    }
    return net;
}

static uint32_t Emit(Json &j, uint32_t a, uint32_t b, int64_t *indent)
{
    while (a < b && IsBlank(j, j.d[a]))
        a++;
    if (a >= b)
        return 0;
    int net = Net(j, a, b);
    if (net < 0) {
        *indent += 2 * net;
        if (*indent < 0)
            *indent = 0;
    }
    uint32_t rc = FapOutputLine(j.msg, j.sink, j.context, j.start, b - a, j.lr, (uint32_t)*indent,
                                j.minimumWidth, b - a, j.d + a);
    if (net > 0)
        *indent += 2 * net;
    return rc;
}

uint32_t FmtWrapValue(FmtMsgInfo *msg, FmtLineSink sink, uint64_t context,
                      const unsigned char *messageStart, FmtLineRec *lr, uint32_t indent,
                      uint32_t minimumWidth, uint32_t length, const unsigned char *data)
{
    Json j = { msg, sink, context, messageStart, lr, FmtGetCodepage(msg->ccsid), minimumWidth, data, length };
    if (length == 0) {
        uint32_t saved = lr->options;
        lr->options |= LO_EMPTY_LINE;
        uint32_t rc = FapOutputLine(msg, sink, context, messageStart, 0, lr, indent, minimumWidth, 0, data);
        lr->options = saved;
        return rc;
    }
    uint32_t savedOptions = lr->options;
    lr->options |= LO_NO_SPLIT;
    int64_t ind = indent;
    uint32_t lineStart = 0, rc = 0;
    for (uint32_t t = NextToken(j, 0); t < j.n && !rc; t = NextToken(j, lineStart)) {
        unsigned char c = j.d[t];
        uint32_t end = t + 1;
        if (IsClose(j, c)) {
            /* a closing bracket stands on its own line */
            if ((rc = Emit(j, lineStart, t, &ind)))
                break;
        } else if (IsOpen(j, c)) {
            unsigned char want = c == j.cp->ch[CP_LBRACE] ? j.cp->ch[CP_RBRACE] : j.cp->ch[CP_RBRK];
            uint32_t k = t + 1;
            while (k < j.n && k - t <= 60) {
                unsigned char x = j.d[k];
                if (x == j.cp->ch[CP_QUOTE]) {
                    k = SkipString(j, k);
                    continue;
                }
                if (x == want) {
                    end = k + 1;
                    break;
                }
                if (IsOpen(j, x) || IsClose(j, x) || (x == j.cp->ch[CP_COMMA] && c == j.cp->ch[CP_LBRACE]))
                    break;      /* a short array of values stays whole; an object with members does not */
                k++;
            }
        }
        end = TakeComma(j, end);
        rc = Emit(j, IsClose(j, c) ? t : lineStart, end, &ind);
        lineStart = end;
    }
    if (!rc && lineStart < j.n)
        rc = Emit(j, lineStart, j.n, &ind);
    lr->options = savedOptions;
    return rc;
}
