/* The console's reply lines: a ring of at most MQSC_MAX_LINES lines,
 * found by their index at once.  A reply that brings more makes room by
 * dropping the oldest lines; the lines dropped are counted, so that the
 * console can say so.  Every call is made under lock 5. */
#include "mqsc.h"

#include <cstddef>
#include <cstring>

#include "cs.h"

/* The line at a position of the ring. */
static MQSCLINE **slot(MQSCCONSOLE *c, int32_t index)
{
    return &c->ring[(c->ringFirst + index) % c->ringSize];
}

/* Room for one more line: 1, or 0 when the ring cannot grow. */
static int make_room(MQSCCONSOLE *c)
{
    if (c->lineCount < c->ringSize)
        return 1;
    if (c->ringSize >= MQSC_MAX_LINES) {
        CSFreeMem(*slot(c, 0));
        c->ringFirst = (c->ringFirst + 1) % c->ringSize;
        c->lineCount--;
        c->linesDropped++;
        c->topLine = c->topLine > 0 ? c->topLine - 1 : 0;
        c->foundLine = c->foundLine >= 0 ? c->foundLine - 1 : -1;
        return 1;
    }
    int32_t size = c->ringSize ? c->ringSize * 2 : 256;
    if (size > MQSC_MAX_LINES)
        size = MQSC_MAX_LINES;
    MQSCLINE **grown = (MQSCLINE **)CSGetMem(sizeof *grown * (size_t)size, "MQSCLINES");
    if (!grown)
        return 0;
    for (int32_t i = 0; i < c->lineCount; i++)
        grown[i] = *slot(c, i);
    CSFreeMemAndClear(&c->ring);
    c->ring = grown;
    c->ringSize = size;
    c->ringFirst = 0;
    return 1;
}

void MQSCAddLine(MQSCCONSOLE *c, uint32_t type, const char *text, size_t n)
{
    MQSCLINE *line = (MQSCLINE *)CSGetMem(offsetof(MQSCLINE, text) + n + 1, "MQSCLINE");
    if (!line)
        return;
    line->type = type;
    memcpy(line->text, text, n);
    line->text[n] = 0;
    if (!make_room(c)) {
        CSFreeMem(line);
        return;
    }
    *slot(c, c->lineCount++) = line;
}

MQSCLINE *MQSCLineAt(MQSCCONSOLE *c, int32_t index)
{
    return index >= 0 && index < c->lineCount ? *slot(c, index) : nullptr;
}

void MQSCClearLines(MQSCCONSOLE *c)
{
    for (int32_t i = 0; i < c->lineCount; i++)
        CSFreeMem(*slot(c, i));
    CSFreeMemAndClear(&c->ring);
    c->ringSize = c->ringFirst = c->lineCount = 0;
    c->linesDropped = 0;
}
