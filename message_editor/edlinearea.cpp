/* The line text store: the texts of the cached display lines one after
 * another in one block that doubles when it must grow, so that a
 * formatting run does not allocate per line nor copy the texts often. */
#include "edpane.h"
#include "csmem.h"
#include <cstring>

enum { AREA_FIRST_ROOM = 153600, AREA_STEP = 20480, AREA_ROUND = 4107, AREA_HEADER = 12 };

static char *AreaTexts(EdLineArea *a) { return (char *)(a + 1); }

/* A new store of at least size bytes with the old texts copied over and
 * the cached lines' text pointers moved with them; 0 when storage runs out. */
static int AreaGrow(PCFDATA *ed, uint64_t size)
{
    uint64_t block = (size + AREA_ROUND) & ~(uint64_t)4095;
    if (block > 0x7FFFFFFF)
        return 0;
    EdLineArea *a = (EdLineArea *)CSGetMem((size_t)block, "LINEAREA");
    if (!a)
        return 0;
    a->capacity = (uint32_t)block - AREA_HEADER;
    a->used = 0;
    EdLineArea *old = ed->lineArea;
    if (old) {
        memcpy(AreaTexts(a), AreaTexts(old), old->used);
        a->used = old->used;
        const char *from = AreaTexts(old), *end = from + old->used;
        for (int32_t i = 0; i < ed->cacheCapacity; i++) {
            const char *t = ed->cache[i].text;
            if (t && t >= from && t <= end)
                ed->cache[i].text = AreaTexts(a) + (t - from);
        }
        CSFreeMem(old);
    }
    ed->lineArea = a;
    return 1;
}

const char *EdLineAreaReserve(PCFDATA *ed, const char *text, uint32_t length)
{
    EdLineArea *a = ed->lineArea;
    /* the store doubles: the texts are copied a bounded number of times */
    if (!a ? !AreaGrow(ed, (uint64_t)length + AREA_FIRST_ROOM)
           : a->capacity - a->used < length &&
                 !AreaGrow(ed, 2 * (uint64_t)a->capacity + length + AREA_STEP))
        return nullptr;
    a = ed->lineArea;
    char *at = AreaTexts(a) + a->used;
    memcpy(at, text, length);
    a->used += length;
    return at;
}

void EdLineAreaEmpty(PCFDATA *ed)
{
    if (ed->lineArea)
        ed->lineArea->used = 0;
}
