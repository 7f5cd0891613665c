/* User command templates ("%l", "%m", "%o") expanded and run, and the
 * value of a list row's column that they and the row commands read. */
#include "cmdint.h"

#include "cs.h"

int CmdRowValue(PCFROW *row, uint32_t attrId, char *text, size_t size, int32_t *integer)
{
    PCFLISTAREA *area = row && row->request ? row->request->replyArea : nullptr;
    if (!area || !size)
        return 0;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    uint8_t *v = (uint8_t *)row + PCFLA_ROWHEADER;
    for (int i = 0; i < area->columns && parts.columns[i].field; i++) {
        const PCFFieldDef *f = parts.columns[i].field;
        if ((attrId ? f->attrId == attrId : f->type == PCFT_NAME) && (PCFState(v) & PCFS_PRESENT)) {
            text[0] = 0;
            if (PCFEmptyValueLength(f->type) == 14) {
                if (integer)
                    *integer = PCFListInt(v);
                snprintf(text, size, "%d", (int)PCFListInt(v));
            } else if (PCFIsTextType(f->type)) {
                size_t n = PCFListLength(v);
                if (n >= size)
                    n = size - 1;
                memcpy(text, v + PCFLV_TEXT, n);
                text[n] = 0;
            }
            return 1;
        }
        v = PCFNextValue(v, f);
    }
    return 0;
}

void ExpandUserCommand(QMS *location, DialogWords *d, PCFROW *row, const char *templ, char *out)
{
    char object[500] = "";
    if (row) {
        if (row->request && row->request->location)
            location = row->request->location;
        if (d)
            CmdRowValue(row, 0, object, sizeof object, nullptr);
    }
    size_t n = 0;
    for (const char *p = templ ? templ : ""; *p && n < 499; p++) {
        if (*p != '%') {
            out[n++] = *p;
            continue;
        }
        if (!*++p)
            break;
        const char *insert = nullptr;
        char one[2] = { *p, 0 };
        switch (*p) {
        case 'l': insert = location ? location->locationName : ""; break;
        case 'm': insert = location ? location->qmName : ""; break;
        case 'o': insert = object; break;
        default: insert = one; break;
        }
        for (; *insert && n < 499; insert++)
            out[n++] = *insert;
    }
    out[n] = 0;
}

int RunUserCommand(QMS *location, DialogWords *d, PCFROW *row, const char *templ, char **errorText)
{
    char line[500];
    ExpandUserCommand(location, d, row, templ, line);
    return CSRunCommand(line, CSRUN_HIDDEN, nullptr, errorText);
}
