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

const char *ExpRowValue(EXPCTX *c, const PCFFieldDef *f, const uint8_t *r, int textExport,
                        char *buffer, int *number)
{
    (void)c;
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
        return PCFIntValueText(f, PCFListInt(r), buffer, EXP_VALUE, 1);
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
    case PCFT_ENUMLIST: case PCFT_INTLIST: {
        char list[EXP_BUFFER];
        PCFListValueText(r, f, list, sizeof list);
        return Copy(buffer, list, strlen(list));
    }
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
                int n = (int)strlen(ExpRowValue(c, f, v, 1, value, &number));
                if (n > c->widths[i])
                    c->widths[i] = n;
            }
            v = PCFNextValue(v, f);
        }
    }
}

/* Appends text padded (or right-aligned) to a width and one blank. */
static void Cell(char *line, size_t size, const char *text, int width, int right)
{
    size_t n = strlen(line);
    if (n < size)
        snprintf(line + n, size - n, right ? "%*s " : "%-*s ", width, text);
}

/* Appends a separator and a CSV value. */
static void CsvCell(EXPCTX *c, char *line, size_t size, int *first, const char *text, int keep)
{
    char value[2 * EXP_VALUE + 4];
    ExpCsvValue(text, c->separator, keep, value, sizeof value);
    const char sep[2] = { c->separator, 0 };
    size_t n = strlen(line);
    if (n < size)
        snprintf(line + n, size - n, "%s%s", *first ? "" : sep, value);
    *first = 0;
}

void ExpWriteHeadings(EXPCTX *c, PCFLISTAREA *area)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    char *line = c->buffer;
    line[0] = 0;
    int csv = c->run->type == EXP_CSV, first = 1;
    if (c->run->dateTime) {
        if (csv) {
            CsvCell(c, line, EXP_BUFFER, &first, "Date", 0);
            CsvCell(c, line, EXP_BUFFER, &first, "Time", 0);
        } else {
            Cell(line, EXP_BUFFER, "Date", c->dateWidth, 0);
            Cell(line, EXP_BUFFER, "Time    ", 8, 0);
        }
    }
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        if (!ExpShownColumn(&parts.columns[i]))
            continue;
        if (csv) {
            char quoted[EXP_VALUE + 4];
            snprintf(quoted, sizeof quoted, "\"%s\"", f->type == PCFT_BAR ? "   " : ExpColumnTitle(f));
            const char sep[2] = { c->separator, 0 };
            size_t n = strlen(line);
            snprintf(line + n, EXP_BUFFER - n, "%s%s", first ? "" : sep, quoted);
            first = 0;
        } else {
            Cell(line, EXP_BUFFER, ExpColumnTitle(f), c->widths[i], 0);
        }
    }
    UTTrimRight(line, (int)strlen(line));
    ExpLine(c, line, 1);
    if (csv)
        return;
    line[0] = 0;
    if (c->run->dateTime) {
        size_t n = strlen(line);
        memset(line + n, '=', (size_t)c->dateWidth);
        line[n + c->dateWidth] = 0;
        strcat(line, " ======== ");
    }
    for (int i = 0; i < area->columns && i < EXP_MAX_COLUMNS && parts.columns[i].field; i++) {
        if (!ExpShownColumn(&parts.columns[i]))
            continue;
        size_t n = strlen(line);
        if (n + (size_t)c->widths[i] + 2 >= EXP_BUFFER)
            break;
        memset(line + n, '=', (size_t)c->widths[i]);
        line[n + c->widths[i]] = ' ';
        line[n + c->widths[i] + 1] = 0;
    }
    UTTrimRight(line, (int)strlen(line));
    ExpLine(c, line, 1);
}

/* The date and time that begin a row of a dialog showing them. */
static void DateTimeCells(EXPCTX *c, char *line, int *first)
{
    int64_t now = c->run->now ? c->run->now : CSGetCurrentTime();
    FmtDateState s;
    memset(&s, 0, sizeof s);
    TimeToTm(&s, &now);
    char date[40], time[16];
    int day = s.tm.tm_mday, month = s.tm.tm_mon + 1, year = s.tm.tm_year + 1900;
    int a = Prf.edf >= 2 ? month : day, b = Prf.edf >= 2 ? day : month;
    char sep = Prf.eds ? Prf.eds : '/';
    if (Prf.edf == 1 || Prf.edf == 3)
        snprintf(date, sizeof date, "%2.2d%c%2.2d%c%2.2d", a, sep, b, sep, year % 100);
    else
        snprintf(date, sizeof date, "%2.2d%c%2.2d%c%4.4d", a, sep, b, sep, year);
    snprintf(time, sizeof time, "%2.2d:%2.2d:%2.2d", s.tm.tm_hour, s.tm.tm_min, s.tm.tm_sec);
    if (c->run->type == EXP_CSV) {
        CsvCell(c, line, EXP_BUFFER, first, date, 0);
        CsvCell(c, line, EXP_BUFFER, first, time, 0);
    } else {
        snprintf(line, EXP_BUFFER, "%s %s ", date, time);
    }
}

int ExpWriteRow(EXPCTX *c, PCFLISTAREA *area, PCFROW *row, int isDefault)
{
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    char *line = c->buffer, value[EXP_VALUE];
    line[0] = 0;
    int csv = c->run->type == EXP_CSV, first = 1, number;
    int onlyDiff = (c->run->options & EXPO_ONLYDIFF) && !isDefault;
    if (c->run->dateTime)
        DateTimeCells(c, line, &first);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        if (ExpShownColumn(&parts.columns[i])) {
            const char *text = ExpRowValue(c, f, v, !csv, value, &number);
            if (onlyDiff && !(PCFState(v) & PCFS_LISTDIFF) && f->type != PCFT_MARKER)
                text = "";
            if (csv)
                CsvCell(c, line, EXP_BUFFER, &first, text, 0);
            else
                Cell(line, EXP_BUFFER, text, i < EXP_MAX_COLUMNS ? c->widths[i] : 0, number);
        }
        v = PCFNextValue(v, f);
    }
    if (!csv)
        UTTrimRight(line, (int)strlen(line));
    return ExpLine(c, line, 1);
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
        }
        size_t len = rep ? strlen(rep) : 1;
        if (n + len + 1 > size)
            break;
        memcpy(out + n, rep ? rep : t, len);
        n += len;
    }
    out[n] = 0;
}

/* ---- lines ------------------------------------------------------------------------ */

int ExpLine(EXPCTX *c, const char *text, int endLine)
{
    int split = c->run->type == EXP_MQSC && c->run->target->file != nullptr;
    return ExpWriteLine(c->run->target, endLine, split, text, -1);
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
    ExpWriteLine(c->run->target, 1, 0, line, -1);
}
