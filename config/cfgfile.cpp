/* The configuration file: reading the location blocks with their
 * sub-blocks, writing a location block, and the safe rewrite. */
#include "cfgfile.h"
#include "prffile.h"
#include "cfgdialog.h"
#include "cs.h"
#include "dialogs.h"

#include <cerrno>
#include <cstring>
#include <mutex>

uint32_t CfgStatus;
int CfgNoWrite;

static CFGHOOKS cfgHooks;
static CSMUTEX writeLock;              /* one rewrite at a time */
static std::once_flag writeLockOnce;

void CfgSetHooks(const CFGHOOKS *h)
{
    if (h)
        cfgHooks = *h;
    else
        memset(&cfgHooks, 0, sizeof cfgHooks);
}

const CFGHOOKS *CfgHooks(void)
{
    return &cfgHooks;
}

static int error_box(const char *caption, const char *text, int lastError)
{
    if (!cfgHooks.errorBox)
        return 0;
    return cfgHooks.errorBox(cfgHooks.context, caption, text, lastError, 1);
}

void CfgSiblingName(char *out, size_t size, const char *path, const char *ending)
{
    size_t n = strlen(path);
    size_t keep = n >= 3 ? n - 3 : n;
    snprintf(out, size, "%.*s%s", (int)keep, path, ending);
}

/* ---- reading ---------------------------------------------------------- */

/* Whether a token (a buffer of PRF_TOKEN_SIZE) is the tag: a compare of
 * known size the compiler does in line, where a library call per tag
 * costs more on some hosts. */
template <size_t N>
static inline bool is_tag(const char *token, const char (&tag)[N])
{
    return memcmp(token, tag, N) == 0;
}

/* Reads tokens until an unquoted "QM:"; 0 at the end of the text. */
static int skip_to_qm(PRFIN *in, char *token, int skip)
{
    uint32_t q;
    for (;;) {
        int len = PrfGetToken(in, &q, skip, token);
        if (len == 0 && !q)
            return 0;
        if (!q && is_tag(token, "QM:"))
            return 1;
    }
}

/* One location's sub-blocks, the current token being the tag after its
 * keywords.  The length of the token that ended them (0: the end of the
 * file), or -2: stop without finishing. */
static int read_subblocks(PRFIN *in, QMS *r, char *token, uint32_t *q, int len)
{
    if (len && is_tag(token, "CLN:")) {
        PCFInitCommandDefs();
        uint8_t *area = (uint8_t *)CSGetMem(PCFClientChannelDef.dataSize, "pClCfgData");
        if (!area)
            return -2;
        PCFInitData(&PCFClientChannelDef, area, nullptr, 0, 0, 0);
        CfgFreeClientSettings(r);
        r->clientSettings = area;
        len = RestoreObject(in, token, q, area, &PCFClientChannelDef);
    }
    if (len && is_tag(token, "MQS:")) {
        for (;;) {
            len = PrfGetToken(in, q, 0, token);
            if (len == 0 && !*q)
                return 0;
            if (PrfIsSectionTag(token, len, *q))
                break;
            CSListAdd(&r->mqscCommands, "MQSCCMD", CSLIST_COPYDATA, token, len + 1);
        }
    }
    while (len && !*q && is_tag(token, "DLG:")) {
        len = CfgFileParseDialog(in, &r->dialogs, r->caps, token);
        *q = 0;
    }
    /* event-queue blocks are read past; nothing of them is kept */
    return len;
}

/* What a read could not take, told once at its end: a line per block
 * not read, naming the file and the line. */
struct READNOTES {
    const char *file;
    char text[1200];
    int count;
};

static int line_of(const PRFIN *in)
{
    int line = 1;
    for (size_t i = 0; i < in->tokenStart && i < in->length; i++)
        line += in->text[i] == '\n';
    return line;
}

static void note(READNOTES *n, const PRFIN *in, const char *what, const char *name)
{
    size_t used = strlen(n->text);
    if (++n->count > 8) {
        if (n->count == 9 && used + 5 < sizeof n->text)
            strcat(n->text, "...\n");
        return;
    }
    snprintf(n->text + used, sizeof n->text - used, "Configuration file '%s', line %d: %s '%s'\n",
             n->file, line_of(in), what, name);
}

static void tell_notes(const READNOTES *n)
{
    if (n->count && cfgHooks.notice)
        cfgHooks.notice(cfgHooks.context, "Ravolt Configuration", n->text);
}

/* A location's names as its note gives them: 'QM "location"' (at most
 * 48 and 99 characters), made without a formatting call per location and
 * copied in line (the names are short: a library call to measure and one
 * to copy each cost more on some hosts). */
static void note_names(char (&out)[QMS_NAME + 110], const QMS *r)
{
    static_assert(QMS_NAME + 110 > 48 + 99 + 3, "room for both names");
    size_t n = 0;
    auto shown = [](char c) { return (unsigned char)c < 0x20 ? '.' : c; };
    for (size_t i = 0; i < 48 && r->qmName[i]; i++)
        out[n++] = shown(r->qmName[i]);
    out[n++] = ' ';
    out[n++] = '"';
    for (size_t i = 0; i < 99 && r->locationName[i]; i++)
        out[n++] = shown(r->locationName[i]);
    out[n++] = '"';
    out[n] = 0;
}

/* Reads the location blocks of an open text into a tree. */
static void read_locations(PRFIN *in, CSTREE **tree, int64_t readTime, READNOTES *notes)
{
    char token[PRF_TOKEN_SIZE] = {};         /* is_tag reads whole tags */
    uint32_t q;
    if (!PrfSkipToLine(in, "AP:") || !skip_to_qm(in, token, 1)) {
        CfgStatus |= CFG_STATUS_READ;
        return;
    }
    int loading = LocGlobals.loadingConfig;
    int program = tree == &LocTree;
    if (program) {
        LocGlobals.loadingConfig = 1;
        LocLockStore();              /* once for the whole read, not per location */
    }
    for (;;) {
        /* read straight into the record the tree will keep */
        QMS *r = LocNewRecord(tree);
        if (!r)
            break;
        PRFIN header = *in;                  /* where the block begins, for its notes */
        CfgLocationDefaults(r);
        PrfGetToken(in, &q, 0, token);
        UTStrCopy(r->qmName, token, sizeof r->qmName);
        /* blanks after the name are never written: kept, they would key
           the location apart from the one the next start reads back */
        UTTrimRightChars(r->qmName, (int)strlen(r->qmName), " ");
        PrfGetToken(in, &q, 0, token);
        UTStrCopy(r->locationName, token, sizeof r->locationName);
        PrfGetInt(in, &r->platform, token);
        PrfGetInt(in, &r->commandLevel, token);
        int len = CfgReadLocationKeywords(in, r, token, &q);
        CfgFinishLocation(r, readTime);
        /* a blank queue-manager name is the default queue manager's */
        int plain = !LocNamesRefused(r);
        char names[QMS_NAME + 110];
        note_names(names, r);
        QMS *added = LocCreateRecord(tree, r, 0);
        if (!added)
            note(notes, &header, !plain ? "a location whose names hold control characters is not read:"
                                        : "a location given before is given again and not read:",
                 names);
        if (added) {
            len = read_subblocks(in, added, token, &q, len);
            if (len == -2)
                break;
        }
        /* a refused location is skipped up to the next "QM:", which may
           already be the current token */
        int atQm = len > 0 && !q && is_tag(token, "QM:");
        if (added && len > 0 && !q && !atQm && !is_tag(token, "EVQ:"))
            note(notes, in, "a section out of place ends the location's block at", token);
        if ((len == 0 && !q) || (!atQm && !skip_to_qm(in, token, !added))) {
            CfgStatus |= CFG_STATUS_READ;
            break;
        }
    }
    if (program)
        LocUnlockStore();
    LocGlobals.loadingConfig = loading;
}

void CfgReadText(const char *text, size_t length, CSTREE **tree)
{
    PRFIN in;
    PrfOpenText(&in, text, length);
    READNOTES notes = { "(text)", "", 0 };
    read_locations(&in, tree, LocNow(), &notes);
    tell_notes(&notes);
}

void CfgFileRead(const char *path, CSTREE **tree, int report, char *errorText)
{
    int64_t readTime = LocNow();
    int program = tree == &LocTree;
    PRFIN in;
    int rc = PrfOpenFile(&in, path);
    if (rc != 0) {
        if (program)
            CfgStatus &= ~CFG_STATUS_PRESENT;
        if (report) {
            if (errorText)
                snprintf(errorText, CFG_ERROR_TEXT, "File '%s' can not be opened.", path);
            return;
        }
        /* only a missing file is an empty configuration; one that is
           there but cannot be read must never be rewritten */
        if (rc == ENOENT)
            CfgStatus |= CFG_STATUS_READ;
        return;
    }
    if (program)
        CfgStatus |= CFG_STATUS_PRESENT;
    READNOTES notes = { path, "", 0 };
    read_locations(&in, tree, readTime, &notes);
    PrfClose(&in);
    tell_notes(&notes);
}

/* ---- writing ---------------------------------------------------------- */

/* Room for a location's first line: the names quoted with every
 * character escaped, and two numbers. */
#define HEADER_ROOM (5 + 2 * QMS_NAME + 2 + 1 + 2 * QMS_LOCNAME + 2 + 2 * 12 + 1 + 8)

/* Locations are written in their tree's order, and each record's fields
 * lie over all of its block: while one is written, the block of the one
 * after next is fetched into the cache, a third at a time between the
 * parts of the writing (more at once only wait for each other), and the
 * blocks the next one points to (its first command line, client settings
 * and dialogs), so that the writer seldom waits for memory.  Only the walk
 * of the tree fetches ahead: a record written alone may have no links. */
#define FETCH_PART ((sizeof(QMS) / 64 / 3 + 1) * 64)

/* A hint that a line is wanted soon (it never faults); in assembler where
 * it can be, as the compiler drops a hint whose result nothing uses. */
static inline void fetch(const void *p)
{
#if defined(__x86_64__) || defined(__i386__)
    if (p)
        asm volatile("prefetcht0 %0" : : "m"(*(const char *)p));
#else
    __builtin_prefetch(p);
#endif
}

static inline void fetch_ahead(const QMS *r, int part)
{
    const QMS *next = (const QMS *)r->tree.next;
    if (!next)
        return;
    if (part == 2) {            /* its last third was asked for a location ago */
        fetch(next->mqscCommands.first);
        fetch(next->clientSettings);
        fetch(next->dialogs);
    }
    const char *after = (const char *)next->tree.next;
    if (!after)
        return;
    int third = (part + 2) % 3;     /* the last first: it holds the pointers */
    size_t end = (size_t)(third + 1) * FETCH_PART;
    for (size_t at = (size_t)third * FETCH_PART; at < end && at < sizeof(QMS); at += 64)
        fetch(after + at);
}

/* One location; with `ahead`, one of the tree walked in order, whose next
 * records are fetched while it is written. */
static void write_location(QMS *r, PRFOUT *out, int ahead)
{
    if (ahead)
        fetch_ahead(r, 0);
    /* "AMQ." names are the system's own, never saved (compared in line:
       a library call per location costs more on some hosts) */
    const char *second = r->secondName;
    if ((r->flags & LF_NOTSAVED) ||
        (second[0] == 'A' && second[1] == 'M' && second[2] == 'Q' && second[3] == '.'))
        return;
    /* the first line stored at once, in room made for its worst case */
    char *w = PrfOutReserve(out, HEADER_ROOM);
    if (!w)
        return;
    int crlf = out->crlf;
    w = PrfStoreLineEnd(w, crlf);
    memcpy(w, "QM:", 3);
    w = CfgStoreWord(w + 3, r->qmName, QMS_NAME, crlf);
    *w++ = ' ';
    w = PrfStoreQuoted(w, r->locationName, QMS_LOCNAME, 1, crlf);
    *w++ = ' ';
    w = CSPutDec(w, r->platform);
    *w++ = ' ';
    w = CSPutDec(w, r->commandLevel);
    w = PrfStoreLineEnd(w, crlf);
    PrfOutCommit(out, w);
    if (ahead)
        fetch_ahead(r, 1);
    CfgWriteLocationKeywords(r, out);
    if (ahead)
        fetch_ahead(r, 2);
    if (r->clientSettings) {
        PrfOutText(out, "\nCLN:\n");
        SaveObject(out, (const uint8_t *)r->clientSettings, &PCFClientChannelDef);
    }
    if (r->mqscCommands.first) {
        PrfOutText(out, "\nMQS:\n");
        /* each line quoted up to its NUL, never past its element */
        for (CSLISTELEM *e = r->mqscCommands.first; e; e = e->next) {
            size_t n = e->length;
            if (!(w = PrfOutReserve(out, 2 * n + 4)))
                break;
            w = PrfStoreQuoted(w, (const char *)(e + 1), n, 1, crlf);
            PrfOutCommit(out, PrfStoreLineEnd(w, crlf));
        }
    }
    CfgWriteDialogs(r->dialogs, out);
}

int CfgFileWriteLocation(QMS *r, PRFOUT *out)
{
    write_location(r, out, 0);
    return 0;
}

int CfgFileWriteLocation(QMS *r, FILE *file)
{
    PRFOUT out;
    PrfOutOpen(&out, file);
    CfgFileWriteLocation(r, &out);
    return PrfOutClose(&out);
}

static void write_one(CSTREE *e, void *out)
{
    write_location((QMS *)e, (PRFOUT *)out, 1);
}

void CfgFileWriteLocations(PRFOUT *out)
{
    LocLockStore();
    CSListForEach(LocTree, write_one, out);         /* in key order */
    LocUnlockStore();
}

/* Writes the whole file; 0, or the system error of the first failing
 * write, flush or close. */
static int write_new_file(FILE *out)
{
    PRFOUT text;
    PrfOutOpenBinary(&text, out);       /* the host's line ends put here */
    SavePrfData(&text);
    CfgFileWriteLocations(&text);
    int rc = PrfOutClose(&text) != 0 ? (errno ? errno : EIO) : 0;
    if (fflush(out) != 0 || ferror(out))
        rc = errno ? errno : EIO;
    if (!rc && CfgHostFlush(out) != 0)
        rc = errno ? errno : EIO;
    if (fclose(out) != 0 && !rc)
        rc = errno ? errno : EIO;
    return rc;
}

/* Copies the present file byte for byte to the backup; 0 or the system
 * error. */
static int copy_to_backup(const char *from, const char *to)
{
    FILE *in = fopen(from, "rb");
    if (!in)
        return errno ? errno : EIO;
    FILE *out = fopen(to, "wb");
    int rc = 0;
    if (!out) {
        rc = errno ? errno : EIO;
    } else {
        static char buffer[65536];
        size_t n;
        while (!rc && (n = fread(buffer, 1, sizeof buffer, in)) > 0)
            if (fwrite(buffer, 1, n, out) != n)
                rc = errno ? errno : EIO;
        if (ferror(in) && !rc)
            rc = EIO;
        if (fflush(out) != 0 && !rc)
            rc = errno ? errno : EIO;
        if (fclose(out) != 0 && !rc)
            rc = errno ? errno : EIO;
    }
    fclose(in);
    return rc;
}

static int rewrite(void);

int CfgFileWrite(void)
{
    if (!(CfgStatus & CFG_STATUS_READ) || CfgNoWrite)
        return 0;
    std::call_once(writeLockOnce, [] { CSCreateLock(&writeLock); });
    CSLockRecursive(&writeLock, CS_WAIT_FOREVER);
    int rc = rewrite();
    CSUnlockRecursive(&writeLock);
    return rc;
}

static int rewrite(void)
{
    char cfn[310], bak[310], text[400];
    CfgSiblingName(cfn, sizeof cfn, ConfigFile, "CFN");
    CfgSiblingName(bak, sizeof bak, ConfigFile, "BAK");
    FILE *out = cfgHooks.openWrite ? cfgHooks.openWrite(cfgHooks.context, cfn)
                                   : fopen(cfn, "wb");
    if (!out) {
        snprintf(text, sizeof text, "Can not open file '%s' for writing\n", cfn);
        return error_box("Operation Error", text, 0);
    }
    if (write_new_file(out) != 0) {
        /* the old file stays as it was */
        remove(cfn);
        snprintf(text, sizeof text, "Can not write to config file '%s'", cfn);
        return error_box("Operational Error", text, 1);
    }
    if ((CfgStatus & CFG_STATUS_PRESENT) && copy_to_backup(ConfigFile, bak) != 0) {
        snprintf(text, sizeof text, "Can not backup current config file '%s'", ConfigFile);
        if (error_box("Operational Error", text, 1))
            return 1;
    }
    if (CfgHostReplace(cfn, ConfigFile) != 0) {
        snprintf(text, sizeof text, "Can not write to config file '%s'", ConfigFile);
        return error_box("Operational Error", text, 1);
    }
    CfgStatus |= CFG_STATUS_PRESENT;
    return 0;
}
