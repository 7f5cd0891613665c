/* Stand-in for the command definitions: the few definitions and fields
 * the saved dialogs and the column lists are tried with, until the
 * definitions library answers the calls of cfgdefs.h. */
#include "cfgdefs.h"
#include "cs.h"

#include <cstring>

struct SIFIELD {
    int32_t attribute;
    uint32_t type;
    uint16_t cap;                      /* capability flag needed, 0: none */
};

struct SIDEF {
    const char *title;
    uint32_t flags;
    const SIFIELD *fields;
    int fieldCount;
    const DLGCOLUMN *defaults;
    DLGCOLUMN *current;                /* null: the default list */
};

static const SIFIELD queueFields[] = {
    { 2016, 4, 0 }, { 20, 3, 0 }, { 3, 1, 0 }, { 15, 1, 0 }, { 2013, 4, 0 },
    { 2002, 4, 0 }, { 2027, 4, 0 }, { 12, 3, 0 }, { 2016, 6, 0 }, { 4000, 6, 0 },
    { 2040, 4, 19 },
};
static const SIFIELD messageFields[] = {
    { 10033, 1, 0 }, { 10019, 25, 0 }, { 10027, 4, 0 }, { 10028, 4, 0 },
    { 10016, 4, 0 }, { 10035, 1, 0 }, { 10034, 23, 0 },
};
static const SIFIELD consoleFields[] = {
    { 10086, 4, 0 }, { 10087, 4, 0 }, { 10089, 4, 0 },
};

#define QF(i) ((const void *)&queueFields[i])
#define MF(i) ((const void *)&messageFields[i])
#define CF(i) ((const void *)&consoleFields[i])
static const DLGCOLUMN queueDefaults[] = {
    { QF(0), 0x14 }, { QF(1), 0x10 }, { QF(2), 0x40 }, { QF(3), 0 }, { QF(4), 0x200 },
    { nullptr, 0 },
};
static const DLGCOLUMN messageDefaults[] = {
    { MF(0), 0x14 }, { MF(2), 0 }, { MF(3), 0 }, { MF(4), 0x10 }, { MF(5), 0 },
    { nullptr, 0 },
};
static const DLGCOLUMN consoleDefaults[] = {
    { CF(0), 0x10 }, { CF(1), 0x10 }, { CF(2), 0 }, { nullptr, 0 },
};

static SIDEF firstList[] = {
    { "Queue List", 0, queueFields, 11, queueDefaults, nullptr },
    { "Message List", 0, messageFields, 7, messageDefaults, nullptr },
};
static SIDEF secondList[] = {
    { "Event Console", 0x20, consoleFields, 3, consoleDefaults, nullptr },
};

const void *DefAt(int list, int index)
{
    if (list == 0 && index >= 0 && index < 2)
        return &firstList[index];
    if (list == 1 && index == 0)
        return &secondList[0];
    return nullptr;
}

const void *DefFindCommand(const char *title)
{
    for (int list = 0; list < 2; list++)
        for (int i = 0; const void *d = DefAt(list, i); i++)
            if (strcmp(((const SIDEF *)d)->title, title) == 0)
                return d;
    return nullptr;
}

const char *DefTitle(const void *def) { return ((const SIDEF *)def)->title; }
uint32_t DefFlags(const void *def) { return ((const SIDEF *)def)->flags; }

const void *DefFindField(const void *def, int32_t attribute, const uint8_t *caps)
{
    const SIDEF *d = (const SIDEF *)def;
    for (int i = 0; i < d->fieldCount; i++) {
        const SIFIELD *f = &d->fields[i];
        if (f->attribute == attribute && (!caps || !f->cap || caps[f->cap]))
            return f;
    }
    return nullptr;
}

int32_t DefFieldAttribute(const void *field) { return ((const SIFIELD *)field)->attribute; }
uint32_t DefFieldType(const void *field) { return ((const SIFIELD *)field)->type; }
const DLGCOLUMN *DefDefaultColumns(const void *def) { return ((const SIDEF *)def)->defaults; }

const DLGCOLUMN *DefCurrentColumns(const void *def)
{
    const SIDEF *d = (const SIDEF *)def;
    return d->current ? d->current : d->defaults;
}

void DefSetColumns(const void *def, DLGCOLUMN *columns)
{
    SIDEF *d = (SIDEF *)def;
    if (d->current && d->current != columns)
        CSFreeMem(d->current);
    d->current = columns;
}
