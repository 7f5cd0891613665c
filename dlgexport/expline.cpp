/* The line writer of the export: pieces of text appended to a file or to
 * the growing text area of a clipboard export, with line ends and the
 * split of long MQSC lines. */
#include "export.h"

#include <cstring>

#include "cs.h"

EXPTEXTAREA *ExpNewTextArea(void *owner)
{
    EXPTEXTAREA *a = (EXPTEXTAREA *)CSGetMem(sizeof *a, "CLIPLINK");
    if (!a)
        return nullptr;
    a->owner = owner;
    a->used = 0;
    a->capacity = EXP_AREA_STEP;
    a->text = (char *)CSGetMem(a->capacity, "CLIPAREA");
    if (!a->text) {
        CSFreeMem(a);
        return nullptr;
    }
    a->text[0] = 0;
    return a;
}

void ExpFreeTextArea(EXPTEXTAREA *a)
{
    if (!a)
        return;
    CSFreeMemAndClear(&a->text);
    CSFreeMem(a);
}

/* Room for n more bytes and a terminator: the area grows in steps of
 * 50000 until the piece fits with 5000 to spare. */
static int AreaRoom(EXPTEXTAREA *a, uint32_t n)
{
    uint64_t need = (uint64_t)a->used + n + 5000;
    if (need <= a->capacity)
        return 1;
    uint64_t capacity = a->capacity;
    while (capacity < need)
        capacity += EXP_AREA_STEP;
    if (capacity > 0x7FFFFFFF)
        return 0;
    char *text = (char *)CSGetMem((size_t)capacity, "CLIPAREA");
    if (!text)
        return 0;
    memcpy(text, a->text, a->used + 1);
    CSFreeMem(a->text);
    a->text = text;
    a->capacity = (uint32_t)capacity;
    return 1;
}

static int Put(EXPTARGET *t, const char *text, uint32_t n)
{
    if (!n)
        return 0;
    if (t->file) {
        if (fwrite(text, 1, n, t->file) != n)
            t->error = 1;
        return t->error ? -1 : 0;
    }
    if (!t->area || !AreaRoom(t->area, n)) {
        t->error = 1;
        return -1;
    }
    memcpy(t->area->text + t->area->used, text, n);
    t->area->used += n;
    t->area->text[t->area->used] = 0;
    return 0;
}

int ExpWriteLine(EXPTARGET *t, int endLine, int split, const char *text, int length)
{
    uint32_t n = length < 0 ? (uint32_t)strlen(text) : (uint32_t)length;
    int rc = 0;
    if (split && t->file && n >= 71) {
        while (n >= 71) {
            rc |= Put(t, text, 70);
            rc |= Put(t, "-\r\n", 3);
            text += 70;
            n -= 70;
        }
    }
    rc |= Put(t, text, n);
    if (endLine)
        rc |= Put(t, "\r\n", 2);
    return rc ? -1 : 0;
}
