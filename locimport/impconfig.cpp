/* Import from another configuration file, which also updates: a location
 * of the file that is already defined replaces the defined one's
 * settings.  The same create-or-update step applies the master
 * configuration of "-j" at start-up, and "-J" deletes what the master
 * file does not hold.  Files are read into location trees of their own. */
#include "impint.h"
#include "cfgfile.h"
#include "cs.h"
#include "dialogs.h"

#include <cstring>

#define ERROR_CAPTION "Ravolt Config Import Error"

char ImportMasterPath[300];
int ImportMasterPrune;

/* From the last: each deletion renumbers the locations after it. */
void ImportEmptyTree(CSTREE **tree)
{
    while (*tree)
        LocDelete(tree, (QMS *)CSTreeLast(*tree), nullptr);
}

/* Reads a configuration file into a tree of its own; the program's own
 * configuration status is left as it was (a read of another file must not
 * make an unread configuration count as read). */
static void read_file(const char *path, CSTREE **tree, char *error)
{
    uint32_t status = CfgStatus;
    error[0] = 0;
    CfgFileRead(path, tree, 1, error);
    CfgStatus = status;
}

QMS *ImportFindLocation(const char *qmName, const char *secondName)
{
    if (secondName)
        return LocFindByNames(qmName, secondName);
    QMS *found = nullptr;
    LocLockStore();
    for (CSTREE *e = CSTreeFirst(LocTree); e && !found; e = e->next)
        if (strncmp(((QMS *)e)->qmName, qmName, QMS_NAME) == 0)
            found = (QMS *)e;
    LocUnlockStore();
    return found;
}

/* ---- comparing ---------------------------------------------------------------- */

#define IMPORTED_FLAGS (LF_MVS | LF_CLIENT | LF_AUTO | LF_USRP | LF_USROAM)

int LocDiffers(const QMS *a, const QMS *b)
{
    static const size_t names[] = {
        offsetof(QMS, qmName), offsetof(QMS, groupName), offsetof(QMS, viaQm),
        offsetof(QMS, replyModel), offsetof(QMS, replyPrefix), offsetof(QMS, commandQueue),
        offsetof(QMS, sqName),
    };
    for (size_t off : names)
        if (strcmp((const char *)a + off, (const char *)b + off) != 0)
            return 1;
    return strcmp(a->locationName, b->locationName) != 0 || !StrEqualNull(a->ccdtUrl, b->ccdtUrl) ||
           ((a->flags ^ b->flags) & IMPORTED_FLAGS) != 0 ||
           !StrEqualNull(a->networkNames, b->networkNames) ||
           !PCFCompareData(&PCFClientChannelDef, (const uint8_t *)a->clientSettings,
                           (const uint8_t *)b->clientSettings);
}

/* ---- creating or updating one location --------------------------------------- */

/* A template copy of a location with its own references to every text,
 * without client settings, caches, windows or links. */
static void copy_location(QMS *t, const QMS *f)
{
    memcpy(t, f, sizeof *t);
    const char **shared[] = { &t->clientChannel, &t->networkNames, &t->securityGroup,
                              &t->securityGroupDesc, &t->ccdtUrl };
    for (const char **slot : shared) {
        const char *s = *slot;
        *slot = nullptr;
        CSStringSet(slot, s, -1);
    }
    for (int i = 0; i < QMS_NAMELISTS; i++) {
        t->nameLists[i] = nullptr;
        CSStringSet(&t->nameLists[i], f->nameLists[i], -1);
    }
    for (int i = 0; i < 4; i++) {
        t->iconFile[i] = nullptr;
        CSStringSet(&t->iconFile[i], f->iconFile[i], -1);
        t->iconBitmap[i] = nullptr;
    }
    t->userId = nullptr;
    if (f->userId && (t->userId = (char *)CSGetMem(strlen(f->userId) + 1, "USR")) != nullptr)
        strcpy(t->userId, f->userId);
    t->password = nullptr;
    t->credDialog = nullptr;
    memset(&t->mqscCommands, 0, sizeof t->mqscCommands);
    for (CSLISTELEM *e = f->mqscCommands.first; e; e = e->next)
        CSListAdd(&t->mqscCommands, "MQSCCMD", CSLIST_COPYDATA, e + 1, e->length);
    t->clientSettings = t->clientDialog = nullptr;
    t->lastError = t->placeholder = t->displayName = nullptr;
    t->queueMasks = nullptr;
    t->kdbEntry = t->objectCaches = nullptr;
    t->dialogs = t->evqTree = nullptr;
    t->splashWindow = t->settingsWindow = t->secondWindow = t->openWindow = nullptr;
    t->status &= ~LS_INTREE;
    t->state = 0;
}

static void choose_group_and_names(QMS *r, const QMS *f, const char *group, const char *names)
{
    UTStrCopy(r->groupName, group ? group : f->groupName, sizeof r->groupName);
    LocSetSharedText(r, names ? names : f->networkNames);
}

QMS *ImportLocationFromFile(QMS *f, const char *group, const char *names)
{
    if (group && strcmp(group, IMP_GROUP_TEXT) == 0)
        group = nullptr;
    if (names && strcmp(names, IMP_NAMES_TEXT) == 0)
        names = nullptr;
    QMS *r = ImportFindLocation(f->qmName, f->secondName);
    if (r) {
        UTStrCopy(r->viaQm, f->viaQm, sizeof r->viaQm);
        UTStrCopy(r->locationName, f->locationName, sizeof r->locationName);
        UTStrCopy(r->replyModel, f->replyModel, sizeof r->replyModel);
        UTStrCopy(r->replyPrefix, f->replyPrefix, sizeof r->replyPrefix);
        UTStrCopy(r->commandQueue, f->commandQueue, sizeof r->commandQueue);
        UTStrCopy(r->sqName, f->sqName, sizeof r->sqName);
        CSStringSet(&r->ccdtUrl, f->ccdtUrl, -1);
        r->flags = (r->flags & ~IMPORTED_FLAGS) | (f->flags & IMPORTED_FLAGS);
        choose_group_and_names(r, f, group, names);
    } else {
        QMS t;
        copy_location(&t, f);
        choose_group_and_names(&t, f, group, names);
        if (!(r = LocCreate(&LocTree, &t, 0))) {
            LocFreeRecordData(&t);
            return nullptr;
        }
    }
    if (r->settingsWindow && !f->clientSettings)
        ImportSettingsEvent(r, 0);
    PCFCopyResponseData(&PCFClientChannelDef, (uint8_t **)&r->clientSettings,
                        (const uint8_t *)f->clientSettings);
    if (r->settingsWindow)
        ImportSettingsEvent(r, 1);
    LocSetDefaultLevel(r, 0);
    if (r->settingsWindow)
        ImportSettingsEvent(r, 2);
    return r;
}

/* ---- the import window's file --------------------------------------------------- */

void ReadConfigImportFile(IMPORTLIST *list)
{
    if (!list->fileName[0]) {
        ImportBox(list, "Please enter an Ravolt Configuration file", ERROR_CAPTION, 1);
        return;
    }
    ImportEmptyTree(&list->fileTree);
    char error[CFG_ERROR_TEXT];
    read_file(list->fileName, &list->fileTree, error);
    if (error[0])
        ImportBox(list, error, ERROR_CAPTION, 1);
    ImportFreeEntries(list);
    /* the cached lists of a location just read are empty: nothing to drop */
    for (CSTREE *t = CSTreeFirst(list->fileTree); t; t = t->next) {
        QMS *f = (QMS *)t;
        IMPORTENTRY *e = ImportNewEntry(list, f->qmName);
        if (!e)
            break;
        e->fileLocation = f;
        ImportClientNames(f, e->channel, e->connection);
        QMS *defined = ImportFindLocation(f->qmName, f->secondName);
        if (defined)
            e->differs = (uint8_t)LocDiffers(defined, f);
        e->next = list->entries;
        list->entries = e;
    }
    ImportMarkEntries(list);
    if (!list->fileTree && !error[0])
        ImportBox(list, "The Ravolt Configuration file is empty", ERROR_CAPTION, 1);
}

int ImportConfigEntries(IMPORTLIST *list, IMPORTENTRY **rows, int count, const char *group,
                        const char *names)
{
    int made = 0;
    for (int i = 0; i < count; i++)
        if (ImportLocationFromFile(rows[i]->fileLocation, group, names)) {
            rows[i]->exists = 1;
            made++;
        }
    ImportResultBox(list, count, made, "Ravolt Config Import Result");
    return made;
}

/* ---- the master configuration ------------------------------------------------------ */

void ImportMasterConfig(void)
{
    if (!ImportMasterPath[0])
        return;
    CSTREE *tree = nullptr;
    char error[CFG_ERROR_TEXT];
    read_file(ImportMasterPath, &tree, error);
    if (error[0]) {
        ImportBox(nullptr, error, "Ravolt Master Config Import Error", 1);
        ImportEmptyTree(&tree);
        return;
    }
    for (CSTREE *t = CSTreeFirst(tree); t; t = t->next) {
        QMS *f = (QMS *)t;
        QMS *r = ImportFindLocation(f->qmName, f->secondName);
        if (!r || LocDiffers(r, f))
            r = ImportLocationFromFile(f, nullptr, nullptr);
        if (r)
            r->flags2 |= LF2_MASTER;
    }
    if (ImportMasterPrune) {
        /* gathered first: deleting changes the tree being walked */
        CSLIST doomed = {};
        LocLockStore();
        for (CSTREE *t = CSTreeFirst(LocTree); t; t = t->next)
            if (!(((QMS *)t)->flags2 & LF2_MASTER)) {
                QMS *r = (QMS *)t;
                CSListAdd(&doomed, "MASTERDEL", CSLIST_COPYDATA, &r, sizeof r);
            }
        LocUnlockStore();
        for (CSLISTELEM *e = doomed.first; e; e = e->next) {
            QMS *r;
            memcpy(&r, e + 1, sizeof r);
            LocDelete(&LocTree, r, nullptr);
        }
        CSListFree(&doomed, nullptr, nullptr);
    }
    ImportEmptyTree(&tree);
}
