/* Preparation of the command definitions (offsets, data-area sizes and
 * PCF size bounds) and the life of a data area: initialising, freeing,
 * copying and comparing, with the attached list and message blocks that
 * belong to it. */
#include "pcfint.h"

#include <atomic>
#include <cstdio>

#include "cs.h"

/* ---- preparation ---- */

void PCFPrepareDef(PCFCommandDef *def)
{
    def->flags |= PCFD_PREPARED;
    def->nameField = nullptr;
    uint32_t size = 0, bound = 36;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
        e->offset = size;
        if (e->flags & PCFE_KEY)
            def->flags |= PCFD_HASKEYS;
        if (!(e->flags & (PCFE_NOSTORE | PCFE_NOSTORE2)) && e->field->type >= 1 &&
            e->field->type <= 36) {
            size += PCFTypeDataSize(e->field);
            bound += PCFTypePcfSize(e->field);
        }
        if (!def->nameField && e->field->type == PCFT_NAME)
            def->nameField = e;
    }
    bound += 500;
    if (def->list) {
        size += 420;
        bound += 420;
    }
    def->dataSize = size;
    def->pcfBound = bound;
}

static std::atomic<int> Prepared;

void PCFInitCommandDefs(void)
{
    if (Prepared.load(std::memory_order_acquire))
        return;
    CSLockGlobal(CSLOCK_DIALOGS);
    if (!Prepared.load(std::memory_order_relaxed)) {
        for (PCFCommandDef *const *d = PCFCommandDefs; *d; d++)
            PCFPrepareDef(*d);
        for (PCFCommandDef *const *d = PCFInternalDefs; *d; d++)
            PCFPrepareDef(*d);
        Prepared.store(1, std::memory_order_release);
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
}

/* ---- initialising ---- */

/* Empties one record by its type; attached blocks are kept, emptied. */
static void ResetRecord(const PCFFieldEntry *e, uint8_t *r)
{
    int type = e->field->type;
    PCFSetState(r, 0);
    if (PCFIsIntType(type)) {
        PCFSetRecInt(r, 0);
    } else if (PCFIsTextType(type)) {
        memset(r + REC_VALUE, 0, (size_t)e->field->maximum + 1);
    } else if (type == PCFT_STRLIST || type == PCFT_MULTISTR) {
        PCFSTRLIST *l = PCFRecStrList(r);
        if (l) {
            memset(l + 1, ' ', l->size - sizeof *l);
            l->count = 0;
        }
    } else if (type == PCFT_HEX || type == PCFT_BYTES || type == PCFT_WIDEHEX) {
        PCFSetRecBytes(r, e->field, nullptr, 0);
    } else if (type == PCFT_MESSAGE) {
        PCFMSGBUF *b = PCFRecMsgBuf(r);
        if (b)
            b->length = 0;
    } else if (PCFIsIntListType(type)) {
        PCFINTLIST *l = PCFRecIntList(r);
        if (l)
            l->count = 0;
    } else if (type == PCFT_DATETIME || type == PCFT_DATETIME100) {
        memset(r + REC_VALUE, 0, PCFTypeDataSize(e->field) - REC_VALUE);
    }
}

void PCFInitData(PCFCommandDef *def, uint8_t *area, DialogWords *dialog, int nameDefault,
                 int reinit, int clearKeys)
{
    if (!def || !area)
        return;
    if (!reinit)
        memset(area, 0, def->dataSize);
    if (reinit || nameDefault) {
        for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
            if (!PCFStoresValue(e) || (e->flags & PCFE_KEEP))
                continue;
            uint8_t *r = area + e->offset;
            if ((e->flags & PCFE_KEY) && !clearKeys) {
                PCFSetState(r, PCFState(r) & ~PCFS_PRESENT);
                continue;
            }
            ResetRecord(e, r);
            if (e->field->type == PCFT_NAME && nameDefault) {
                strcpy(PCFRecText(r), "*");
                PCFSetState(r, PCFS_PRESENT | PCFS_SPECIFIED);
            }
        }
    } else if (dialog) {
        char number[16];
        for (PCFFieldEntry *e = def->fields; e && e->field; e++) {
            const char *text = e->defaultText;
            if (e->field->attrId == 10052) {
                snprintf(number, sizeof number, "%d", (int)PcfPrefs.maxMsgSize);
                text = number;
            } else if (e->field->attrId == 10047) {
                text = PcfPrefs.msgRange;
            }
            if (text && PCFStoresValue(e))
                FieldHWNDData(dialog, 0, area, 0, e, text, -1, 0);
        }
    }
    if (CSTraceIsOn())
        CSTrace(1, "%p %s REINIT(%s)\n", (void *)area, def->title, reinit ? "Yes" : "No");
}

uint8_t *PCFNewData(PCFCommandDef *def, const char *tag)
{
    PCFInitCommandDefs();
    uint8_t *area = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, tag);
    if (area)
        PCFInitData(def, area, nullptr, 0, 0, 0);
    return area;
}

/* ---- freeing and copying ---- */

void PCFFreeData(const PCFCommandDef *def, uint8_t *area, int freeArea)
{
    if (!def || !area)
        return;
    for (const PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!PCFStoresValue(e) || !PCFIsAttachedType(e->field->type))
            continue;
        uint8_t *r = area + e->offset;
        void *block = PCFRecPtr(r);
        if (block) {
            CSFreeMem(block);
            PCFSetRecPtr(r, nullptr);
        }
    }
    if (freeArea)
        CSFreeMem(area);
}

void PCFCopyData(const PCFCommandDef *def, uint8_t *target, const uint8_t *source)
{
    if (!def || !target || !source || target == source)
        return;
    PCFFreeData(def, target, 0);
    memcpy(target, source, def->dataSize);
    for (const PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!PCFStoresValue(e) || !PCFIsAttachedType(e->field->type))
            continue;
        uint8_t *r = target + e->offset;
        const void *from = PCFRecPtr(r);
        void *copy = nullptr;
        if (from) {
            uint32_t size = PCFAttachedSize(e->field->type, from);
            copy = CSGetMem(size, "PCFCOPY");
            if (copy)
                memcpy(copy, from, size);
        }
        PCFSetRecPtr(r, copy);
    }
}

void PCFCopyResponseData(const PCFCommandDef *def, uint8_t **slot, const uint8_t *source)
{
    if (!source) {
        if (*slot) {
            PCFFreeData(def, *slot, 1);
            *slot = nullptr;
        }
        return;
    }
    if (!*slot) {
        *slot = (uint8_t *)CSGetMem(def->dataSize ? def->dataSize : 1, "PCFRD");
        if (!*slot)
            return;
        memset(*slot, 0, def->dataSize);
    }
    PCFCopyData(def, *slot, source);
}

/* ---- comparing ---- */

static int SameStrLists(const PCFSTRLIST *a, const PCFSTRLIST *b, int maximum)
{
    int na = a ? a->count : 0, nb = b ? b->count : 0;
    if (na != nb)
        return 0;
    for (int i = 0; i < na; i++)
        if (memcmp(PCFStrListItem((PCFSTRLIST *)a, maximum, i),
                   PCFStrListItem((PCFSTRLIST *)b, maximum, i), (size_t)maximum))
            return 0;
    return 1;
}

static int SameIntLists(const PCFINTLIST *a, const PCFINTLIST *b)
{
    int na = a ? a->count : 0, nb = b ? b->count : 0;
    return na == nb && (!na || !memcmp(a + 1, b + 1, 4 * (size_t)na));
}

static int SameMsgBufs(const PCFMSGBUF *a, const PCFMSGBUF *b)
{
    uint32_t na = a ? a->length : 0, nb = b ? b->length : 0;
    return na == nb && (!na || !memcmp(a + 1, b + 1, na));
}

/* Whether a record holds a value of its own: present or received, and
 * specified (what a saved configuration keeps). */
static int HoldsValue(const uint8_t *r)
{
    uint16_t st = PCFState(r);
    return (st & (PCFS_PRESENT | PCFS_RECEIVED)) && (st & PCFS_SPECIFIED);
}

/* Two records without a compare length, by the values they hold: neither
 * holds one, or both hold the same. */
static int SameValues(const PCFFieldEntry *e, const uint8_t *ra, const uint8_t *rb)
{
    int ha = HoldsValue(ra), hb = HoldsValue(rb), type = e->field->type;
    if (ha != hb)
        return 0;
    if (!ha)
        return 1;
    if (PCFIsIntType(type))
        return PCFRecInt(ra) == PCFRecInt(rb);
    if (PCFIsTextType(type))
        return strncmp((const char *)ra + REC_VALUE, (const char *)rb + REC_VALUE,
                       (size_t)(e->field->maximum > 0 ? e->field->maximum : 0) + 1) == 0;
    if (type == PCFT_HEX || type == PCFT_BYTES || type == PCFT_WIDEHEX) {
        uint32_t n = PCFRecBytesLength(ra), room = PCFBytesRoom(e->field);
        return n == PCFRecBytesLength(rb) && !memcmp(ra + REC_BYTES, rb + REC_BYTES, n < room ? n : room);
    }
    if (type == PCFT_DATETIME || type == PCFT_DATETIME100)
        return !memcmp(ra + REC_VALUE, rb + REC_VALUE, 16) &&
               strncmp((const char *)ra + REC_PAIRTEXT, (const char *)rb + REC_PAIRTEXT, PAIR_TEXT_MAX + 1) == 0;
    return 1;
}

int PCFCompareData(const PCFCommandDef *def, const uint8_t *a, const uint8_t *b)
{
    if (!a || !b)
        return !a && !b;
    for (const PCFFieldEntry *e = def->fields; e && e->field; e++) {
        if (!PCFStoresValue(e))
            continue;
        const uint8_t *ra = a + e->offset, *rb = b + e->offset;
        int type = e->field->type, same = 1;
        if (type == PCFT_STRLIST || type == PCFT_MULTISTR)
            same = SameStrLists(PCFRecStrList(ra), PCFRecStrList(rb),
                                e->field->maximum);
        else if (type == PCFT_MESSAGE)
            same = SameMsgBufs(PCFRecMsgBuf(ra), PCFRecMsgBuf(rb));
        else if (PCFIsIntListType(type))
            same = SameIntLists(PCFRecIntList(ra), PCFRecIntList(rb));
        else if (e->compareLength)
            same = !memcmp(ra, rb, 2 + (size_t)e->compareLength);
        else
            same = SameValues(e, ra, rb);
        if (!same)
            return 0;
    }
    return 1;
}

/* ---- private copies of reply-fields kinds ---- */

PCFCommandDef *PCFCopyDef(const PCFCommandDef *def, int extraEntries)
{
    int n = 0;
    while (def->fields && def->fields[n].field)
        n++;
    PCFCommandDef *copy = (PCFCommandDef *)CSGetMem(sizeof *copy, "PCF");
    PCFFieldEntry *fields =
        (PCFFieldEntry *)CSGetMem(sizeof(PCFFieldEntry) * (size_t)(n + 1 + extraEntries), "PCFCMD");
    if (!copy || !fields) {
        if (copy)
            CSFreeMem(copy);
        if (fields)
            CSFreeMem(fields);
        return nullptr;
    }
    *copy = *def;
    memset(fields, 0, sizeof(PCFFieldEntry) * (size_t)(n + 1 + extraEntries));
    if (n)
        memcpy(fields, def->fields, sizeof(PCFFieldEntry) * (size_t)n);
    copy->fields = fields;
    PCFPrepareDef(copy);
    return copy;
}

void PCFFreeDefCopy(PCFCommandDef *def)
{
    if (!def)
        return;
    CSFreeMem(def->fields);
    CSFreeMem(def);
}
