/* Typed input into a data area: FieldHWNDData takes the text of a field
 * window (or a given text), checks it by the field's type and stores it,
 * with the messages the user sees and the state bits of the record.
 * Whatever its source, a value stays inside its field's record: strings
 * and list elements are cut at the field's maximum, and a typed byte
 * string longer than its room is refused. */
#include "pcfint.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "cs.h"

#define WORK_SIZE 530

static const char MsgRange[] = "The value of '%s' should be between %ld and %ld.";
static const char MsgInvalid[] = "Invalid value for field '%s'.";
static const char MsgHex[] = "The value of '%s' should be hexidecimal.";
static const char MsgChoose[] = "Please choose a valid value for field '%s'.";
static const char MsgMemory[] = "Out of memory";

/* Attribute ids whose shown-only fields still take typed values. */
static const uint32_t StoredAlways[] = { 1511, 3564, 10019, 10033, 10038, 10095, 10182 };

struct StoreCtx {
    DialogWords *dialog;          /* may be null */
    PCFCommandDef *def;
    uint8_t *area;
    PCFFieldEntry *entry;
    const uint8_t *caps;
    int insert;
    int32_t index;                /* element of a list field */
    int listChanged;
    int nameCommand;              /* the definition's second command is due */
    char message[300];
};

/* "Out of memory": a list block could not be had; 1. */
static int NoMemory(StoreCtx *c)
{
    snprintf(c->message, sizeof c->message, "%s", MsgMemory);
    return 1;
}

/* The list element being edited, at most the end of the list. */
static int32_t ListIndex(const StoreCtx *c, int count)
{
    int32_t at = c->index < 0 ? 0 : c->index;
    return at > count ? count : at;
}

static void Message(StoreCtx *c, const char *format, const PCFFieldDef *f)
{
    snprintf(c->message, sizeof c->message, format, f->title ? f->title : "",
             (long)f->minimum, (long)f->maximum);
}

/* A whole number as the value text writes it (Plain digits or digits in
 * groups of three); 0 when anything else is in the text, so that a number
 * is never cut short.  A field that takes negative values also reads the
 * unsigned text its negative values are shown in. */
static int ParseNumber(const PCFFieldDef *f, const char *text, int64_t *value)
{
    const char *p = text;
    if (!PCFReadNumber(&p, value) || *p)
        return 0;
    if (f->minimum < 0 && *value > INT32_MAX && *value <= (int64_t)UINT32_MAX)
        *value -= (int64_t)UINT32_MAX + 1;
    return 1;
}

/* Stores an integer value: changed or first value sets bits 1 and 4. */
static void StoreInt(uint8_t *r, int32_t v)
{
    uint16_t st = PCFState(r);
    if (!(st & (PCFS_PRESENT | PCFS_RECEIVED)) || PCFRecInt(r) != v)
        PCFSetRecInt(r, v);
    PCFSetState(r, (uint16_t)((st | PCFS_PRESENT | PCFS_SPECIFIED) & ~PCFS_ERROR));
}

static void ClearValue(uint8_t *r)
{
    PCFSetRecInt(r, -1);
    PCFSetState(r, PCFState(r) & ~(PCFS_PRESENT | PCFS_RECEIVED | PCFS_SPECIFIED | PCFS_ERROR));
}

static int InRange(const PCFFieldDef *f, int64_t v)
{
    return v >= f->minimum && v <= f->maximum;
}

static int StoreInteger(StoreCtx *c, uint8_t *r, const char *text)
{
    const PCFFieldDef *f = c->entry->field;
    int64_t v;
    if (!*text) {
        ClearValue(r);
        return 0;
    }
    if (!ParseNumber(f, text, &v) || !InRange(f, v)) {
        Message(c, MsgRange, f);
        PCFSetState(r, PCFState(r) | PCFS_ERROR);
        return 1;
    }
    StoreInt(r, (int32_t)v);
    return 0;
}

static int StoreEnum(StoreCtx *c, uint8_t *r, const char *text)
{
    const PCFFieldDef *f = c->entry->field;
    if (!*text) {
        ClearValue(r);
        return 0;
    }
    const PCFValueDef *row = PCFFindValueByName(c->caps, f->values, text);
    if (row) {
        StoreInt(r, row->value);
        return 0;
    }
    int64_t v;
    if (f->type == PCFT_ENUMNUM && ParseNumber(f, text, &v)) {
        if (InRange(f, v)) {
            StoreInt(r, (int32_t)v);
            return 0;
        }
        Message(c, MsgRange, f);
    } else {
        Message(c, MsgInvalid, f);
    }
    PCFSetState(r, PCFState(r) | PCFS_ERROR);
    return 1;
}

/* The dialog's name bookkeeping after an object name was stored. */
static void NameStored(StoreCtx *c, const char *text)
{
    DialogWords *d = c->dialog;
    if (!d)
        return;
    if (!(c->def->flags & PCFD_NONAMECHANGE))
        d->stateFlags |= DF_NAME_CHANGED;
    if (c->def->nameField && c->def->nameField->field == c->entry->field) {
        /* a reply that fills the field again with the name it held is no
           change of name */
        int changed = strncmp(d->objectName, text, sizeof d->objectName - 1) != 0;
        snprintf(d->objectName, sizeof d->objectName, "%.49s", text);
        d->objectNameLength = (int32_t)strlen(d->objectName);
        /* issued once the store is done and the dialogs' lock is free */
        c->nameCommand = changed && c->def->secondCommand && *text && strcmp(text, "*") != 0;
    }
}

static int StoreByType(StoreCtx *c, char *text);

/* "QUEUE.A+" in a name field flagged 0x40: multi-name mode, the name goes
 * to the list field that follows. */
static int EnterMultiName(StoreCtx *c, char *text)
{
    size_t n = strlen(text);
    text[n - 1] = 0;
    if (c->dialog)
        c->dialog->stateFlags |= DF_MULTI_NAME;
    PCFFieldEntry *next = c->entry + 1;
    if (!next->field || !PCFStoresValue(next))
        return 0;
    if (c->dialog) {
        c->dialog->currentField = next;
        c->dialog->listIndex = 0;
    }
    c->entry = next;
    c->insert = 1;
    c->index = 32767;
    return StoreByType(c, text);
}

static int StoreText(StoreCtx *c, uint8_t *r, char *text)
{
    const PCFFieldDef *f = c->entry->field;
    size_t n = strlen(text);
    if (n && text[n - 1] == '+' && (c->entry->flags & PCFE_NOTMULTI))
        return EnterMultiName(c, text);
    uint16_t st = PCFState(r);
    st = *text ? (st | PCFS_SPECIFIED) : (st & ~PCFS_SPECIFIED);
    char stored[2] = " ";
    const char *value = *text ? text : stored;
    size_t max = f->maximum > 0 ? (size_t)f->maximum : 0;
    char *field = PCFRecText(r);
    if (strncmp(field, value, max) != 0 || strlen(value) > max || !(st & PCFS_PRESENT)) {
        size_t len = strlen(value) < max ? strlen(value) : max;
        memset(field, 0, max + 1);
        memcpy(field, value, len);
        st |= PCFS_PRESENT;
        if (f->type == PCFT_NAME) {
            st |= PCFS_NAMECHG;
            PCFSetState(r, st);
            NameStored(c, field);
        }
    }
    PCFSetState(r, (uint16_t)(st & ~PCFS_ERROR));
    return 0;
}

/* ---- string lists ---- */

static PCFSTRLIST *StrList(StoreCtx *c, uint8_t *r)
{
    PCFSTRLIST *l = PCFRecStrList(r);
    if (!l) {
        l = PCFNewStrList(5, c->entry->field->maximum, "PCFSTRLHDR");
        PCFSetRecPtr(r, l);
    }
    return l;
}

static PCFSTRLIST *GrowStrList(uint8_t *r, PCFSTRLIST *l, int maximum)
{
    PCFSTRLIST *g = PCFNewStrList(l->capacity + 5, maximum, "PCFSTRLHDR");
    if (!g)
        return nullptr;
    memcpy(g + 1, l + 1, (size_t)l->count * (size_t)maximum);
    g->count = l->count;
    CSFreeMem(l);
    PCFSetRecPtr(r, g);
    return g;
}

/* 1 when the element holds the text (up to its width or a blank after). */
static int ElementIs(const char *element, int width, const char *text, size_t n)
{
    if (n > (size_t)width)
        n = (size_t)width;
    return !memcmp(element, text, n) && (n == (size_t)width || element[n] == ' ');
}

static int StoreString(StoreCtx *c, uint8_t *r, char *text)
{
    const PCFFieldDef *f = c->entry->field;
    int max = f->maximum > 0 ? f->maximum : 0;
    size_t n = strlen(text);
    if (n && text[n - 1] == '+' && (c->entry->flags & PCFE_MULTIONLY))
        text[--n] = 0;
    PCFSTRLIST *l = StrList(c, r);
    if (!l) {
        return NoMemory(c);
    }
    int32_t at = ListIndex(c, l->count);
    if (n) {
        if (c->insert) {
            for (int i = 0; i < l->count; i++)
                if (ElementIs(PCFStrListItem(l, max, i), max, text, n))
                    return 0;
            at = l->count;
        }
        if (at == l->count && l->count == l->capacity) {
            l = GrowStrList(r, l, max);
            if (!l) {
                return NoMemory(c);
            }
        }
        char *slot = PCFStrListItem(l, max, at);
        memset(slot, ' ', (size_t)max);
        memcpy(slot, text, n < (size_t)max ? n : (size_t)max);
        if (at == l->count)
            l->count++;
    } else if (at < l->count) {
        char *slot = PCFStrListItem(l, max, at);
        memmove(slot, slot + max, (size_t)(l->count - at - 1) * (size_t)max);
        memset(PCFStrListItem(l, max, l->count - 1), ' ', (size_t)max);
        l->count--;
    }
    if (c->dialog)
        c->dialog->listIndex = at;
    PCFSetState(r, PCFState(r) | PCFS_PRESENT | PCFS_SPECIFIED);
    c->listChanged = 1;
    return 0;
}

/* ---- byte strings ---- */

static int HexValue(int ch)
{
    if (ch >= '0' && ch <= '9') return ch - '0';
    ch = toupper(ch);
    return ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
}

/* 1 when a typed byte string does not fit its field: characters kept as
 * bytes count one each, hexadecimal digits one byte a pair. */
static int BytesTooLong(const PCFFieldDef *f, size_t n)
{
    uint32_t room = PCFBytesRoom(f);
    return f->type == PCFT_BYTES ? n > room : (n & 1) || n / 2 > room;
}

static int StoreBytes(StoreCtx *c, uint8_t *r, const char *text)
{
    const PCFFieldDef *f = c->entry->field;
    size_t n = strlen(text);
    int bad = BytesTooLong(f, n);
    /* the block holds what the record can, and is filled only once the
       text is known to fit it */
    uint8_t *bytes = (uint8_t *)CSGetMem(PCFBytesRoom(f) + 1, "FieldHWNDBytes");
    if (!bytes) {
        return NoMemory(c);
    }
    uint32_t count = 0;
    if (!bad && f->type == PCFT_BYTES) {
        memcpy(bytes, text, n);
        count = (uint32_t)n;
    }
    for (size_t i = 0; !bad && f->type != PCFT_BYTES && i < n; i += 2) {
        int hi = HexValue((unsigned char)text[i]), lo = HexValue((unsigned char)text[i + 1]);
        if (hi < 0 || lo < 0)
            bad = 1;
        else
            bytes[count++] = (uint8_t)(hi << 4 | lo);
    }
    if (bad) {
        Message(c, f->type == PCFT_BYTES ? MsgInvalid : MsgHex, f);
        PCFSetState(r, PCFState(r) | PCFS_ERROR);
        CSFreeMem(bytes);
        return 1;
    }
    uint16_t st = PCFState(r);
    if (count != PCFRecBytesLength(r) || memcmp(PCFRecBytes(r), bytes, count) != 0) {
        PCFSetRecBytes(r, f, bytes, count);
        st = count ? (st | PCFS_PRESENT | PCFS_SPECIFIED) : (st & ~(PCFS_PRESENT | PCFS_SPECIFIED));
    }
    PCFSetState(r, (uint16_t)(st & ~PCFS_ERROR));
    CSFreeMem(bytes);
    return 0;
}

/* ---- integer lists ---- */

static PCFINTLIST *IntList(uint8_t *r, int need)
{
    PCFINTLIST *l = PCFRecIntList(r);
    if (l && l->capacity >= need)
        return l;
    PCFINTLIST *g = PCFNewIntList(need < 10 ? 10 : need, "PCFINTLHDR");
    if (!g)
        return nullptr;
    if (l) {
        memcpy(PCFIntListItems(g), PCFIntListItems(l), 4 * (size_t)l->count);
        g->count = l->count;
        CSFreeMem(l);
    }
    PCFSetRecPtr(r, g);
    return g;
}

static void RemoveElement(PCFINTLIST *l, int at)
{
    int32_t *v = PCFIntListItems(l);
    memmove(v + at, v + at + 1, 4 * (size_t)(l->count - at - 1));
    l->count--;
}

static int StoreEnumList(StoreCtx *c, uint8_t *r, const char *text)
{
    const PCFFieldDef *f = c->entry->field;
    PCFINTLIST *l = IntList(r, 1);
    if (!l) {
        return NoMemory(c);
    }
    int at = ListIndex(c, l->count);
    uint16_t st = PCFState(r);
    if (!*text) {
        if (at < l->count) {
            RemoveElement(l, at);
            if (f->type == PCFT_FLAGSET && !l->count)
                st |= PCFS_PRESENT | PCFS_SPECIFIED;
            c->listChanged = 1;
        }
        PCFSetState(r, st);
        return 0;
    }
    const PCFValueDef *row = PCFFindValueByName(c->caps, f->values, text);
    if (!row) {
        Message(c, MsgInvalid, f);
        PCFSetState(r, st | PCFS_ERROR);
        return 1;
    }
    if (f->type == PCFT_FLAGSET && (uint32_t)row->value == 0xFFFFFFFFu) {
        Message(c, MsgChoose, f);
        PCFSetState(r, st | PCFS_ERROR);
        return 1;
    }
    if (f->type == PCFT_FLAGSET && row->value == 0) {
        if (l->count) {
            l->count = 0;
            const PCFHOOKS *h = PCFHooks();
            if (h->setSelectionText && c->dialog)
                h->setSelectionText(h->context, c->dialog, row->name);
        }
        PCFSetState(r, (uint16_t)((st | PCFS_PRESENT | PCFS_SPECIFIED) & ~PCFS_ERROR));
        c->listChanged = 1;
        return 0;
    }
    if (c->insert) {
        for (int i = 0; i < l->count; i++)
            if (PCFIntListItems(l)[i] == row->value) {
                if (c->dialog)
                    c->dialog->listIndex = l->count;
                return 0;
            }
        at = l->count;
    }
    if (at == l->count && l->count == l->capacity) {
        l = IntList(r, l->capacity + 10);
        if (!l) {
            return NoMemory(c);
        }
    }
    PCFIntListItems(l)[at] = row->value;
    if (at == l->count)
        l->count++;
    if (c->dialog)
        c->dialog->listIndex = at;
    PCFSetState(r, (uint16_t)((st | PCFS_PRESENT | PCFS_SPECIFIED) & ~PCFS_ERROR));
    c->listChanged = 1;
    return 0;
}

/* The list separator at p after blanks (the integer-list separator
 * without its blanks, a comma, or the blanks alone when the separator is
 * all blanks): its length; -1 when there is none. */
static int ListSeparator(const char *p, int blanks)
{
    const char *sep = PcfPrefs.sepInt;
    while (*sep == ' ')
        sep++;
    size_t n = strlen(sep);
    while (n && sep[n - 1] == ' ')
        n--;
    if (n && strncmp(p, sep, n) == 0)
        return (int)n;
    if (*p == ',')
        return 1;
    return !n && blanks ? 0 : -1;
}

/* The numbers of an integer-list text as its value text writes them
 * (each a whole number or "Not set", between list separators): their
 * count, or 0 when the text is anything else or holds more than max. */
static int ReadNumberList(const char *text, int32_t *values, int max)
{
    static const char notSet[] = "Not set";
    const char *p = text;
    for (int n = 0; n < max;) {
        while (*p == ' ')
            p++;
        int64_t v = -1;
        if (strncmp(p, notSet, sizeof notSet - 1) == 0)
            p += sizeof notSet - 1;
        else if (!PCFReadNumber(&p, &v) || v < INT32_MIN || v > INT32_MAX)
            return 0;
        values[n++] = (int32_t)v;
        const char *end = p;
        while (*p == ' ')
            p++;
        if (!*p)
            return n;
        int sep = ListSeparator(p, p != end);
        if (sep < 0)
            return 0;
        p += sep;
    }
    return 0;
}

static int StoreNumberList(StoreCtx *c, uint8_t *r, const char *text)
{
    const PCFFieldDef *f = c->entry->field;
    uint16_t st = PCFState(r);
    if (!*text) {
        PCFINTLIST *l = PCFRecIntList(r);
        if (l)
            l->count = 0;
        PCFSetState(r, st & ~(PCFS_PRESENT | PCFS_RECEIVED | PCFS_SPECIFIED | PCFS_ERROR));
        c->listChanged = 1;
        return 0;
    }
    size_t most = strlen(text) / 2 + 1;     /* an element and a separator at least */
    if (most > 32767)
        most = 32767;
    int32_t *values = (int32_t *)CSGetMem(4 * most, "FieldHWNDList");
    if (!values) {
        return NoMemory(c);
    }
    int n = ReadNumberList(text, values, (int)most);
    if (n <= 0) {
        CSFreeMem(values);
        Message(c, MsgInvalid, f);
        PCFSetState(r, st | PCFS_ERROR);
        return 1;
    }
    PCFINTLIST *l = IntList(r, n);
    if (!l) {
        CSFreeMem(values);
        snprintf(c->message, sizeof c->message, "%s", MsgMemory);
        return 1;
    }
    if (l->count != n || memcmp(PCFIntListItems(l), values, 4 * (size_t)n)) {
        memcpy(PCFIntListItems(l), values, 4 * (size_t)n);
        l->count = (int16_t)n;
        st = (uint16_t)((st | PCFS_PRESENT | PCFS_SPECIFIED) & ~PCFS_ERROR);
        c->listChanged = 1;
    }
    PCFSetState(r, st);
    CSFreeMem(values);
    return 0;
}

static int StorePair(uint8_t *r, const char *text)
{
    uint16_t st = PCFState(r);
    st = *text ? (st | PCFS_SPECIFIED) : (st & ~PCFS_SPECIFIED);
    char *field = (char *)r + REC_PAIRTEXT;
    if (strncmp(field, text, PAIR_TEXT_MAX) != 0) {
        memset(field, 0, PAIR_TEXT_MAX + 1);
        strncpy(field, text, PAIR_TEXT_MAX);
        st |= PCFS_PRESENT;
    }
    PCFSetState(r, st);
    return 0;
}

/* Stores a prepared text by the field's type; 1 with a message. */
static int StoreByType(StoreCtx *c, char *text)
{
    uint8_t *r = c->area + c->entry->offset;
    switch (c->entry->field->type) {
    case PCFT_INT: case PCFT_NUMBER:
        return StoreInteger(c, r, text);
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        return StoreEnum(c, r, text);
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
        return StoreText(c, r, text);
    case PCFT_STRLIST: case PCFT_MULTISTR:
        return StoreString(c, r, text);
    case PCFT_HEX: case PCFT_WIDEHEX: case PCFT_BYTES:
        return StoreBytes(c, r, text);
    case PCFT_ENUMLIST: case PCFT_FLAGSET:
        return StoreEnumList(c, r, text);
    case PCFT_INTLIST:
        return StoreNumberList(c, r, text);
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return StorePair(r, text);
    }
    return 0;
}

/* 1 when a shown-only entry still takes the value. */
static int ShownOnlyStores(const PCFFieldEntry *e, const uint8_t *r)
{
    if (e->field->type == PCFT_DATETIME || e->field->type == PCFT_DATETIME100)
        return 1;
    for (uint32_t id : StoredAlways)
        if (e->field->attrId == id)
            return 1;
    return (e->flags & PCFE_KEY) && !(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED));
}

/* Trims the text in place by the entry's rules; the new start. */
#define ATTR_SEARCH_TEXT 10118     /* a list's search text: matched with its blanks */

static char *Trim(char *text, const PCFFieldEntry *e)
{
    if (e->field && e->field->attrId == ATTR_SEARCH_TEXT)
        return text;
    if (!(e->flags & PCFE_LEADBLANKS))
        while (*text == ' ')
            text++;
    size_t n = strlen(text);
    while (n && text[n - 1] == ' ')
        text[--n] = 0;
    return text;
}

/* The text into a work buffer, or a block when it is 530 bytes or more. */
static char *TakeText(const char *text, int length, char *work, char **block)
{
    size_t n = length < 0 ? strlen(text) : (size_t)length;
    char *to = work;
    if (n >= WORK_SIZE) {
        to = *block = (char *)CSGetMem(n + 1, "FieldHWNDField");
        if (!to)
            return nullptr;
    }
    memcpy(to, text, n);
    to[n] = 0;
    return to;
}

int PCFStoreText(PCFCommandDef *def, uint8_t *area, PCFFieldEntry *entry, const char *text,
                 int length, char *message, int messageSize)
{
    if (message && messageSize)
        *message = 0;
    if (!def || !area || !entry || !entry->field || !PCFStoresValue(entry) || !text)
        return 0;
    if ((entry->flags & PCFE_SHOWONLY) && !ShownOnlyStores(entry, area + entry->offset))
        return 0;
    char work[WORK_SIZE + 1], *block = nullptr;
    char *t = TakeText(text, length, work, &block);
    if (!t)
        return 0;
    StoreCtx c = {};
    c.def = def;
    c.area = area;
    c.entry = entry;
    c.index = 32767;
    c.insert = 1;
    int rc = StoreByType(&c, Trim(t, entry));
    if (message && messageSize)
        snprintf(message, (size_t)messageSize, "%s", c.message);
    if (block)
        CSFreeMem(block);
    return rc;
}

/* Keeps the printable characters of typed text up to the first other. */
static void PrintableOnly(DialogWords *dialog, char *text)
{
    char *p = text;
    while (*p && isprint((unsigned char)*p))
        p++;
    if (*p) {
        *p = 0;
        const PCFHOOKS *h = PCFHooks();
        if (h->setValueText)
            h->setValueText(h->context, dialog, text);
    }
}

/* Whether the dialog's own area is laid out for the entry: it is one of
 * the definition's own entries (a list's detail entries have offsets in
 * another definition's area). */
static int AreaHolds(const DialogWords *d, const PCFFieldEntry *entry)
{
    const PCFCommandDef *def = d->definition;
    for (const PCFFieldEntry *e = def ? def->fields : nullptr; e && e->field; e++)
        if (e == entry)
            return 1;
    return 0;
}

int FieldHWNDData(DialogWords *dialog, int remember, uint8_t *area, int useAlternate,
                  PCFFieldEntry *entry, const char *text, int length, int insert)
{
    if (!dialog)
        return 0;
    const PCFHOOKS *h = PCFHooks();
    char work[WORK_SIZE + 1], *block = nullptr, *t;
    if (!entry)
        entry = dialog->currentField;
    if (!entry || !entry->field)
        return 0;
    if (text) {
        t = TakeText(text, length, work, &block);
        if (!t)
            return 0;
    } else {
        work[0] = 0;
        if (h->valueText)
            h->valueText(h->context, dialog, work, WORK_SIZE + 1);
        work[WORK_SIZE] = 0;
        t = work;
        if (PcfPrefs.printableOnly)
            PrintableOnly(dialog, t);
    }
    if (!area)
        area = useAlternate && dialog->altDataArea ? dialog->altDataArea : dialog->dataArea;
    if (area == dialog->dataArea && !AreaHolds(dialog, entry))
        area = nullptr;                 /* nothing stored outside the area's records */
    int current = dialog->currentField && dialog->currentField->field->attrId == entry->field->attrId;
    if (text && current && !((dialog->stateFlags & DF_LIST_EDIT) && dialog->listIndex != 0) &&
        h->setValueText)
        h->setValueText(h->context, dialog, t);
    int rc = 0;
    if (area && PCFStoresValue(entry) &&
        (!(entry->flags & PCFE_SHOWONLY) || ShownOnlyStores(entry, area + entry->offset))) {
        t = Trim(t, entry);
        if (remember && entry->field->historyKind && *t && strcmp(t, "*") != 0 &&
            strcmp(t, "<Prompt>") != 0)
            PCFHistoryAdd(t, entry->field->historyKind);
        StoreCtx c = {};
        c.dialog = dialog;
        c.def = dialog->definition;
        c.area = area;
        c.entry = entry;
        c.caps = PCFDialogCaps(dialog);
        c.insert = insert;
        c.index = dialog->listIndex;
        /* another queue: the one in use is let go while its name is still
           stored, outside the dialogs' lock */
        int replaced = PCFNameReplaced(dialog, area, entry, t);
        if (replaced)
            PCFCloseOldName(dialog);
        CSLockGlobal(CSLOCK_DIALOGS);
        rc = StoreByType(&c, t);
        if (replaced && !rc)
            PCFForgetMessage(dialog, area);
        CSUnlockGlobal(CSLOCK_DIALOGS);
        if (c.nameCommand && h->doCommand)
            h->doCommand(h->context, dialog, c.def->secondCommand, nullptr, nullptr);
        /* a refused text changed nothing: the dependent fields stay, and so
           does the text being typed */
        if ((c.listChanged || (entry->flags & PCFE_DEPENDS)) && !rc && !(dialog->stateFlags & DF_LIST_EDIT) &&
            h->dependChanged)
            h->dependChanged(h->context, dialog);
        if (!(dialog->statusFlags & DS_NO_MESSAGES))
            PCFStatus(dialog, c.message, rc ? 6 : 0);
    }
    if (block)
        CSFreeMem(block);
    return rc;
}
