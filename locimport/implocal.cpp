/* Import of the local installation's queue managers: their names from
 * mqs.ini in the IBM MQ data directory, else from the installation's
 * registry keys; those without a location form the local import list. */
#include "impint.h"
#include "cs.h"

#include <cstring>
#include <strings.h>

#define LINE_SIZE 500
#define TOKEN_SIZE 500

/* The next token of an ini line: blanks, tabs, line ends and "=" separate
 * tokens and "=" is one of its own.  Its length; 0 at the line's end. */
static int ini_next_token(const char **p, char *token)
{
    while (**p == ' ' || **p == '\t' || **p == '\r' || **p == '\n')
        (*p)++;
    int n = 0;
    if (**p == '=') {
        token[n++] = *(*p)++;
    } else {
        while (**p && !strchr(" \t\r\n=", **p) && n < TOKEN_SIZE - 1)
            token[n++] = *(*p)++;
    }
    token[n] = 0;
    return n;
}

void ImportReadMqsIni(FILE *file, void (*name)(void *ctx, const char *qm), void *context)
{
    char line[LINE_SIZE], first[TOKEN_SIZE], second[TOKEN_SIZE], third[TOKEN_SIZE];
    int inQueueManager = 0;
    while (fgets(line, sizeof line, file)) {
        const char *p = line;
        while (*p == ' ' || *p == '\t')
            p++;
        if (*p == '#' || *p == ';')
            continue;
        int n = ini_next_token(&p, first);
        if (!n)
            continue;
        if (!strcasecmp(first, "QueueManager:")) {
            inQueueManager = 1;
            continue;
        }
        if (first[n - 1] == ':') {     /* another stanza */
            inQueueManager = 0;
            continue;
        }
        if (inQueueManager && !strcasecmp(first, "Name") && ini_next_token(&p, second) == 1 &&
            ini_next_token(&p, third)) {
            name(context, third);
            inQueueManager = 0;
        }
    }
}

/* Adds a name to the list unless a location has it. */
static void add_local(void *context, const char *qm)
{
    IMPORTLIST *list = (IMPORTLIST *)context;
    char name[QMS_NAME + 1];
    UTStrCopy(name, qm, sizeof name);
    if (LocFind(name))
        return;
    IMPORTENTRY *e = ImportNewEntry(list, name);
    if (!e)
        return;
    IMPORTENTRY **tail = &list->entries;
    while (*tail)
        tail = &(*tail)->next;
    *tail = e;
}

IMPORTLIST *ImportFindLocalQMgrs(void)
{
    IMPORTLIST *list = ImportListCreate(IMP_LOCAL);
    if (!list)
        return nullptr;
    char data[300], path[320];
    FILE *f = nullptr;
    if (GetMQDataPath(data)) {
        snprintf(path, sizeof path, "%s%smqs.ini", data,
                 CSIsPathSep(data[strlen(data) - 1]) ? "" : CSPathSepString);
        f = fopen(path, "rb");
    }
    if (f) {
        ImportReadMqsIni(f, add_local, list);
        fclose(f);
    } else {
        ImportHostRegistryQMgrs(add_local, list);
    }
    if (!list->entries) {
        ImportListFree(list);
        return nullptr;
    }
    return list;
}

void ImportLocalQMgrs(int interactive)
{
    IMPORTLIST *list = ImportFindLocalQMgrs();
    if (list)
        ImportPostLocal(list);
    else if (interactive)
        ImportBox(nullptr, "No additional local Queue Managers found", "Ravolt Queue Manager Import", 0);
}
