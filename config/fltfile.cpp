/* Filters in configuration files: the "FLK:" section of the profile and of
 * the shared filter file, reading the shared file and exporting to it. */
#include "prfsect.h"
#include "prfdata.h"
#include "cfghost.h"
#include "cs.h"

#include <cstring>

void (*PrfPostText)(const char *text, uintptr_t value);

static void post_text(const char *format, const char *file)
{
    char text[400];
    snprintf(text, sizeof text, format, file);
    if (PrfPostText)
        PrfPostText(text, 48);
}

int PrfReadFilters(PRFIN *in, int selector, char *token)
{
    char name[FILKEY_NAME] = "";
    int shared = 0;
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, 0, token);
        if ((len == 0 && !q) || PrfIsSectionTag(token, len, q))
            return len;
        if (q)
            continue;
        if (!strcmp(token, "n")) {
            PrfGetString(in, name, sizeof name, token);
            for (char *p = name; *p; p++)
                if (*p == ' ')
                    *p = '_';
            shared = 0;
        } else if (!strcmp(token, "shr")) {
            shared = 1;
        } else if (!strcmp(token, "v")) {
            len = PrfPeekToken(in, &q, token);
            if (len == 1 && !q && token[0] == '=') {
                PrfGetToken(in, &q, 0, token);
                len = PrfPeekToken(in, &q, token);
            }
            if ((len == 0 && !q) || PrfIsSectionTag(token, len, q))
                return PrfGetToken(in, &q, 0, token);
            FILKEY entry;
            memset(&entry, 0, sizeof entry);
            uint32_t capacity = 0;
            if (PrfGetStringArea(in, &entry.text, &capacity, 1) < 0)
                return PrfGetToken(in, &q, 0, token);
            entry.flags = shared ? FILKEY_SHARED : 0;
            /* a filter is kept by its name, and one without a name or text
               is never written: told, not dropped in silence */
            if (name[0] && PrfTextSet(entry.text)) {
                FltAddFilter(name, selector, &entry, nullptr);
            } else {
                char text[300];
                snprintf(text, sizeof text, "A filter without a %s at line %d of '%%s' is not read",
                         name[0] ? "text" : "name", PrfLineNumber(in));
                post_text(text, selector ? ConfigFile : Prf.sffile);
            }
            CSFreeMem(entry.text);
        }
    }
}

void PrfWriteFilter(PRFOUT *out, const FILKEY *f)
{
    if (PrfTextSet(f->name)) {
        PrfOutText(out, "  n =");
        PrfPutQuoted(out, f->name, PRF_WHOLE);
        PrfOutChar(out, '\n');
    }
    if (f->flags & FILKEY_SHARED)
        PrfOutText(out, "  shr\n");
    if (PrfTextSet(f->text)) {
        PrfOutText(out, "  v =");
        PrfPutStringArea(out, f->text, 0);
        PrfOutChar(out, '\n');
    }
}

void PrfWriteFilters(PRFOUT *out)
{
    if (!CSTreeFirst(FltLocalFilters))        /* an empty section would read back as none */
        return;
    PrfOutText(out, "FLK:\n");
    for (CSTREE *e = CSTreeFirst(FltLocalFilters); e; e = e->next)
        PrfWriteFilter(out, (const FILKEY *)e);
}

void PrfReadSharedFilters(void)
{
    if (!Prf.sffile[0])
        return;
    PRFIN in;
    if (PrfOpenFile(&in, Prf.sffile) != 0) {
        post_text("Can not open shared filter file '%s'", Prf.sffile);
        return;
    }
    char token[PRF_TOKEN_SIZE];
    uint32_t q;
    int found = 0;
    for (;;) {
        int len = PrfGetToken(&in, &q, 0, token);
        if (len == 0 && !q)
            break;
        if (!q && !strcmp(token, "FLK:")) {
            found = 1;
            PrfReadFilters(&in, 0, token);
            break;
        }
    }
    PrfClose(&in);
    if (!found)
        post_text("Shared filter file '%s' does not appear to be in the correct format",
                  Prf.sffile);
}

/* The next entry of a list that takes part in an export: every shared
 * entry, a local one only when it is marked shared. */
static const FILKEY *exported(CSTREE *e, int local)
{
    for (; e; e = e->next)
        if (!local || (((const FILKEY *)e)->flags & FILKEY_SHARED))
            return (const FILKEY *)e;
    return nullptr;
}

int PrfExportFilters(char *message)
{
    FILE *file = fopen(Prf.sffile, "wb");
    if (!file) {
        snprintf(message, 400, "Can not open file '%s'", Prf.sffile);
        return 0;
    }
    PRFOUT o, *out = &o;
    PrfOutOpenBinary(out, file);
    PrfOutText(out, "FLK:\n");
    const FILKEY *a = exported(CSTreeFirst(FltLocalFilters), 1);
    const FILKEY *b = exported(CSTreeFirst(FltSharedFilters), 0);
    int count = 0;
    while (a || b) {
        int c = !a ? 1 : !b ? -1 : memcmp(a->name, b->name, FILKEY_NAME);
        const FILKEY *take = c <= 0 ? a : b;
        PrfWriteFilter(out, take);
        count++;
        if (c <= 0)
            a = exported(a->tree.next, 1);
        if (c >= 0)
            b = exported(b->tree.next, 0);
    }
    int bad = PrfOutClose(out) != 0 || ferror(file);
    if (fclose(file) != 0 || bad) {
        snprintf(message, 400, "Can not write to file '%s'", Prf.sffile);
        return 0;
    }
    snprintf(message, 400, "%d filters exported to '%s'", count, Prf.sffile);
    return count;
}
