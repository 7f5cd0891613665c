/* What the imports share: the window record and its candidate entries,
 * the exists and selectable marks, the "QM Group" preset, the building of
 * a location from an entry and the import of the selected rows of a
 * local, channel-table or MQ Explorer window. */
#include "locimport.h"
#include "impint.h"
#include "cs.h"
#include "dialogs.h"

#include <cstring>

static IMPORTHOOKS hooks;

void ImportSetHooks(const IMPORTHOOKS *h)
{
    if (h)
        hooks = *h;
    else
        memset(&hooks, 0, sizeof hooks);
}

const IMPORTHOOKS *ImportHooks(void)
{
    return &hooks;
}

void ImportBox(IMPORTLIST *list, const char *text, const char *caption, int error)
{
    void *owner = list ? list->window : nullptr;
    if (hooks.box)
        hooks.box(hooks.context, owner, text, caption, error);
    else
        ImportHostBox(owner, text, caption, error);
}

void ImportPostLocal(IMPORTLIST *list)
{
    if (hooks.postLocal)
        hooks.postLocal(hooks.context, list);
    else
        ImportHostPostLocal(list);
}

void ImportSettingsEvent(QMS *location, int event)
{
    if (hooks.settings)
        hooks.settings(hooks.context, location, event);
    else
        ImportHostSettings(location, event);
}

/* ---- records and entries ------------------------------------------------------ */

IMPORTLIST *ImportListCreate(uint32_t kind)
{
    IMPORTLIST *list = (IMPORTLIST *)CSGetMem(sizeof(IMPORTLIST), "IMPORTQMLIST");
    if (list) {
        memset(list, 0, sizeof *list);
        list->kind = kind;
    }
    return list;
}

void ImportFreeEntries(IMPORTLIST *list)
{
    while (list->entries) {
        IMPORTENTRY *e = list->entries;
        list->entries = e->next;
        CSFreeMem(e);
    }
}

void ImportListFree(IMPORTLIST *list)
{
    if (!list)
        return;
    ImportFreeEntries(list);
    ImportEmptyTree(&list->fileTree);
    CSFreeMem(list);
}

IMPORTENTRY *ImportNewEntry(IMPORTLIST *list, const char *qmName)
{
    const char *tag = (list->kind & IMP_LOCAL) ? "IMPORTQM"
                      : (list->kind & IMP_CONFIG) ? "IMPORTTK47" : "IMPORTCCDT";
    IMPORTENTRY *e = (IMPORTENTRY *)CSGetMem(sizeof(IMPORTENTRY), tag);
    if (!e)
        return nullptr;
    memset(e, 0, sizeof *e);
    UTStrCopy(e->qmName, qmName, sizeof e->qmName);
    e->selectable = 1;
    return e;
}

/* A location of the program's tree with this queue-manager name. */
static int name_defined(const char *qmName)
{
    return LocFind(qmName) != nullptr;
}

void ImportMarkEntries(IMPORTLIST *list)
{
    for (IMPORTENTRY *e = list->entries; e; e = e->next) {
        e->exists = name_defined(e->qmName);
        e->selectable = !e->exists;
    }
}

int ImportEntryShown(const IMPORTLIST *list, const IMPORTENTRY *e, int hide)
{
    return !e->exists || (!(list->kind & IMP_LOCAL) && !hide);
}

/* ---- the "QM Group" preset -------------------------------------------------------- */

struct GROUPCOUNT {
    char names[2][QMS_NAME + 1];
    int counts[2];
    int distinct;
};

static void count_group(QMS *r, void *context)
{
    GROUPCOUNT *g = (GROUPCOUNT *)context;
    if ((r->flags & LF_CLIENT) || !r->groupName[0])
        return;
    for (int i = 0; i < g->distinct && i < 2; i++)
        if (strcmp(g->names[i], r->groupName) == 0) {
            g->counts[i]++;
            return;
        }
    if (g->distinct < 2) {
        strcpy(g->names[g->distinct], r->groupName);
        g->counts[g->distinct] = 1;
    }
    g->distinct++;
}

void ImportPresetGroup(char *group)
{
    GROUPCOUNT g;
    memset(&g, 0, sizeof g);
    LocLockStore();
    LocForEach(LocTree, count_group, &g);
    LocUnlockStore();
    group[0] = 0;
    if (g.distinct == 1)
        strcpy(group, g.names[0]);
    else if (g.distinct == 2)
        strcpy(group, g.names[g.counts[0] > g.counts[1] ? 0 : 1]);
}

/* ---- building a location ------------------------------------------------------------ */

static void copy_name(char *field, const char *text)
{
    UTStrCopy(field, text, QMS_NAME + 1);
}

/* The channel record of an MQ Explorer entry: the default client channel
 * with what the entry gives. */
static void explorer_channel(const IMPORTENTRY *e, CHLDEF *c)
{
    ChlSetDefaults(c);
    c->cd.ChannelType = 6;
    c->cd.TransportType = 2;
    struct { MQCHAR *field; size_t width; const char *text; } texts[] = {
        { c->cd.ChannelName, sizeof c->cd.ChannelName, e->channel },
        { c->cd.ConnectionName, sizeof c->cd.ConnectionName, e->connection },
        { c->cd.SecurityExit, sizeof c->cd.SecurityExit, e->securityExit },
        { c->cd.SecurityUserData, sizeof c->cd.SecurityUserData, e->securityData },
        { c->cd.SSLCipherSpec, sizeof c->cd.SSLCipherSpec, e->cipher },
    };
    for (auto &t : texts) {
        if (!t.text[0])
            continue;
        size_t n = strnlen(t.text, t.width);   /* cut to the field */
        memset(t.field, ' ', t.width);
        memcpy(t.field, t.text, n);
    }
    if (e->peerName[0]) {
        /* lent for the conversion; the entry keeps the text */
        c->cd.SSLPeerNamePtr = (MQPTR)e->peerName;
        c->cd.SSLPeerNameLength = (MQLONG)strlen(e->peerName);
    }
}

QMS *ImportCreateLocation(IMPORTLIST *list, IMPORTENTRY *e, const CHLDEF *channel,
                          const char *group, const char *names)
{
    QMS t;
    InitLocationDefaults(&t);
    copy_name(t.qmName, e->qmName);
    UTStrCopy(t.locationName, e->qmName, sizeof t.locationName);
    copy_name(t.groupName, (e->group[0] && (list->kind & IMP_SETGROUP)) ? e->group : group);
    const char *nn = (e->networkNames[0] && (list->kind & IMP_SETNAMES)) ? e->networkNames : names;
    if (nn && nn[0])
        LocSetSharedText(&t, nn);
    CHLDEF explorer;
    if (list->kind & IMP_MQEX) {
        t.flags |= LF_CLIENT;
        explorer_channel(e, &explorer);
        channel = e->ccdt[0] ? nullptr : &explorer;
        if (e->viaConnection && e->viaQm[0]) {
            copy_name(t.viaQm, e->viaQm);
            t.replyModel[0] = 0;
        }
        if (e->autoReconnect)
            t.flags |= LF_AUTO;
        if (e->userId[0]) {
            t.flags |= LF_USRP;
            size_t n = strlen(e->userId) + 1;
            t.userId = (char *)CSGetMem(n, "USR");
            if (t.userId)
                memcpy(t.userId, e->userId, n);
        }
    }
    if (channel)
        t.flags |= LF_CLIENT;
    if (e->platform) {
        t.platform = e->platform;
        if (e->platform == 1) {
            t.flags |= LF_MVS;
            strcpy(t.commandQueue, "SYSTEM.COMMAND.INPUT");
        }
    }
    if (e->commandLevel)
        t.commandLevel = e->commandLevel;
    QMS *r = nullptr;
    if (channel && !(t.clientSettings = ImportClientSettings(channel))) {
        LocFreeRecordData(&t);
        return nullptr;
    }
    if (!(r = LocCreate(&LocTree, &t, 0))) {
        if (t.clientSettings)
            PCFFreeData(&PCFClientChannelDef, (uint8_t *)t.clientSettings, 1);
        t.clientSettings = nullptr;
        LocFreeRecordData(&t);
    }
    return r;
}

/* ---- importing rows ----------------------------------------------------------------- */

static const char *result_caption(uint32_t kind)
{
    if (kind & IMP_LOCAL)
        return "Local QMgr Import Result";
    if (kind & IMP_CCDT)
        return "CCDT Import Result";
    if (kind & IMP_MQEX)
        return "MQ Explorer Import Result";
    return "Import Result";
}

void ImportResultBox(IMPORTLIST *list, int selected, int made, const char *caption)
{
    char text[80];
    if (!selected)
        strcpy(text, "No locations selected");
    else if (made == 1)
        strcpy(text, "Location imported");
    else
        snprintf(text, sizeof text, "%d locations imported", made);
    ImportBox(list, text, caption, 0);
}

int ImportEntries(IMPORTLIST *list, IMPORTENTRY **rows, int count, const char *group,
                  const char *names, int mvs)
{
    if (count == 0) {
        ImportResultBox(list, 0, 0, result_caption(list->kind));
        return 0;
    }
    CCDTSESSION table;
    int ccdt = (list->kind & IMP_CCDT) != 0;
    if (ccdt && !ImportCcdtOpen(list, &table))
        return 0;
    int loading = LocGlobals.loadingConfig;
    LocGlobals.loadingConfig = 1;
    int made = 0;
    for (int i = 0; i < count; i++) {
        IMPORTENTRY *e = rows[i];
        CHLDEF *channel = nullptr;
        if (ccdt) {
            if (!(channel = ImportCcdtFind(&table, e)))
                continue;              /* not found again or damaged exits */
            e->platform = mvs ? 1 : 0;
        }
        QMS *r = ImportCreateLocation(list, e, channel, group, names);
        if (channel)
            FreeChannelDef(channel, 0);
        if (r) {
            e->exists = 1;
            made++;
        }
    }
    LocGlobals.loadingConfig = loading;
    if (ccdt)
        ImportCcdtClose(&table);
    ImportResultBox(list, count, made, result_caption(list->kind));
    if (made)
        CfgBroadcastChange();
    return made;
}
