/* List rows: the replies of a list command become the rows of a list
 * area, on the thread that processes replies; at the last reply the
 * finished area is handed to the dialog window (UM_PCF_UPDATE_LIST).
 *
 * Every value record is measured before it is written and the area grows
 * to hold it; a row stays below 64 KB (its length is a 16-bit word), so
 * an overlong value is cut.  A fresh area gets its column table with its
 * first row whatever the command's sequence number. */
#include "pcfint.h"
#include "lists/pcflists.h"

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include "mq/capability.h"
#include "cs.h"
#include "qms.h"

#define ROW_MAX 65528u          /* largest row, a multiple of 8 */
#define AREA_MAX 0x7FFFFC00u    /* largest area, a multiple of 1 KB */
#define MULTI_MAX 500           /* characters of a joined string list */
#define SCAN_COLUMNS 256        /* columns whose parameters one walk finds */

struct FillCtx {
    DialogWords *dialog;
    QMS *answering;
    PCFLISTREQ *request;
    PCFLISTAREA *area;
    const PCFLISTENTRY *columns;
    int ncolumns;
    int columnsInArea;          /* the columns are the area's own table */
    const uint8_t *caps;
    uint32_t need;              /* room a row is expected to take */
    uint32_t rowStart;          /* offset of the row being built */
    uint32_t cursor;            /* offset of the next value record */
    int32_t platform;
    uint32_t dateRec, timeRec;  /* put date and time records, 0 none */
    const uint8_t *rowFrom, *rowTo; /* the parameters of the row being built */
    int failed;
    /* the tables below are written for the columns before they are read,
     * and are left out of the clearing at every reply */
    uint32_t rest[257];         /* least room of the columns after each one */
    uint8_t empty[256];         /* each column's empty record length */
    uint64_t idBits[2];         /* filter of the columns' ids (IdBit) */
    uint32_t ids[SCAN_COLUMNS]; /* the columns' ids, read once a reply */
};

static uint32_t Align8(uint32_t n) { return (n + 7) & ~7u; }

/* Makes room for `bytes` more after the cursor, growing the area. */
static uint8_t *Room(FillCtx *c, uint32_t bytes)
{
    PCFLISTAREA *a = c->area;
    uint64_t want = (uint64_t)c->cursor + bytes + 8;
    if (want > a->size) {
        /* doubling: the rows of a long list are copied about once */
        uint64_t size = (uint64_t)a->size + (bytes > c->need ? bytes : c->need);
        if (size < (uint64_t)a->size * 2)
            size = (uint64_t)a->size * 2;
        size = (size + 1023) & ~1023ull;
        if (size > AREA_MAX)
            size = AREA_MAX;
        if (size < want) {
            c->failed = 1;
            return nullptr;
        }
        PCFLISTAREA *g = (PCFLISTAREA *)CSGetMem((size_t)size, "pNListArea");
        if (!g) {
            c->failed = 1;
            return nullptr;
        }
        memcpy(g, a, c->cursor);
        g->size = (uint32_t)size;
        g->refCount = 1;
        if (c->columnsInArea)       /* the table moved with the rows */
            c->columns = (const PCFLISTENTRY *)((uint8_t *)g + ((const uint8_t *)c->columns - (uint8_t *)a));
        ReleaseRefBlock(&c->request->filling);
        c->request->filling = c->area = a = g;
    }
    return (uint8_t *)a + c->cursor;
}

/* Room left for one value of the row: the row's cap less what the
 * remaining columns need at least. */
static uint32_t ValueCap(FillCtx *c, int column)
{
    uint32_t rest = 0;
    if (column < 256) {
        rest = c->rest[column];
    } else {
        for (int i = column + 1; i < c->ncolumns; i++)
            rest += PCFEmptyValueLength(c->columns[i].field->type);
    }
    uint32_t used = c->cursor - c->rowStart + rest + PCFLV_TEXT;
    return used < ROW_MAX ? ROW_MAX - used : 0;
}

/* ---- value records ---- */

static void EmptyRecord(FillCtx *c, const PCFFieldDef *f)
{
    uint32_t n = PCFEmptyValueLength(f->type);
    uint8_t *r = Room(c, n);
    if (r) {
        memset(r, 0, n);
        c->cursor += n;
    }
}

static void IntRecord(FillCtx *c, uint16_t state, int32_t v)
{
    uint8_t *r = Room(c, 14);
    if (!r)
        return;
    memset(r, 0, 14);
    Put16(r, state);
    Put32(r + PCFLV_INT, v);
    c->cursor += 14;
}

/* A text or byte record of a column, cut to the row's room; the record. */
static uint8_t *TextRecord(FillCtx *c, int column, uint16_t state, const void *text, uint32_t n)
{
    uint32_t cap = ValueCap(c, column);
    if (n > cap)
        n = cap;
    uint8_t *r = Room(c, PCFLV_TEXT + n + 1);
    if (!r)
        return nullptr;
    memset(r, 0, PCFLV_TEXT);
    Put16(r, state);
    Put16(r + 2, (uint16_t)n);
    if (n)
        memcpy(r + PCFLV_TEXT, text, n);
    r[PCFLV_TEXT + n] = 0;
    c->cursor += PCFLV_TEXT + n;
    return r;
}

static void HexRecord(FillCtx *c, int column, const uint8_t *bytes, uint32_t n)
{
    uint32_t cap = ValueCap(c, column);
    if (n > cap / 2)
        n = cap / 2;
    uint8_t *r = Room(c, PCFLV_TEXT + 2 * n + 1);
    if (!r)
        return;
    memset(r, 0, PCFLV_TEXT);
    Put16(r, PCFS_PRESENT);
    Put16(r + 2, (uint16_t)(2 * n));
    PCFHexText(bytes, n, (char *)r + PCFLV_TEXT, 2 * n + 1);
    c->cursor += PCFLV_TEXT + 2 * n;
}

static void ListRecord(FillCtx *c, int column, const PCFFieldDef *f, const uint8_t *items, int32_t n)
{
    uint32_t cap = ValueCap(c, column) / 4;
    if ((uint32_t)n > cap)
        n = (int32_t)cap;
    uint8_t *r = Room(c, PCFLV_TEXT + 4 * (uint32_t)n);
    if (!r)
        return;
    memset(r, 0, PCFLV_TEXT);
    memcpy(r + PCFLV_TEXT, items, 4 * (size_t)n);
    int kept = PCFCheckNotValues(f, r + PCFLV_TEXT, n);
    Put16(r, PCFS_PRESENT);
    Put16(r + 2, (uint16_t)kept);
    c->cursor += PCFLV_TEXT + 4 * (uint32_t)kept;
}

/* An MQCFSL joined into one multi-string: items up to their first blank,
 * separated by the byte 5, at most about 500 characters and "+". */
static void JoinedRecord(FillCtx *c, int column, const PCFFieldDef *f, const PCFPARM *p)
{
    char text[MULTI_MAX + 8];
    uint32_t n = 0;
    int items = 0;
    for (int32_t i = 0; i < p->valueLength; i++) {
        const char *item = (const char *)p->value + (size_t)i * (size_t)p->itemLength;
        int32_t len = 0;
        while (len < p->itemLength && item[len] != ' ' && item[len] && (f->maximum <= 0 || len < f->maximum))
            len++;
        if (n + (uint32_t)len + 1 > MULTI_MAX) {
            text[n++] = '+';
            break;
        }
        if (items++)
            text[n++] = 5;
        memcpy(text + n, item, (size_t)len);
        n += (uint32_t)len;
    }
    TextRecord(c, column, (uint16_t)(PCFS_PRESENT | (items > 1 ? PCFS_RECEIVED : 0)), text, n);
}

static int FindInRow(FillCtx *c, const uint8_t *from, const uint8_t *to, uint32_t attrId, PCFPARM *out);

/* The Encoding, CodedCharSetId and Format of the row's message: 1 when
 * the row holds all three. */
static int MessageInfo(FillCtx *c, PCFMSGINFO *info)
{
    PCFPARM e, s, f;
    if (!FindInRow(c, c->rowFrom, c->rowTo, 10014, &e) || e.type != MQCFT_INTEGER ||
        !FindInRow(c, c->rowFrom, c->rowTo, 10015, &s) || s.type != MQCFT_INTEGER ||
        !FindInRow(c, c->rowFrom, c->rowTo, 10016, &f) || f.type != MQCFT_STRING)
        return 0;
    info->encoding = Get32(e.value);
    info->ccsid = Get32(s.value);
    memset(info->format, ' ', sizeof info->format);
    memcpy(info->format, f.value, f.valueLength < 8 ? (size_t)f.valueLength : 8);
    return 1;
}

/* Message data shown as text: the summary, else printable bytes. */
static void MessageRecord(FillCtx *c, int column, const PCFFieldDef *f, const PCFPARM *p)
{
    const PCFHOOKS *h = PCFHooks();
    uint32_t n = (uint32_t)p->valueLength;
    PCFMSGINFO info;
    if (f->attrId == 10034 && h->messageSummary && MessageInfo(c, &info)) {
        char text[512];
        uint32_t len = 0;
        uint32_t room = sizeof text;
        if (f->maximum > 0 && (uint32_t)f->maximum < room)
            room = (uint32_t)f->maximum;
        if (h->messageSummary(h->context, c->dialog, c->request->location, &info, p->value, n,
                              text, room, &len)) {
            TextRecord(c, column, PCFS_PRESENT, text, len < sizeof text ? len : sizeof text);
            return;
        }
    }
    uint32_t limit = PcfPrefs.dataBytesShown > 0 ? (uint32_t)PcfPrefs.dataBytesShown : 0;
    if (n > limit)
        n = limit;
    uint8_t *r = TextRecord(c, column, PCFS_PRESENT, p->value, n);
    if (!r)
        return;
    n = PCFListLength(r);
    char *text = (char *)r + PCFLV_TEXT;
    int plain = UTPrintableCopy(text, p->value, (int)n);
    if (PcfPrefs.predictive && p->valueLength < 202 && n <= 256) {
        unsigned char other[256];
        int shown = CSMakePrintable(other, p->value, (int)n);
        if (shown > plain) {
            memcpy(text, other, n);
            c->area->flags |= PCFLA_PREDICTIVE;
        }
    }
}

static void KeyOffset(FillCtx *c, uint32_t record)
{
    PCFROW *row = (PCFROW *)((uint8_t *)c->area + c->rowStart);
    if (!row->keyOffset)
        row->keyOffset = (uint16_t)(record - c->rowStart);
}

/* Writes the value of one parameter shaped as the column's record. */
static void ParmRecord(FillCtx *c, int column, const PCFFieldDef *f, const PCFPARM *p)
{
    uint32_t empty = column < 256 ? c->empty[column] : PCFEmptyValueLength(f->type);
    int intColumn = empty == 14;
    int listColumn = f->type == PCFT_ENUMLIST || f->type == PCFT_INTLIST;
    uint32_t at = c->cursor;
    switch (p->type) {
    case MQCFT_INTEGER:
    case MQCFT_INTEGER64: {
        int32_t v = Get32(p->value);
        if (intColumn) {
            IntRecord(c, PCFS_PRESENT, v);
        } else if (listColumn) {
            ListRecord(c, column, f, p->value, 1);
        } else if (empty == 12) {
            char text[16];
            int n = snprintf(text, sizeof text, "%ld", (long)v);
            TextRecord(c, column, PCFS_PRESENT, text, (uint32_t)n);
        } else {
            EmptyRecord(c, f);
        }
        return;
    }
    case MQCFT_INTEGER_LIST:
        if (listColumn) {
            ListRecord(c, column, f, p->value, p->valueLength);
        } else if (intColumn) {
            int32_t v = 0;
            for (int32_t i = 0; i < p->valueLength; i++)
                v |= Get32(p->value + 4 * i);
            IntRecord(c, PCFS_PRESENT, v);
        } else {
            EmptyRecord(c, f);
        }
        return;
    case MQCFT_STRING:
        if (empty != 12 || listColumn) {
            EmptyRecord(c, f);
            return;
        }
        if (f->type == PCFT_NAME)
            KeyOffset(c, at);
        TextRecord(c, column, PCFS_PRESENT, p->value, (uint32_t)PCFTrimmedLength(p->value, p->valueLength));
        if (f->type == PCFT_STRING25 && PCFListLength((uint8_t *)c->area + at) == 8) {
            if (f->attrId == 10027)
                c->dateRec = at;
            if (f->attrId == 10028)
                c->timeRec = at;
        }
        return;
    case MQCFT_STRING_LIST:
        if (empty == 12 && !listColumn)
            JoinedRecord(c, column, f, p);
        else
            EmptyRecord(c, f);
        return;
    case MQCFT_BYTE_STRING:
    case PCFT_OWN_BYTES:
        if (empty != 12 || listColumn) {
            EmptyRecord(c, f);
        } else if (f->type == PCFT_BYTES &&
                   (p->type == PCFT_OWN_BYTES || f->attrId == 10034 || f->attrId == 10036)) {
            MessageRecord(c, column, f, p);
        } else {
            uint32_t n = (uint32_t)p->valueLength;
            if (p->type == MQCFT_BYTE_STRING)
                n = (uint32_t)UTTrimZeroLength(p->value, (int)n);
            if (f->attrId == 10038)
                KeyOffset(c, at);
            HexRecord(c, column, p->value, n);
        }
        return;
    }
    EmptyRecord(c, f);
}

/* The parameter of a row that answers an attribute, or null. */
static int FindInRow(FillCtx *c, const uint8_t *from, const uint8_t *to, uint32_t attrId, PCFPARM *out)
{
    PCFWALK w = { from, to, 0x7FFFFFFF, c->platform };
    while (PCFWalkNext(&w, out)) {
        if (out->type == PCFT_OWN_END)
            return 0;
        if (out->type == MQCFT_INTEGER && (out->id == OBJECT_SEPARATOR || out->id == RESPONSE_DELIMITER))
            return 0;
        if ((uint32_t)out->id == attrId && out->type != MQCFT_GROUP)
            return 1;
    }
    return 0;
}

/* A date-time pair column built from its date and time parameters: the
 * display text of the date formats, the time as its sort value. */
static int PairRecord(FillCtx *c, const PCFFieldDef *f, const uint8_t *from, const uint8_t *to)
{
    uint32_t dateId, timeId;
    PCFPARM d, t;
    if (!FindDateTimePair(f->attrId, &dateId, &timeId) || !FindInRow(c, from, to, dateId, &d) ||
        d.type != MQCFT_STRING || !FindInRow(c, from, to, timeId, &t) || t.type != MQCFT_STRING)
        return 0;
    uint8_t *r = Room(c, 36 + 128);
    if (r)
        c->cursor += PCFPairRecord(r, f->type, (const char *)d.value, d.valueLength, (const char *)t.value,
                                   t.valueLength);
    return 1;
}

/* The bit of an attribute id in the columns' id filter. */
static uint64_t IdBit(uint32_t id, int *word)
{
    uint32_t h = id * 0x9E3779B1u;
    *word = (int)(h >> 31);
    return 1ull << ((h >> 25) & 63);
}

/* Notes the columns' ids once a reply, and their bits in the filter. */
static void NoteColumnIds(FillCtx *c)
{
    c->idBits[0] = c->idBits[1] = 0;
    for (int i = 0; i < c->ncolumns && i < SCAN_COLUMNS; i++) {
        c->ids[i] = c->columns[i].field ? c->columns[i].field->attrId : 0;
        int word;
        uint64_t bit = IdBit(c->ids[i], &word);
        c->idBits[word] |= bit;
    }
}

/* 0 when no column has the id; 1 when one may. */
static int IdMayBeColumn(const FillCtx *c, uint32_t id)
{
    int word;
    uint64_t bit = IdBit(id, &word);
    return (c->idBits[word] & bit) != 0;
}

/* The end of the row whose parameters start at the walk's position,
 * noting on the way the parameter that answers each column (the first
 * with its id before a delimiter; found may be null).  0 with rowEnd set,
 * -1 past the reply's last row, or 1000 plus a type a row may not hold. */
static int RowExtent(FillCtx *c, PCFWALK *w, const uint8_t **rowEnd, PCFPARM *found)
{
    PCFPARM p;
    int searching = found != nullptr, missing = 0;
    for (int i = 0; searching && i < c->ncolumns; i++) {
        found[i].start = nullptr;
        missing++;
    }
    for (;;) {
        const uint8_t *before = w->pos;
        if (!PCFWalkNext(w, &p)) {
            *rowEnd = before;
            return -1;
        }
        switch (p.type) {
        case MQCFT_INTEGER:
            if (p.id == OBJECT_SEPARATOR) {
                *rowEnd = w->pos;
                return 0;
            }
            if (p.id == RESPONSE_DELIMITER)
                searching = 0;
            break;
        case MQCFT_INTEGER64: case MQCFT_BYTE_STRING: case MQCFT_STRING:
        case MQCFT_INTEGER_LIST: case MQCFT_STRING_LIST: case PCFT_OWN_BYTES:
            break;
        case PCFT_OWN_END:
            *rowEnd = w->pos;
            return 0;
        default:
            return PCFTypeError(p.type);
        }
        /* once every column has its parameter the rest is only walked;
         * an id no column can have is passed over on one bit test */
        if (!searching || !missing || !IdMayBeColumn(c, (uint32_t)p.id))
            continue;
        for (int i = 0; i < c->ncolumns; i++)
            if (c->ids[i] == (uint32_t)p.id && !found[i].start) {
                found[i] = p;
                missing--;
            }
    }
}

/* Starts the area over for the request's command and columns. */
static void Restart(FillCtx *c)
{
    PCFLISTAREA *a = c->area;
    uint32_t start = (PCFListAreaSize(c->ncolumns) + 7) & ~7u;
    c->cursor = PCFLA_HEADER;
    if (!Room(c, start - PCFLA_HEADER))
        return;
    a = c->area;
    memset((uint8_t *)a + PCFLA_HEADER, 0, start - PCFLA_HEADER);
    a->rows = 0;
    a->columns = (uint16_t)c->ncolumns;
    a->sequence = c->request->sequence;
    a->used = start;
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);
    if (c->ncolumns)
        memcpy(parts.columns, c->columns, sizeof(PCFLISTENTRY) * (size_t)c->ncolumns);
}


/* Builds one row from the parameters between from and to, with the
 * parameters found for its columns (null: each column searches); 0 or 1. */
static int AddRow(FillCtx *c, const uint8_t *from, const uint8_t *to, const PCFPARM *found)
{
    PCFLISTAREA *a;
    c->cursor = c->area->used;
    if (!Room(c, PCFLA_ROWHEADER))
        return 1;
    c->rowStart = c->cursor;
    a = c->area;
    PCFROW *row = (PCFROW *)((uint8_t *)a + c->rowStart);
    memset(row, 0, PCFLA_ROWHEADER);
    row->index = a->rows;
    row->request = c->request;
    c->cursor += PCFLA_ROWHEADER;
    c->rowFrom = from;
    c->rowTo = to;
    c->dateRec = c->timeRec = 0;
    int pair = c->dialog && c->dialog->definition && (c->dialog->definition->flags & PCFD_PAIR);
    for (int i = 0; i < c->ncolumns && !c->failed; i++) {
        const PCFFieldDef *f = c->columns[i].field;
        PCFPARM p;
        int have = found ? (p = found[i], found[i].start != nullptr) : FindInRow(c, from, to, f->attrId, &p);
        if (f->attrId == 10044 && !pair) {
            QMS *loc = c->request->location;
            int own = c->answering && c->answering->qmName[0];
            const char *name = own ? c->answering->qmName : loc ? loc->qmName : "";
            TextRecord(c, i, (uint16_t)(own ? 129 : 1), name, (uint32_t)strlen(name));
        } else if (f->attrId == 10200 && !pair) {
            const char *text = c->request->location ? c->request->location->locationName : "";
            TextRecord(c, i, PCFS_PRESENT, text, (uint32_t)strlen(text));
        } else if (!CapTest(nullptr, c->caps, f)) {
            EmptyRecord(c, f);
        } else if (have) {
            ParmRecord(c, i, f, &p);
        } else if (!((f->type == PCFT_DATETIME || f->type == PCFT_DATETIME100) &&
                     PairRecord(c, f, from, to))) {
            EmptyRecord(c, f);
        }
    }
    if (c->failed)
        return 1;
    uint32_t length = Align8(c->cursor - c->rowStart);
    if (!Room(c, length - (c->cursor - c->rowStart)))
        return 1;
    a = c->area;
    row = (PCFROW *)((uint8_t *)a + c->rowStart);
    memset((uint8_t *)a + c->cursor, 0, length - (c->cursor - c->rowStart));
    row->length = (uint16_t)length;
    a->used = c->rowStart + length;
    a->rows++;
    if (PcfPrefs.localTime && c->dateRec && c->timeRec)
        CSAdjustDateTime((char *)a + c->dateRec + PCFLV_TEXT, (char *)a + c->timeRec + PCFLV_TEXT,
                         PcfPrefs.localOffset);
    return 0;
}

/* Any name filter of the location's queues (own or program-wide). */
static int HasNameFilter(QMS *location)
{
    AUTQMASK *chain;
    const char *text;
    int32_t length;
    PCFGetNameFilters(location, &chain, &text, &length);
    return chain || length > 0;
}

static int FirstActionIs(DialogWords *dialog, uint32_t command)
{
    const PCFCommandDef *d = dialog ? dialog->definition : nullptr;
    return d && d->actions && d->actions->id && d->actions->command == command;
}

/* Columns of the request, else the definition's current list. */
static const PCFLISTENTRY *Columns(DialogWords *dialog, PCFLISTREQ *request)
{
    if (request->columns)
        return request->columns;
    const PCFCommandDef *d = dialog ? dialog->definition : nullptr;
    return d && d->list ? d->list->current : nullptr;
}

/* The column table of an area that already holds rows of the request's
 * command, read in place (the fill follows it when the area grows); null
 * for none. */
static const PCFLISTENTRY *AreaColumns(PCFLISTREQ *request)
{
    PCFLISTAREA *a = request->filling;
    if (!a || a->sequence != request->sequence || !a->columns || a->used < PCFListAreaSize(a->columns))
        return nullptr;
    PCFLISTPARTS parts;
    PCFListAreaPointers(a, &parts);
    return parts.columns;
}

/* The rows of one reply.  Once the area holds rows of the command, its own
 * columns are the ones the later replies fill: the request's list may
 * change meanwhile (a column moved while the list loads). */
int FillListArea(DialogWords *dialog, QMS *answering, PCFLISTREQ *request, const uint8_t *reply,
                 uint32_t length, uint32_t extra)
{
    if (!request)
        return 0;
    FillCtx c;
    memset(&c, 0, offsetof(FillCtx, rest));
    c.dialog = dialog;
    c.answering = answering;
    c.request = request;
    c.columns = AreaColumns(request);
    c.columnsInArea = c.columns != nullptr;
    if (c.columnsInArea)
        c.ncolumns = request->filling->columns;
    else
        c.columns = Columns(dialog, request);
    while (!c.columnsInArea && c.columns && c.columns[c.ncolumns].field)
        c.ncolumns++;
    c.caps = dialog ? dialog->first.caps : request->caps;
    for (int i = c.ncolumns - 1, sum = 0; i >= 0; i--) {
        uint32_t empty = PCFEmptyValueLength(c.columns[i].field->type);
        if (i < 256) {
            c.rest[i] = (uint32_t)sum;
            c.empty[i] = (uint8_t)empty;
        }
        sum += (int)empty;
    }
    c.platform = request->location ? request->location->platform : 0;
    c.need = extra + 1024 + PCFListAreaSize(c.ncolumns);
    if (!request->filling) {
        uint32_t size = request->sizeHint ? request->sizeHint : 4096;
        if (size < c.need)
            size = c.need;
        size = (size + 1023) & ~1023u;
        request->filling = AllocRefBlock(size, "PCFLISTAREA");
        if (!request->filling)
            return 1;
    }
    c.area = request->filling;
    if (c.area->sequence != request->sequence || c.area->used < PCFListAreaSize(c.ncolumns)) {
        Restart(&c);
        if (c.failed)
            return 1;
    }
    if (!reply || length < sizeof(MQCFH))
        return 0;
    uint8_t *copy = nullptr;
    if (Get32(reply + 12) == MQCMD_INQUIRE_SUBSCRIPTION) {
        copy = (uint8_t *)CSGetMem(length, "FILLREPLY");
        if (!copy)
            return 1;
        memcpy(copy, reply, length);
        PCFScanResponseParms(dialog, request->location, 0, copy, length);
        reply = copy;
    }
    int rc = 0;
    PCFWALK w;
    PCFWalkStart(&w, reply, length, c.platform);
    MQCFH head;
    memcpy(&head, reply, sizeof head);
    int filtered = head.Command == MQCMD_INQUIRE_Q && dialog && dialog->definition &&
                   dialog->definition->list && HasNameFilter(request->location);
    if (filtered && !PCFObjectNameSelected(request->location, reply, length))
        w.left = 0;
    PCFPARM found[SCAN_COLUMNS];
    PCFPARM *scan = c.ncolumns <= SCAN_COLUMNS ? found : nullptr;
    NoteColumnIds(&c);
    while (w.pos && w.left > 0 && w.pos < w.end) {
        const uint8_t *from = w.pos, *to = from;
        int end = RowExtent(&c, &w, &to, scan);
        if (end > 0) {
            rc = end;
            break;
        }
        if (AddRow(&c, from, to, scan)) {
            rc = 1;
            break;
        }
        if (end < 0)
            break;
    }
    int last = (head.Control & MQCFC_LAST) != 0;
    if (copy)
        CSFreeMem(copy);
    if (rc || !last)
        return rc;
    if (FirstActionIs(dialog, MQCMD_INQUIRE_CHLAUTH_RECS))
        SortListArea(dialog, request, request->filling);
    PCFPostListArea(dialog, request);
    return 0;
}

int PCFListPartDone(PCFLISTREQ *request)
{
    CSLockGlobal(CSLOCK_DIALOGS);
    int due = request->parts > 1;
    if (request->parts)
        request->parts--;
    CSUnlockGlobal(CSLOCK_DIALOGS);
    return due;
}

void PCFPostListArea(DialogWords *dialog, PCFLISTREQ *request)
{
    if (!request || PCFListPartDone(request))
        return;
    request->state &= ~PCFLR_OUTSTANDING;
    PCFLISTAREA *area = request->filling;
    if (!area) {
        if (request->highestSeen < request->sequence)
            request->highestSeen = request->sequence;
        return;
    }
    request->filling = nullptr;
    request->waiting = 0;
    request->sizeHint = area->used + 1024;
    PCFDumpListArea(dialog && dialog->definition ? dialog->definition->title : "", area);
    /* the window owns the area from here; one that is gone releases it */
    if (!dialog || !PCFPost(dialog->window, UM_PCF_UPDATE_LIST, (uintptr_t)request, (intptr_t)area))
        ReleaseRefBlock(&area);
}

void PCFTakeListArea(DialogWords *dialog, PCFLISTREQ *request, PCFLISTAREA *area)
{
    (void)dialog;
    if (!request) {
        ReleaseRefBlock(&area);
        return;
    }
    ReleaseRefBlock(&request->replyArea);
    request->replyArea = area;
    if (request->highestSeen < area->sequence)
        request->highestSeen = area->sequence;
}
