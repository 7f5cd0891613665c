/* Stand-in for the command engine's RunUserCommand until it lands: the
 * template expanded ("%l" the location, "%m" its queue manager, "%o" the
 * row's object name, any other "%c" the character c) into at most 499
 * characters and run as a command line. */
#include "filters.h"
#include "qms.h"
#include "cs.h"

#include <cstring>

/* The row's first object-name value (field type 5), or null. */
static const char *RowObject(DialogWords *dialog, PCFROW *row, uint32_t *length)
{
    PCFLISTAREA *area = dialog ? FltDialogArea(dialog) : nullptr;
    if (!area || !row)
        return nullptr;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *rec = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        if (parts.columns[i].field->type == PCFT_NAME && (PCFState(rec) & PCFS_PRESENT)) {
            *length = PCFListLength(rec);
            return (const char *)rec + PCFLV_TEXT;
        }
        rec = PCFNextValue(rec, parts.columns[i].field);
    }
    return nullptr;
}

int RunUserCommand(QMS *location, DialogWords *dialog, PCFROW *row, const char *templ,
                   char **errorText)
{
    char line[500];
    size_t n = 0;
    if (row && row->request && row->request->location)
        location = row->request->location;
    auto put = [&](const char *s, size_t len) {
        if (n + len > sizeof line - 1)
            len = sizeof line - 1 - n;
        memcpy(line + n, s, len);
        n += len;
    };
    for (const char *p = templ; *p; p++) {
        if (*p != '%' || !p[1]) {
            put(p, 1);
            continue;
        }
        char c = *++p;
        uint32_t len = 0;
        const char *obj;
        if (c == 'l' && location)
            put(location->locationName, strlen(location->locationName));
        else if (c == 'm' && location)
            put(location->qmName, strlen(location->qmName));
        else if (c == 'o' && dialog && (obj = RowObject(dialog, row, &len)) != nullptr)
            put(obj, len);
        else if (c != 'l' && c != 'm' && c != 'o')
            put(&c, 1);
    }
    line[n] = 0;
    return CSRunCommand(line, CSRUN_HIDDEN, nullptr, errorText) ? 0 : 1;
}
