/* Add Location and Location Settings without windows: the status line,
 * encoding names, code pages, network names, enables, the copy of a
 * source location, the fields of a record and the apply with its checks. */
#include "locdlg.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cs.h"
#include "colours.h"
#include "repaint.h"
#include "dialogs.h"
#include "pwcreds.h"
#ifdef _WIN32
#include "colourwin.h"
#include "modeless.h"
#endif

LOCDLGSETTINGS LocDlgSettings;

/* ---- hooks ------------------------------------------------------------ */

/* What the location dialogs reach without the shell: the credentials and
 * key-database password of a location, the repaint announcement, the
 * dialog colours and the modeless list. */
static void RealUserIdDialog(void *, void *, QMS *r) { UserIdDialog(r, 1, 0); }
static void RealDeleteCredentials(void *, QMS *r) { PWCDeleteCredentials(r); }
static void RealKdbForget(void *, QMS *r) { KDBForget((KDBS *)r->kdbEntry, r, 1); }
static void RealRepaint(void *, uint32_t mask) { RepaintAllWindows(mask); }
#ifdef _WIN32
static void RealSetDlgColours(void *, void *dialog) { SetDlgColours((DDHANDLE)dialog); }
static void RealAddModeless(void *, void *window, int kind, uintptr_t owner1, uintptr_t owner2)
{
    AddModeless(window, kind, (void *)owner1, (void *)owner2);
}
static void RealRemoveModeless(void *, void *window) { UtilRemoveModeless(window); }
#else
#define RealSetDlgColours nullptr
#define RealAddModeless nullptr
#define RealRemoveModeless nullptr
#endif

static const LOCDLGHOOKS defaultHooks = {
    .userIdDialog = RealUserIdDialog, .deleteCredentials = RealDeleteCredentials,
    .kdbForget = RealKdbForget, .repaint = RealRepaint, .setDlgColours = RealSetDlgColours,
    .addModeless = RealAddModeless, .removeModeless = RealRemoveModeless,
};
static LOCDLGHOOKS hooks = defaultHooks;

#define HOOK(name, ...) do { if (hooks.name) hooks.name(hooks.context __VA_OPT__(,) __VA_ARGS__); } while (0)

void LocDlgSetHooks(const LOCDLGHOOKS *h)
{
    hooks = h ? *h : defaultHooks;
}

const LOCDLGHOOKS *LocDlgHooks(void)
{
    return &hooks;
}

void LocDlgDefaultHooks(LOCDLGHOOKS *out)
{
    *out = defaultHooks;
}

/* ---- encodings -------------------------------------------------------- */

struct EncodingRow {
    uint32_t value;
    const char *name;
};

static const EncodingRow Encodings[] = {
    { 273, "Normal" }, { 529, "Normal IEEE Reversed" }, { 546, "Reversed" },
    { 785, "Normal S/390" }, { 1041, "Normal TNS" },
};

const char *const RtabEncodingNames[] = {
    "Normal", "Normal IEEE Reversed", "Reversed", "Normal S/390", "Normal TNS", nullptr,
};

const char *RtabEncodingName(uint32_t encoding)
{
    for (const EncodingRow &e : Encodings)
        if (e.value == encoding)
            return e.name;
    return "";
}

uint32_t RtabEncodingValue(const char *name)
{
    for (const EncodingRow &e : Encodings)
        if (name && !strcmp(e.name, name))
            return e.value;
    return 0;
}

/* ---- status line ------------------------------------------------------ */

struct StatusText {
    uint32_t bit;
    const char *text;
};

static const StatusText StatusTexts[] = {
    { 0x4000, ",State Unknown" }, { 0x8000, ",QM Unavailable" }, { 0x20, ",Slave" },
    { 0x40, ",Monitored" }, { 0x4, ",No response" }, { 0x2, ",Can't send" },
    { 0x10000, ",Restarting" },
};

/* The first mark of the three thread-state bits found, or "". */
static const char *Mark(uint16_t state, const char *connected, const char *running,
                        const char *starting)
{
    if (state & 0x4)
        return connected;
    if (state & 0x1)
        return running;
    if (state & 0x2)
        return starting;
    return "";
}

void RtabStatusText(uint16_t put, uint16_t get, uint32_t status, const int64_t *diag,
                    char *out, size_t size)
{
    char text[300];
    const char *state = "";
    if (put & 0x8)
        state = "Retrying";
    else if (put || get)
        state = ((put | get) & 0x2) ? "Initialising" : ((put | get) & 0x4) ? "Connected" : "Connecting";
    int n = snprintf(text, sizeof text, "%s%s%s", Mark(put, "[", "(", "/"), state,
                     Mark(get, "]", ")", "/"));
    for (const StatusText &s : StatusTexts)
        if ((status & s.bit) && n < (int)sizeof text)
            n += snprintf(text + n, sizeof text - (size_t)n, "%s", s.text);
    if (text[0] == ',')
        text[0] = ' ';
    if (diag && n < (int)sizeof text)
        snprintf(text + n, sizeof text - (size_t)n, " GET(%d,%d) STATE(%8.8X)", (int)diag[0],
                 (int)diag[1], (unsigned)diag[2]);
    snprintf(out, size, "%s", text);
}

/* ---- small rules ------------------------------------------------------ */

int RtabCheckNetworkNames(const char *text, char *message, size_t size)
{
    const char *p = text ? text : "";
    while (*p) {
        while (*p == ' ' || *p == ',')
            p++;
        const char *start = p;
        while (*p && *p != ' ' && *p != ',')
            p++;
        if (p - start > 20) {
            snprintf(message, size,
                     "Network name '%.*s' is too long. Each network name should be %d characters or less",
                     (int)(p - start), start, 20);
            return 0;
        }
    }
    return 1;
}

void RtabTitle(int addMode, const char *qmName, char *out, size_t size)
{
    const char *title = addMode ? "Add Location" : "Location Settings";
    if (qmName && *qmName)
        snprintf(out, size, "%s - %s", title, qmName);
    else
        snprintf(out, size, "%s", title);
}

const char *RtabConnectText(const QMS *r, int *enabled)
{
    if ((r->flags & LF_FGN) || r->viaQm[0]) {
        *enabled = 0;
        return "Connect";
    }
    *enabled = 1;
    return (r->putThread.state & 0x4) ? "Disconnect" : "Connect";
}

static void Number(char *out, size_t size, uint32_t value)
{
    if (value)
        snprintf(out, size, "%d", (int)value);
    else
        out[0] = 0;
}

void RtabCodepageTexts(const QMS *r, RTABCODEPAGES *out)
{
    const uint32_t ccsid[3] = { r->ccsidOverride, r->ccsidQm, r->ccsid };
    const uint32_t enc[3] = { r->encodingOverride, r->encodingQm, r->encoding };
    for (int i = 0; i < 3; i++) {
        Number(out->ccsid[i], sizeof out->ccsid[i], ccsid[i]);
        snprintf(out->encoding[i], sizeof out->encoding[i], "%s", RtabEncodingName(enc[i]));
    }
}

int RtabReadCodepages(QMS *r, const char *ccsid, const char *encoding)
{
    uint32_t c = (uint32_t)strtoul(ccsid ? ccsid : "", nullptr, 10);
    uint32_t e = RtabEncodingValue(encoding);
    int changed = c != r->ccsidOverride || e != r->encodingOverride;
    r->ccsidOverride = c;
    r->encodingOverride = e;
    return changed;
}

const char *RtabReplyQueueRule(const char *viaQm, const char *replyQueue)
{
    int via = viaQm && viaQm[0], reply = replyQueue && replyQueue[0];
    if (via && reply)
        return "Since you're going to this location via a different Queue Manager you do not need a reply queue";
    if (!via && !reply)
        return "Since you're connecting directly to this Queue Manager you need to specify a reply queue";
    return nullptr;
}

int RtabConnectionChanged(const QMS *r, const QMS *s)
{
    const size_t fields[] = { offsetof(QMS, qmName), offsetof(QMS, secondName),
                              offsetof(QMS, replyModel), offsetof(QMS, replyPrefix),
                              offsetof(QMS, viaQm), offsetof(QMS, commandQueue),
                              offsetof(QMS, sqName) };
    for (size_t f : fields)
        if (strcmp((const char *)r + f, (const char *)s + f) != 0)
            return 1;
    return 0;
}

void PostDialogRefresh(QMS *r)
{
    if (r && r->settingsWindow && hooks.post)
        hooks.post(hooks.context, r->settingsWindow, UM_LOC_RELOAD, 0, 0);
}

/* ---- check boxes ------------------------------------------------------ */

/* Check box, its bit in RTABINPUT, the record's word (1 or 2) and bit;
 * an inverted box is checked while the bit is clear. */
struct CheckRow {
    uint32_t check;
    int word;
    uint32_t bit;
    int inverted;
};

static const CheckRow MainChecks[] = {
    { RTC_MVS, 1, LF_MVS, 0 }, { RTC_CLIENT, 1, LF_CLIENT, 0 }, { RTC_UCO, 1, LF_UCO, 0 },
    { RTC_UCE, 1, LF_UCE, 0 }, { RTC_NAU, 1, LF_NAU, 0 }, { RTC_AUTO, 1, LF_AUTO, 0 },
    { RTC_OBJD, 1, LF_OBJD, 0 }, { RTC_DRA, 1, LF_DRA, 0 }, { RTC_CRLF, 2, LF2_CRLF, 0 },
};

static const CheckRow SecurityChecks[] = {
    { RTC_USRP, 1, LF_USRP, 0 }, { RTC_SECEXIT, 1, LF_USROAM, 0 },
    { RTC_USRSUC, 2, LF2_USRSUC, 0 }, { RTC_CACHEFILE, 2, LF2_USRNPWCF, 1 },
    { RTC_SSLWK, 2, LF2_SSLWK, 0 }, { RTC_UCUSER, 2, LF2_UCUSER, 0 },
    { RTC_UCPW, 2, LF2_UCPW, 0 },
};

static uint32_t *Word(QMS *r, int word)
{
    return word == 1 ? &r->flags : &r->flags2;
}

static void StoreChecks(QMS *r, const CheckRow *rows, size_t count, uint32_t checks)
{
    for (size_t i = 0; i < count; i++) {
        int on = (checks & rows[i].check) != 0;
        UTSetFlag(Word(r, rows[i].word), rows[i].inverted ? !on : on, rows[i].bit);
    }
}

static uint32_t LoadChecks(const QMS *r, const CheckRow *rows, size_t count)
{
    uint32_t checks = 0;
    for (size_t i = 0; i < count; i++) {
        int on = (*Word((QMS *)r, rows[i].word) & rows[i].bit) != 0;
        if (rows[i].inverted ? !on : on)
            checks |= rows[i].check;
    }
    return checks;
}

/* ---- the record's fields ---------------------------------------------- */

static void Copy(char *out, size_t size, const char *text)
{
    snprintf(out, size, "%s", text ? text : "");
}

void RtabLoad(const QMS *r, RTABINPUT *in)
{
    memset(in, 0, sizeof *in);
    Copy(in->location, sizeof in->location, r->locationName);
    Copy(in->qmName, sizeof in->qmName, r->qmName);
    Copy(in->group, sizeof in->group, r->groupName);
    Copy(in->replyQueue, sizeof in->replyQueue, r->replyModel);
    Copy(in->replyPrefix, sizeof in->replyPrefix, r->replyPrefix);
    Copy(in->commandQueue, sizeof in->commandQueue, r->commandQueue);
    Copy(in->networkNames, sizeof in->networkNames, r->networkNames);
    Copy(in->ccdtUrl, sizeof in->ccdtUrl, r->ccdtUrl);
    snprintf(in->retry, sizeof in->retry, "%d", (int)r->retryInterval);
    snprintf(in->disconnect, sizeof in->disconnect, "%d", (int)r->disconnectInterval);
    RTABCODEPAGES cp;
    RtabCodepageTexts(r, &cp);
    Copy(in->ccsid, sizeof in->ccsid, cp.ccsid[0]);
    Copy(in->encoding, sizeof in->encoding, cp.encoding[0]);
    snprintf(in->commandLevel, sizeof in->commandLevel, "%d", (int)r->commandLevel);
    Copy(in->secGroup, sizeof in->secGroup, r->securityGroup);
    Copy(in->secGroupDesc, sizeof in->secGroupDesc, r->securityGroupDesc);
    in->checks = LoadChecks(r, MainChecks, sizeof MainChecks / sizeof MainChecks[0]) |
                 LoadChecks(r, SecurityChecks, sizeof SecurityChecks / sizeof SecurityChecks[0]);
}

void RtabEnables(const QMS *r, uint32_t checks, RTABENABLES *e)
{
    memset(e, 0, sizeof *e);
    int client = (checks & RTC_CLIENT) != 0, usrp = (checks & RTC_USRP) != 0;
    e->configure = client;
    e->ccdtUrl = client && !r->clientSettings;
    e->secExit = e->usrsuc = e->cacheFile = usrp;
    e->setPassword = usrp && !(checks & RTC_USRSUC);
    e->deletePassword = e->ucUser = e->ucPassword = usrp;
    e->apply = LocMaskMatch(r->authMask, LOC_CHANGE_MASK);
    e->commandQueue = !(r->flags & LF_NC);
    e->disconnect = !(checks & RTC_AUTO);
}

void RtabCopySource(QMS *to, const QMS *from)
{
    memcpy(to->secondName, from->secondName, sizeof to->secondName);
    memcpy(to->viaQm, from->viaQm, sizeof to->viaQm);
    memcpy(to->replyModel, from->replyModel, sizeof to->replyModel);
    memcpy(to->replyPrefix, from->replyPrefix, sizeof to->replyPrefix);
    memcpy(to->groupName, from->groupName, sizeof to->groupName);
    memcpy(to->brokerQueue, from->brokerQueue, sizeof to->brokerQueue);
    memcpy(to->locationName, from->locationName, sizeof to->locationName);
    memcpy(to->okCommand, from->okCommand, sizeof to->okCommand);
    memcpy(to->failCommand, from->failCommand, sizeof to->failCommand);
    to->retryInterval = from->retryInterval;
    to->disconnectInterval = from->disconnectInterval;
    memcpy(to->interval, from->interval, sizeof to->interval);
    to->flags = from->flags & ~0x1000000u;
    to->autoRefresh = from->autoRefresh;
    to->autoRefreshOpen = from->autoRefreshOpen;
    CSStringSet(&to->networkNames, from->networkNames, -1);
    if (from->clientSettings && !to->clientSettings) {
        uint8_t *area = PCFNewData(&PCFClientChannelDef, "Client Channel");
        if (area)
            PCFCopyData(&PCFClientChannelDef, area, (const uint8_t *)from->clientSettings);
        to->clientSettings = area;
    }
}

/* ---- security group ---------------------------------------------------- */

/* A text without surrounding blanks into out. */
static void Trimmed(char *out, size_t size, const char *text)
{
    const char *s = text ? text : "";
    int n = (int)strlen(s);
    UTTrimSpan(&s, &n);
    snprintf(out, size, "%.*s", n, s);
}

static void SetShared(const char **slot, const char *text)
{
    CSStringSet(slot, text[0] ? text : nullptr, -1);
}

void RtabApplySecurity(QMS *r, const RTABINPUT *in)
{
    StoreChecks(r, SecurityChecks, sizeof SecurityChecks / sizeof SecurityChecks[0], in->checks);
    r->caps[46] = (r->caps[22] && (r->flags2 & LF2_SSLWK)) ? 1 : 0;
    char name[RTAB_SECGROUP], desc[RTAB_SECGROUP];
    Trimmed(name, sizeof name, in->secGroup);
    Trimmed(desc, sizeof desc, in->secGroupDesc);
    SetShared(&r->securityGroup, name);
    if (!StrEqualNull(r->securityGroupDesc, desc)) {
        SetShared(&r->securityGroupDesc, desc);
        SecGroupSync(r);
    }
}

void SecGroupSync(QMS *r)
{
    if (!r->securityGroup || !r->securityGroup[0])
        return;
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        QMS *o = (QMS *)e;
        if (o == r || !StrEqualNull(o->securityGroup, r->securityGroup) ||
            StrEqualNull(o->securityGroupDesc, r->securityGroupDesc))
            continue;
        CSStringSet(&o->securityGroupDesc, r->securityGroupDesc, -1);
        PostDialogRefresh(o);
    }
}

/* ---- the apply ---------------------------------------------------------- */

static int Fail(RTABERROR *e, int result, int field, const char *text)
{
    e->result = result;
    e->field = field;
    if (text)
        snprintf(e->text, sizeof e->text, "%s", text);
    return result;
}

static int Mandatory(RTABERROR *e, int field, const char *title)
{
    e->title = title;
    snprintf(e->text, sizeof e->text, "Please enter a value for '%s'", title);
    return Fail(e, RTAB_MANDATORY, field, nullptr);
}

/* A field's text without trailing blanks (as the mandatory check reads it). */
static void Field(char *out, size_t size, const char *text)
{
    snprintf(out, size, "%s", text ? text : "");
    UTTrimRight(out, (int)strlen(out));
}

/* Steps 4 and 5: the names and queues read into a scratch copy. */
static int ReadNames(QMS *s, const RTABINPUT *in, RTABERROR *e)
{
    struct Row { int field; const char *title; const char *text; char *to; size_t size; };
    const Row rows[] = {
        { RTF_LOCATION, "Location", in->location, s->locationName, sizeof s->locationName },
        { RTF_QMNAME, "Queue Manager", in->qmName, s->qmName, sizeof s->qmName },
        { RTF_REPLYQ, nullptr, in->replyQueue, s->replyModel, sizeof s->replyModel },
        { RTF_REPLYPFX, nullptr, in->replyPrefix, s->replyPrefix, sizeof s->replyPrefix },
        { RTF_CMDQ, "Command Queue", in->commandQueue, s->commandQueue, sizeof s->commandQueue },
    };
    for (const Row &row : rows) {
        Field(row.to, row.size, row.text);
        if (row.title && !row.to[0])
            return Mandatory(e, row.field, row.title);
        /* a pasted line end or tab would not be a name at the next start */
        if (LocNameHasControl(row.to, row.size))
            return Fail(e, RTAB_FIELD_ERROR, row.field,
                        "A name can not hold a tab, a line end or another control character");
    }
    const char *rule = RtabReplyQueueRule(s->viaQm, s->replyModel);
    if (rule)
        return Fail(e, RTAB_FIELD_ERROR, RTF_REPLYQ, rule);
    return RTAB_OK;
}

static const char DuplicateText[] =
    "Can not add new location - a definition for this Queue Manager already exists.";

int RtabApply(QMS *r, int addMode, const RTABINPUT *in, QMS **created, RTABERROR *e)
{
    memset(e, 0, sizeof *e);
    if (created)
        *created = nullptr;
    RtabReadCodepages(r, in->ccsid, in->encoding);
    SetDefaultEncoding(r);
    char number[16];
    Field(number, sizeof number, in->retry);
    if (!number[0])
        return Mandatory(e, RTF_RETRY, "Retry Interval");
    r->retryInterval = atoi(number);
    Field(number, sizeof number, in->disconnect);
    if (!number[0])
        return Mandatory(e, RTF_DISC, "Disconnect Interval");
    r->disconnectInterval = atoi(number);

    uint32_t oldClient = r->flags & LF_CLIENT;
    StoreChecks(r, MainChecks, sizeof MainChecks / sizeof MainChecks[0], in->checks);
    RtabApplySecurity(r, in);
    int clientChanged = (r->flags & LF_CLIENT) != oldClient;

    QMS *s = (QMS *)malloc(sizeof *s);
    if (!s)
        return Fail(e, RTAB_FIELD_ERROR, RTF_LOCATION, "No storage");
    memcpy(s, r, sizeof *s);
    int rc = ReadNames(s, in, e);
    int rename = !addMode && strcmp(s->qmName, r->qmName) != 0;
    if (rc == RTAB_OK && rename) {
        QMS *other = LocFindByNames(s->qmName, r->secondName);
        if (other && other != r)
            rc = Fail(e, RTAB_DUPLICATE, RTF_QMNAME, DuplicateText);
    }
    if (rc != RTAB_OK) {
        free(s);
        return rc;
    }

    int changed = RtabConnectionChanged(r, s) || clientChanged;
    if (changed) {
        r->status &= ~LS_FIRSTREFRESH;
        if (!addMode && (r->putThread.state & 0x4)) {
            LocSetStatus(r, LS_RESTARTING, 0, 0);
            HOOK(endPutThread, r, 0);
        }
    }
    memcpy(r->locationName, s->locationName, sizeof r->locationName);
    if (rename)
        LocRekey(&LocTree, r, s->qmName, r->secondName);
    else
        memcpy(r->qmName, s->qmName, sizeof r->qmName);
    memcpy(r->replyModel, s->replyModel, sizeof r->replyModel);
    memcpy(r->replyPrefix, s->replyPrefix, sizeof r->replyPrefix);
    memcpy(r->commandQueue, s->commandQueue, sizeof r->commandQueue);
    free(s);

    char text[RTAB_TEXT];
    Field(text, sizeof text, in->networkNames);
    if (!RtabCheckNetworkNames(text, e->text, sizeof e->text))
        return Fail(e, RTAB_NETWORK_NAMES, RTF_NETNAMES, nullptr);
    LocSetSharedText(r, text[0] ? text : nullptr);
    Field(text, sizeof text, in->ccdtUrl);
    if (!StrEqualNull(text, r->ccdtUrl))
        SetShared(&r->ccdtUrl, text);
    Field(r->groupName, sizeof r->groupName, in->group);

    if (LocDlgSettings.diagnostics) {
        Field(number, sizeof number, in->commandLevel);
        if (!number[0])
            return Mandatory(e, RTF_CMDLVL, "Command Level");
        int32_t level = atoi(number);
        if (level && level != r->commandLevel)
            LocSetCapabilities(r, r->platform, level, r->flags & LF_QSG);
    }

    if (!addMode) {
        CSFreeMemAndClear(&r->lastError);
        LocSetDefaultLevel(r, changed);
        HOOK(configChanged);
    } else {
        QMS *made = LocCreate(&LocTree, r, 0);
        if (!made)
            return Fail(e, RTAB_DUPLICATE, RTF_QMNAME, DuplicateText);
        /* the tree's copy owns every text and block the record pointed
           at: the private record is left empty, to be freed alone */
        memset(r, 0, sizeof *r);
        if (created)
            *created = made;
        HOOK(configChanged);
    }
    HOOK(repaint, 2048);
    return RTAB_OK;
}

/* ---- the client channel ------------------------------------------------- */

uint8_t *RtabClientArea(QMS *r)
{
    if (r->clientSettings)
        return (uint8_t *)r->clientSettings;
    PCFInitCommandDefs();
    uint8_t *area = PCFNewData(&PCFClientChannelDef, "Client Channel");
    if (!area)
        return nullptr;
    /* a client connection (MQCHT_CLNTCONN) over TCP/IP (MQXPT_TCP) */
    struct Preset { uint32_t attr; int32_t value; };
    static const Preset presets[] = { { 1511, 6 }, { 1501, 2 } };
    for (const Preset &p : presets) {
        PCFFieldEntry *entry = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, p.attr);
        if (!entry)
            continue;
        PCFSetRecInt(area + entry->offset, p.value);
        PCFSetState(area + entry->offset, PCFS_PRESENT | PCFS_SPECIFIED);
    }
    r->clientSettings = area;
    return area;
}

void CfgClient(DialogWords *dialog)
{
    QMS *r = dialog ? dialog->first.location : nullptr;
    if (!r)
        return;
    r->clientDialog = nullptr;
    uint8_t *area = (uint8_t *)r->clientSettings;
    PCFFieldEntry *name = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 3501);
    if (area && name && !(PCFState(area + name->offset) & (PCFS_PRESENT | PCFS_RECEIVED))) {
        PCFFreeData(&PCFClientChannelDef, area, 1);
        r->clientSettings = nullptr;
    }
    if (r->settingsWindow && hooks.post)
        hooks.post(hooks.context, r->settingsWindow, UM_LOC_STATUS, 0, 0);
}

/* ---- combo box texts ---------------------------------------------------- */

/* Each distinct non-empty text once, in tree order. */
static void Distinct(const char *(*text)(const QMS *), void (*add)(void *, const char *),
                     void *ctx)
{
    for (CSTREE *e = CSTreeFirst(LocTree); e; e = e->next) {
        const char *t = text((const QMS *)e);
        if (!t || !t[0])
            continue;
        int seen = 0;
        for (CSTREE *p = CSTreeFirst(LocTree); p != e && !seen; p = p->next)
            seen = StrEqualNull(text((const QMS *)p), t);
        if (!seen)
            add(ctx, t);
    }
}

static const char *SecName(const QMS *r) { return r->securityGroup; }
static const char *SecDesc(const QMS *r) { return r->securityGroupDesc; }
static const char *GroupName(const QMS *r) { return r->groupName; }
static const char *NetNames(const QMS *r) { return r->networkNames; }

void RtabSecurityGroups(int descriptions, void (*add)(void *, const char *), void *ctx)
{
    Distinct(descriptions ? SecDesc : SecName, add, ctx);
}

void RtabGroupNames(void (*add)(void *, const char *), void *ctx)
{
    Distinct(GroupName, add, ctx);
}

void RtabNetworkNamesTexts(void (*add)(void *, const char *), void *ctx)
{
    Distinct(NetNames, add, ctx);
}
