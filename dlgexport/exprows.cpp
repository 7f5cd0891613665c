/* List rows as text tables and CSV: the shown columns, their titles and
 * widths, the value of a row's column as text, quoting of CSV values and
 * escaping of XML text. */
#include "expint.h"

#include <cstdarg>
#include <cstring>

#include "cs.h"
#include "prfdata.h"

int ExpShownColumn(const PCFLISTENTRY *column)
{
    return column->field && (column->flags & (PCFL_SHOWN | PCFL_EXPORTED)) &&
           column->field->type != PCFT_HEADING;
}

const char *ExpColumnTitle(const PCFFieldDef *f)
{
    if (f->type == PCFT_MARKER || f->type == PCFT_BAR)
        return "";
    return f->shortTitle && *f->shortTitle ? f->shortTitle : f->title ? f->title : "";
}

/* Copies n bytes of text, cut to the value buffer. */
static const char *Copy(char *buffer, const char *text, size_t n)
{
    if (n > EXP_VALUE - 1)
        n = EXP_VALUE - 1;
    memcpy(buffer, text, n);
    buffer[n] = 0;
    return buffer;
}

/* A list value's text: apart, so that its large buffer is not on the
 * stack of every value. */
#ifdef __GNUC__
__attribute__((noinline))
#endif
static const char *ListText(const uint8_t *r, const PCFFieldDef *f, char *buffer)
{
    char list[EXP_BUFFER];
    PCFListValueText(r, f, list, sizeof list);
    return Copy(buffer, list, strlen(list));
}

/* The columns of an area: what was learnt of another area's is dropped. */
static void ColumnsOf(EXPCTX *c, PCFLISTAREA *area)
{
    if (c->groupArea == area)
        return;
    c->groupArea = area;
    memset(c->grouping, 0, sizeof c->grouping);
    memset(c->names, 0, sizeof c->names);
}

/* An integer of a column as PCFIntValueText shows it with separators.
 * Whether the column's numbers are grouped is learnt once, from the
 * text of 1000; the digits are then grouped by its own routine. */
static const char *IntText(EXPCTX *c, int column, const PCFFieldDef *f, int32_t v, char *buffer,
                           size_t *length)
{
    if (column < 0 || column >= EXP_MAX_COLUMNS) {
        PCFIntValueText(f, v, buffer, EXP_VALUE, 1);
        *length = strlen(buffer);
        return buffer;
    }
    if (!c->grouping[column]) {
        char probe[32];
        PCFIntValueText(f, 1000, probe, sizeof probe, 1);
        c->grouping[column] = strcmp(probe, "1000") ? 2 : 1;
    }
    char digits[12];
    int n = ExpDecimal(v, f->type != PCFT_NUMBER && f->type != PCFT_SIGNED, digits);
    if (c->grouping[column] == 1) {
        *length = (size_t)n;
        return (const char *)memcpy(buffer, digits, (size_t)n + 1);
    }
    PCFGroupDigits(buffer, EXP_VALUE, digits);
    *length = strlen(buffer);
    return buffer;
}

/* A row value's text and its length: in the buffer, or in the record
 * itself for a text (then not ended by a NUL). */
static const char *RowText(EXPCTX *c, const PCFFieldDef *f, const uint8_t *r, int textExport,
                           char *buffer, int *number, int column, size_t *length)
{
    const char *t = buffer;
    switch (f->type) {
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
        *number = 0;
        if (!(PCFState(r) & PCFS_PRESENT)) {
            buffer[0] = 0;
            *length = 0;
            return buffer;
        }
        t = (const char *)r + PCFLV_TEXT;
        *length = PCFListLength(r);
        if (*length > EXP_VALUE - 1)
            *length = EXP_VALUE - 1;
        for (size_t k = 0; k < *length; k++)     /* short texts: no call for the end */
            if (!t[k]) {
                *length = k;
                break;
            }
        return t;
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        if ((PCFState(r) & PCFS_PRESENT) && column >= 0 && column < EXP_MAX_COLUMNS) {
            EXPNAME *known = &c->names[column];
            int32_t v = PCFListInt(r);
            if (!known->name || known->value != v) {
                const PCFValueDef *row = PCFFindValue(f->values, v);
                if (!row)
                    break;
                size_t n = strlen(row->name);
                known->name = row->name;
                known->value = v;
                known->length = n < EXP_VALUE - 1 ? n : EXP_VALUE - 1;
            }
            *number = 0;
            *length = known->length;
            return known->name;
        }
        break;
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT: case PCFT_SIGNED:
        if (PCFState(r) & PCFS_PRESENT) {
            *number = 1;
            return IntText(c, column, f, PCFListInt(r), buffer, length);
        }
        break;
    }
    t = ExpRowValue(c, f, r, textExport, buffer, number, column);
    *length = strlen(t);
    return t;
}

const char *ExpRowValue(EXPCTX *c, const PCFFieldDef *f, const uint8_t *r, int textExport,
                        char *buffer, int *number, int column)
{
    size_t length;
    *number = 0;
    buffer[0] = 0;
    uint16_t st = PCFState(r);
    if (f->type == PCFT_MARKER) {
        int32_t v = PCFListInt(r);
        return strcpy(buffer, v == 20 ? "* " : v == 30 ? "> " : v == 40 ? "< " : "  ");
    }
    if (f->type == PCFT_BAR)
        return strcpy(buffer, textExport ? "|" : "");
    if (!(st & PCFS_PRESENT))
        return buffer;
    const char *text = (const char *)r + PCFLV_TEXT;
    uint32_t n = PCFListLength(r);
    switch (f->type) {
    case PCFT_INT: case PCFT_NUMBER: case PCFT_SHOWINT: case PCFT_SIGNED:
        *number = 1;
        return IntText(c, column, f, PCFListInt(r), buffer, &length);
    case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14: {
        const PCFValueDef *row = PCFFindValue(f->values, PCFListInt(r));
        if (row)
            return Copy(buffer, row->name, strlen(row->name));
        *number = 1;
        snprintf(buffer, EXP_VALUE, "%ld", (long)PCFListInt(r));
        return buffer;
    }
    case PCFT_FLAGSET:
        *number = 1;
        snprintf(buffer, EXP_VALUE, "%lu", (unsigned long)(uint32_t)PCFListInt(r));
        return buffer;
    case PCFT_REAL: {
        double d;
        memcpy(&d, r + PCFLV_INT, sizeof d);
        *number = 1;
        snprintf(buffer, EXP_VALUE, "%.2f", d);
        return buffer;
    }
    case PCFT_MULTISTR: {
        char *joined = nullptr;
        uint32_t capacity = 0;
        int length = 0;
        const char *t = PCFMultiStringFormat(r, &joined, &capacity, &length);
        Copy(buffer, t, (size_t)length);
        if (joined)
            CSFreeMem(joined);
        return buffer;
    }
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        return ListText(r, f, buffer);
    case PCFT_HEX: case PCFT_BYTES: case PCFT_WIDEHEX: {
        Copy(buffer, text, n);
        for (char *p = buffer; *p; p++)
            if ((unsigned char)*p < 0x20 || (unsigned char)*p >= 0x7F)
                *p = '.';
        return buffer;
    }
    case PCFT_DATETIME: case PCFT_DATETIME100:
        return Copy(buffer, (const char *)r + 36, n);
    case PCFT_WIDE17:
        return Copy(buffer, text, strnlen(text, 50));
    }
    return Copy(buffer, text, n);
}

/* ---- text columns -------------------------------------------------------------- */

static int ColumnWidth(const PCFFieldDef *f)
{
    if (f->type == PCFT_MARKER)
        return 2;
    if (f->type == PCFT_BAR)
        return 1;
    return (int)strlen(ExpColumnTitle(f));
}

void ExpMeasureColumns(EXPCTX *c, PCFLISTAREA *area, PCFROW **rows, int count)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    ColumnsOf(c, area);
    char value[EXP_VALUE];
    int number;
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS; i++)
        c->widths[i] = ExpShownColumn(&parts.columns[i]) ? ColumnWidth(parts.columns[i].field) : 0;
    for (int k = 0; k < count; k++) {
        uint8_t *v = (uint8_t *)rows[k] + PCFLA_ROWHEADER;
        for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
            const PCFFieldDef *f = parts.columns[i].field;
            if (i < EXP_MAX_COLUMNS && ExpShownColumn(&parts.columns[i]) &&
                f->type != PCFT_MARKER && f->type != PCFT_BAR) {
                size_t length;
                RowText(c, f, v, 1, value, &number, i, &length);
                int n = (int)length;
                if (n > c->widths[i])
                    c->widths[i] = n;
            }
            v = PCFNextValue(v, f);
        }
    }
}

/* A line being built in the run's buffer, its length kept. */
struct LINE {
    char *text;
    size_t used;
};

static void Put(LINE *l, const char *text, size_t n)
{
    if (l->used + n >= EXP_BUFFER)
        n = EXP_BUFFER - 1 - l->used;
    memcpy(l->text + l->used, text, n);
    l->used += n;
    l->text[l->used] = 0;
}

static void Repeat(LINE *l, char c, size_t n)
{
    while (n-- && l->used + 1 < EXP_BUFFER)
        l->text[l->used++] = c;
    l->text[l->used] = 0;
}

/* Appends n characters of text padded (or right-aligned) to a width and
 * one blank. */
static void CellN(LINE *l, const char *text, size_t n, int width, int right)
{
    size_t pad = (size_t)width > n ? (size_t)width - n : 0;
    if (right)
        Repeat(l, ' ', pad);
    Put(l, text, n);
    if (!right)
        Repeat(l, ' ', pad);
    Repeat(l, ' ', 1);
}

static void Cell(LINE *l, const char *text, int width, int right)
{
    CellN(l, text, strlen(text), width, right);
}

/* Appends a separator and a CSV value of n characters, as ExpCsvValue
 * makes it, straight into the line (values are shorter than EXP_VALUE:
 * a longer text is cut there). */
static void CsvCellN(EXPCTX *c, LINE *l, int *first, const char *t, size_t n, int keep)
{
    if (!*first && l->used + 1 < EXP_BUFFER)
        l->text[l->used++] = c->separator;
    *first = 0;
    if (!keep)
        while (n && *t == ' ') {
            t++;
            n--;
        }
    uint8_t *cls = c->csvClass;
    if (!cls[(uint8_t)'"']) {          /* the classes, made once per run */
        cls[(uint8_t)','] = cls[(uint8_t)'\r'] = cls[(uint8_t)'\n'] = 1;
        cls[(uint8_t)c->separator] = 1;
        cls[(uint8_t)'"'] = 3;         /* quoted and doubled */
    }
    if (n > EXP_VALUE - 1)
        n = EXP_VALUE - 1;
    if (!n) {
        Put(l, "\"\"", 2);
        return;
    }
    /* copied as scanned while the line has room: most values need no
       quotes, and a call per value would cost more than the copy */
    uint8_t found = 0;
    char *to = l->text + l->used;
    int room = l->used + n < EXP_BUFFER;
    for (size_t i = 0; i < n; i++) {
        found |= cls[(uint8_t)t[i]];
        if (room)
            to[i] = t[i];
    }
    if (!found) {
        if (room) {
            l->used += n;
            l->text[l->used] = 0;
        } else {
            Put(l, t, n);
        }
        return;
    }
    char value[2 * EXP_VALUE + 4];
    size_t w = 0;
    if (found & 1)
        value[w++] = '"';
    for (size_t i = 0; i < n; i++) {
        if (t[i] == '"')
            value[w++] = '"';
        value[w++] = t[i];
    }
    if (found & 1)
        value[w++] = '"';
    Put(l, value, w);
}

static void CsvCell(EXPCTX *c, LINE *l, int *first, const char *text, int keep)
{
    CsvCellN(c, l, first, text ? text : "", text ? strlen(text) : 0, keep);
}

static void Finish(EXPCTX *c, LINE *l, int trim)
{
    if (trim)
        l->used = (size_t)UTTrimRight(l->text, (int)l->used);
    ExpLineN(c, l->text, l->used, 1);
}

/* A CSV heading: the title in double quotes, after a separator. */
static void CsvTitle(EXPCTX *c, LINE *l, int *first, const char *title)
{
    if (!*first)
        Put(l, &c->separator, 1);
    Put(l, "\"", 1);
    Put(l, title, strlen(title));
    Put(l, "\"", 1);
    *first = 0;
}

void ExpWriteHeadings(EXPCTX *c, PCFLISTAREA *area)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    LINE l = { c->buffer, 0 };
    l.text[0] = 0;
    int csv = c->run->type == EXP_CSV, first = 1;
    if (c->run->dateTime) {
        if (csv) {
            CsvTitle(c, &l, &first, "Date");
            CsvTitle(c, &l, &first, "Time");
        } else {
            Cell(&l, "Date", c->dateWidth, 0);
            Cell(&l, "Time    ", 8, 0);
        }
    }
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        if (!ExpShownColumn(&parts.columns[i]))
            continue;
        if (csv)
            CsvTitle(c, &l, &first, f->type == PCFT_BAR ? "   " : ExpColumnTitle(f));
        else
            Cell(&l, ExpColumnTitle(f), c->widths[i], 0);
    }
    Finish(c, &l, 1);
    if (csv)
        return;
    l.used = 0;
    l.text[0] = 0;
    if (c->run->dateTime) {
        Repeat(&l, '=', (size_t)c->dateWidth);
        Put(&l, " ======== ", 10);
    }
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts.columns[i].field; i++) {
        if (!ExpShownColumn(&parts.columns[i]))
            continue;
        Repeat(&l, '=', (size_t)c->widths[i]);
        Repeat(&l, ' ', 1);
    }
    Finish(c, &l, 1);
}

/* The date and time that begin a row of a dialog showing them. */
static void DateTimeCells(EXPCTX *c, LINE *l, int *first)
{
    int64_t now = c->run->now ? c->run->now : CSGetCurrentTime();
    char date[40], time[16];
    ExpDateText(Prf.edf, Prf.eds, now, date, sizeof date, time, sizeof time);
    if (c->run->type == EXP_CSV) {
        CsvCell(c, l, first, date, 0);
        CsvCell(c, l, first, time, 0);
    } else {
        Put(l, date, strlen(date));
        Put(l, " ", 1);
        Put(l, time, strlen(time));
        Put(l, " ", 1);
    }
}

int ExpWriteRow(EXPCTX *c, PCFLISTAREA *area, PCFROW *row, int isDefault)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    ColumnsOf(c, area);
    char value[EXP_VALUE];
    LINE l = { c->buffer, 0 };
    l.text[0] = 0;
    int csv = c->run->type == EXP_CSV, first = 1, number;
    int onlyDiff = (c->run->options & EXPO_ONLYDIFF) && !isDefault;
    if (c->run->dateTime)
        DateTimeCells(c, &l, &first);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        if (ExpShownColumn(&parts.columns[i])) {
            size_t n;
            const char *text = RowText(c, f, v, !csv, value, &number, i, &n);
            if (onlyDiff && !(PCFState(v) & PCFS_LISTDIFF) && f->type != PCFT_MARKER)
                text = "", n = 0;
            if (csv)
                CsvCellN(c, &l, &first, text, n, 0);
            else
                CellN(&l, text, n, i < EXP_MAX_COLUMNS ? c->widths[i] : 0, number);
        }
        v = PCFNextValue(v, f);
    }
    Finish(c, &l, !csv);
    return c->run->target->error ? -1 : 0;
}

/* ---- quoting --------------------------------------------------------------------- */

void ExpCsvValue(const char *text, char separator, int keepBlanks, char *out, size_t size)
{
    const char *t = text ? text : "";
    if (!keepBlanks)
        while (*t == ' ')
            t++;
    if (!*t) {
        snprintf(out, size, "\"\"");
        return;
    }
    int quote = strpbrk(t, ",\"\r\n") != nullptr || (separator && strchr(t, separator));
    size_t n = 0;
    if (quote && n + 1 < size)
        out[n++] = '"';
    for (; *t && n + 3 < size; t++) {
        if (*t == '"')
            out[n++] = '"';
        out[n++] = *t;
    }
    if (quote && n + 1 < size)
        out[n++] = '"';
    out[n] = 0;
}

void ExpXmlEscape(const char *text, int attribute, char *out, size_t size)
{
    size_t n = 0;
    for (const char *t = text ? text : ""; *t; t++) {
        const char *rep = nullptr;
        switch (*t) {
        case '&': rep = "&amp;"; break;
        case '<': rep = "&lt;"; break;
        case '>': rep = "&gt;"; break;
        case '\'': rep = attribute ? "&apos;" : nullptr; break;
        case '"': rep = attribute ? "&quot;" : nullptr; break;
        /* kept by a reader as they are, not taken as the line's layout */
        case '\t': rep = "&#9;"; break;
        case '\n': rep = "&#10;"; break;
        case '\r': rep = "&#13;"; break;
        }
        size_t len = rep ? strlen(rep) : 1;
        if (n + len + 1 > size)
            break;
        memcpy(out + n, rep ? rep : t, len);
        n += len;
    }
    out[n] = 0;
}

long ExpMqscLength(const char *text)
{
    const unsigned char *t = (const unsigned char *)text;
    long n = 0;
    for (; t[n]; n++)
        if (t[n] < 0x20 && t[n] != '\t')
            return -1;
    return n;
}

int ExpUncarried(const char *text, int xml)
{
    for (const unsigned char *t = (const unsigned char *)(text ? text : ""); *t; t++)
        if (*t < 0x20 && *t != '\t' && !(xml && (*t == '\r' || *t == '\n')))
            return 1;
    return 0;
}

void ExpLeftOut(EXPCTX *c, const char *name)
{
    char shown[64];
    size_t n = 0;
    for (const char *p = name ? name : ""; *p && n < sizeof shown - 1; p++)
        shown[n++] = (unsigned char)*p < 0x20 ? '.' : *p;
    shown[n] = 0;
    EXPORTRUN *run = c->run;
    if (++run->leftOut == 1)
        snprintf(run->warning, sizeof run->warning,
                 "'%s' left out: a value holds a line end or control character that %s can not carry",
                 shown, run->type == EXP_XML ? "XML" : "MQSC");
    else
        snprintf(run->warning, sizeof run->warning,
                 "%d objects left out ('%s' first): values hold line ends or control characters that %s "
                 "can not carry", run->leftOut, shown, run->type == EXP_XML ? "XML" : "MQSC");
}

/* ---- lines ------------------------------------------------------------------------ */

/* Room in a full block: what is not held goes out; an object held from
 * the block's start makes it twice as large (without storage the held
 * lines go out too, and can no longer be dropped). */
static void MakeRoom(EXPCTX *c)
{
    if (c->holding > 0 && c->holdFrom) {
        ExpWriteLine(c->run->target, 0, 0, c->out, (int)c->holdFrom);
        memmove(c->out, c->out + c->holdFrom, c->outUsed - c->holdFrom);
        c->outUsed -= c->holdFrom;
        c->holdFrom = 0;
        return;
    }
    char *larger = c->holding > 0 ? (char *)CSGetMem(2 * c->outSize, "EXPOUT") : nullptr;
    if (!larger) {
        if (c->holding > 0)
            c->holding = -1;           /* lost: the lines went out */
        c->holdFrom = 0;
        ExpFlush(c);
        return;
    }
    memcpy(larger, c->out, c->outUsed);
    CSFreeMem(c->out);
    c->out = larger;
    c->outSize *= 2;
}

/* Appends bytes to the output block, writing it out when full. */
static void OutPut(EXPCTX *c, const char *text, size_t n)
{
    while (n) {
        if (c->outUsed == c->outSize)
            MakeRoom(c);
        size_t room = c->outSize - c->outUsed, k = n < room ? n : room;
        memcpy(c->out + c->outUsed, text, k);
        c->outUsed += k;
        text += k;
        n -= k;
    }
}

int ExpHold(EXPCTX *c)
{
    if (!c->out)
        return 0;
    c->holding = 1;
    c->holdFrom = c->outUsed;
    return 1;
}

int ExpRelease(EXPCTX *c, int keep)
{
    int lost = c->holding < 0;
    if (c->holding > 0 && !keep)
        c->outUsed = c->holdFrom;
    c->holding = 0;
    c->holdFrom = 0;
    return lost ? -1 : 0;
}

int ExpFlush(EXPCTX *c)
{
    if (!c->out || !c->outUsed)
        return c->run->target->error ? -1 : 0;
    int rc = ExpWriteLine(c->run->target, 0, 0, c->out, (int)c->outUsed);
    c->outUsed = 0;
    return rc;
}

/* A line into the block as ExpWriteLine puts it: a long MQSC line of a
 * file in pieces of 70 followed by "-". */
static void OutLine(EXPCTX *c, const char *text, size_t n, int endLine, int split)
{
    if (!c->out) {                     /* no block: straight to the target */
        ExpWriteLine(c->run->target, endLine, split, text, (int)n);
        return;
    }
    if (split && n >= 71) {
        while (n >= 71) {
            OutPut(c, text, 70);
            OutPut(c, "-\r\n", 3);
            text += 70;
            n -= 70;
        }
    }
    if (c->outSize - c->outUsed >= n + 2) {  /* the common case: the line fits whole */
        memcpy(c->out + c->outUsed, text, n);
        c->outUsed += n;
        if (endLine) {
            c->out[c->outUsed++] = '\r';
            c->out[c->outUsed++] = '\n';
        }
        return;
    }
    OutPut(c, text, n);
    if (endLine)
        OutPut(c, "\r\n", 2);
}

int ExpLineN(EXPCTX *c, const char *text, size_t length, int endLine)
{
    int split = c->run->type == EXP_MQSC && c->run->target->file != nullptr;
    OutLine(c, text, length, endLine, split);
    return c->run->target->error ? -1 : 0;
}

int ExpLine(EXPCTX *c, const char *text, int endLine)
{
    return ExpLineN(c, text, strlen(text), endLine);
}

int ExpDecimal(int32_t value, int asUnsigned, char *out)
{
    char *end = asUnsigned ? CSPutUDec(out, (uint32_t)value) : CSPutDec(out, value);
    *end = 0;
    return (int)(end - out);
}

void ExpDebug(EXPCTX *c, const char *format, ...)
{
    if (!c->debug)
        return;
    char line[EXP_BUFFER];
    va_list ap;
    va_start(ap, format);
    vsnprintf(line, sizeof line, format, ap);
    va_end(ap);
    OutLine(c, line, strlen(line), 1, 0);
}
