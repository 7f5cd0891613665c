/* Stand-in for the profile's export of named filters to the shared
 * filter file, until the profile's own lands: the "FLK:" section of the
 * local filters marked exportable and every shared one, each name once
 * (the local entry where both lists hold it). */
#include "filters.h"
#include "prfdata.h"
#include "cs.h"

#include <cstdio>
#include <cstring>

/* A text in double quotes, "~" before each double quote and "~". */
static void Quoted(FILE *f, const char *text)
{
    fputc('"', f);
    for (const char *p = text; *p; p++) {
        if (p[0] == '\r' && p[1] == '\n')
            continue;
        if (*p == '"' || *p == '~')
            fputc('~', f);
        fputc(*p, f);
    }
    fputc('"', f);
}

static const FILKEY *Exported(CSTREE *e, int local)
{
    for (; e; e = e->next)
        if (!local || (((const FILKEY *)e)->flags & FILKEY_SHARED))
            return (const FILKEY *)e;
    return nullptr;
}

int PrfExportFilters(char *message)
{
    FILE *file = Prf.sffile[0] ? fopen(Prf.sffile, "wb") : nullptr;
    if (!file) {
        snprintf(message, 400, "Can not open file '%s'", Prf.sffile);
        return 0;
    }
    fputs("FLK:\n", file);
    const FILKEY *a = Exported(CSTreeFirst(FltLocalFilters), 1);
    const FILKEY *b = Exported(CSTreeFirst(FltSharedFilters), 0);
    int count = 0;
    while (a || b) {
        int c = !a ? 1 : !b ? -1 : memcmp(a->name, b->name, FILKEY_NAME);
        const FILKEY *take = c <= 0 ? a : b;
        fputs("  n =", file);
        Quoted(file, take->name);
        fputc('\n', file);
        if (take->flags & FILKEY_SHARED)
            fputs("  shr\n", file);
        fputs("  v =", file);
        Quoted(file, take->text ? take->text : "");
        fputc('\n', file);
        count++;
        if (c <= 0)
            a = Exported(a->tree.next, 1);
        if (c >= 0)
            b = Exported(b->tree.next, 0);
    }
    int bad = ferror(file);
    if (fclose(file) != 0 || bad) {
        snprintf(message, 400, "Can not write to file '%s'", Prf.sffile);
        return 0;
    }
    snprintf(message, 400, "%d filters exported to '%s'", count, Prf.sffile);
    return count;
}
