/* Import from a client channel definition table: the table's kind, "Read
 * CCDT" filling the list from a binary or JSON table, the default table
 * path, and the table opened again to import the selected rows. */
#include "impint.h"
#include "cs.h"

#include <cstdlib>
#include <cstring>

#define ERROR_CAPTION "CCDT Import Error"
#define GATHER_LIMIT  8000             /* characters of reader messages shown */

int ImportCcdtIsJson(const char *spec)
{
    if (UTMemFindNoCase(spec, (int)strlen(spec), ".json", 5))
        return 1;
    FILE *f = fopen(spec, "rb");
    if (!f) {
        char path[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
        if (RchnResolvePath(spec, path, error) == 0)
            f = fopen(path, "rb");
    }
    if (!f)
        return 0;
    int c = fgetc(f);
    fclose(f);
    return c != EOF && c != 'A';
}

void ImportDefaultCcdtPath(char *path)
{
    const char *lib = getenv("MQCHLLIB"), *tab = getenv("MQCHLTAB");
    char dir[300];
    if (lib && lib[0])
        UTStrCopy(dir, lib, sizeof dir);
    else if (!GetMQDataPath(dir))
        strcpy(dir, CSRunningOnWine ? "/" : "c:\\");
    size_t n = strlen(dir);
    char full[IMP_FILE_SIZE + 600];
    snprintf(full, sizeof full, "%s%s%.300s", dir, n && CSIsPathSep(dir[n - 1]) ? "" : CSPathSepString,
             tab && tab[0] ? tab : "AMQCLCHL.TAB");
    UTStrCopy(path, full, IMP_FILE_SIZE);
}

/* ---- the JSON reader's messages, gathered for one box ---------------------- */

struct GATHER {
    CSDATA text;
    int cut;
};

static void gather(void *context, int severity, const char *message)
{
    GATHER *g = (GATHER *)context;
    if (severity == JSON_INFO && g->text.length == 0)
        return;
    if (g->text.length > GATHER_LIMIT) {
        if (!g->cut)
            CSDataAppend(&g->text, "\n\n...", 5, 0);
        g->cut = 1;
        return;
    }
    if (g->text.length)
        CSDataAppend(&g->text, "\n\n", 2, 0);
    CSDataAppend(&g->text, message, strlen(message), 0);
}

/* Shows what was gathered; 1 when there was something. */
static int show_gathered(IMPORTLIST *list, GATHER *g)
{
    int any = g->text.length != 0;
    if (any) {
        CSDataAppend(&g->text, "", 1, 0);
        ImportBox(list, (const char *)g->text.data, ERROR_CAPTION, 1);
    }
    CSDataFree(&g->text);
    return any;
}

static void not_found(IMPORTLIST *list, const char *path)
{
    char text[CHL_PATH_SIZE + 40];
    snprintf(text, sizeof text, "Can not find file '%s'", path);
    ImportBox(list, text, ERROR_CAPTION, 1);
}

/* Opens a table of either kind; 1 with the handle. */
static int open_table(IMPORTLIST *list, char *spec, int json, RCHN **handle, int report)
{
    char error[CHL_ERROR_SIZE];
    int rc = json ? RchnOpenJson(handle, spec, error) : RchnOpen(spec, handle, error);
    if (rc) {
        ImportBox(list, error, ERROR_CAPTION, 1);
        return 0;
    }
    if (!json)
        return 1;
    GATHER g;
    memset(&g, 0, sizeof g);
    int ok = LoadJsonCcdt(report ? gather : nullptr, &g, spec, 1);
    /* a table that is not there says so even without a reader message */
    if (!show_gathered(list, &g) && !ok)
        not_found(list, spec);
    if (!ok) {
        RchnCloseJson(*handle);
        *handle = nullptr;
    }
    return ok;
}

static void close_table(RCHN *handle, int json)
{
    char error[CHL_ERROR_SIZE];
    if (json)
        RchnCloseJson(handle);
    else
        RchnClose(handle, error);
}

static CHLDEF *channel_buffer(IMPORTLIST *list)
{
    CHLDEF *b = (CHLDEF *)CSGetMem(CHL_BUFFER, "CHLBUFFER");
    if (!b)
        ImportBox(list, "Can not allocate channel area", ERROR_CAPTION, 1);
    return b;
}

/* ---- "Read CCDT" ------------------------------------------------------------- */

static void add_channel(IMPORTLIST *list, const CHLDEF *c, int32_t position)
{
    char qm[QMS_NAME + 1];
    if (!UTStrCopyToBlank(qm, c->cd.QMgrName, QMS_NAME, QMS_NAME))
        strcpy(qm, "<Blank>");
    IMPORTENTRY *e = ImportNewEntry(list, qm);
    if (!e)
        return;
    UTStrCopyToBlank(e->channel, c->cd.ChannelName, CHL_NAME, CHL_NAME);
    UTStrCopyToBlank(e->connection, c->cd.ConnectionName, 264, 264);
    e->position = position;
    e->next = list->entries;           /* the list shows the table reversed */
    list->entries = e;
}

void ReadCCDTFile(IMPORTLIST *list)
{
    if (!list->fileName[0]) {
        ImportBox(list, "Please enter a CCDT file name", ERROR_CAPTION, 1);
        return;
    }
    char spec[CHL_PATH_SIZE], error[CHL_ERROR_SIZE];
    UTStrCopy(spec, list->fileName, sizeof spec);
    int json = ImportCcdtIsJson(spec);
    RCHN *h;
    if (!open_table(list, spec, json, &h, 1))
        return;
    CHLDEF *buffer = channel_buffer(list);
    if (!buffer) {
        close_table(h, json);
        return;
    }
    ImportFreeEntries(list);
    UTStrCopy(list->fileName, spec, sizeof list->fileName);
    JSONSEARCH search;
    memset(&search, 0, sizeof search);
    int read = 0;
    for (int first = 1;; first = 0) {
        size_t length = CHL_BUFFER;
        int rc;
        if (json)
            rc = first ? RchnFirstJson(h, &search, &length, buffer)
                       : RchnNextJson(h, &search, &length, buffer);
        else
            rc = first ? RchnFirst(h, buffer, &length, error) : RchnNext(h, buffer, &length, error);
        if (rc == RCHN_END)
            break;
        if (rc && rc != RCHN_TOOLARGE) {
            ImportBox(list, error, ERROR_CAPTION, 1);
            break;
        }
        add_channel(list, buffer, json ? search.current : 0);
        FreeChannelDef(buffer, 0);
        read++;
    }
    close_table(h, json);
    CSFreeMem(buffer);
    ImportMarkEntries(list);
    if (!read)
        ImportBox(list, "The CCDT file is empty", ERROR_CAPTION, 1);
}

/* ---- the table opened again for "Import" ------------------------------------- */

int ImportCcdtOpen(IMPORTLIST *list, CCDTSESSION *s)
{
    char spec[CHL_PATH_SIZE];
    UTStrCopy(spec, list->fileName, sizeof spec);
    memset(s, 0, sizeof *s);
    /* the kind is found as "Read CCDT" found it; a JSON table is read again,
       since the one program-wide list may hold another window's table */
    s->json = ImportCcdtIsJson(spec);
    if (!open_table(list, spec, s->json, &s->handle, 0))
        return 0;
    if (!(s->buffer = channel_buffer(list))) {
        close_table(s->handle, s->json);
        return 0;
    }
    return 1;
}

CHLDEF *ImportCcdtFind(CCDTSESSION *s, const IMPORTENTRY *e)
{
    char error[CHL_ERROR_SIZE];
    size_t length = CHL_BUFFER;
    int rc;
    if (s->json) {
        JSONSEARCH search;
        memset(&search, 0, sizeof search);
        search.position = e->position;
        search.channelPattern = e->channel;
        search.channelLength = (int32_t)strlen(e->channel);
        rc = RchnFindJson(s->handle, &search, &length, s->buffer, error);
    } else {
        rc = RchnFind(s->handle, e->channel, s->buffer, &length, error);
    }
    if (rc)
        return nullptr;
    if (ReadChannelExits(s->buffer, error)) {
        FreeChannelDef(s->buffer, 0);
        return nullptr;
    }
    return s->buffer;
}

void ImportCcdtClose(CCDTSESSION *s)
{
    close_table(s->handle, s->json);
    CSFreeMemAndClear(&s->buffer);
}
