/* Location block keywords: the reader's defaults, the keyword table with
 * the field each keyword sets, and the writer of a location's keywords. */
#include "cfgfile.h"
#include "cs.h"

#include <cstddef>
#include <cstring>

enum KwKind {
    KW_STR,        /* PrfGetString into a fixed field of `width` characters */
    KW_TEXT,       /* the same, its blanks kept ("appwnd" is four bytes as written) */
    KW_INT,        /* PrfGetInt into a 32-bit field */
    KW_INT64,
    KW_SHARED,     /* PrfGetSharedString into a shared-text slot */
    KW_SHARED_END, /* as KW_SHARED; an empty value or a tag ends the block */
    KW_FLAG1, KW_CLEAR1, KW_FLAG2, KW_STATUS,
    KW_USR, KW_CL, KW_CLN, KW_INTERVAL, KW_UX, KW_UY, KW_VO, KW_APPVIEW,
    KW_EXPM, KW_EXPO,
};

struct KEYWORD {
    const char *name;
    uint8_t kind;
    uint16_t width;        /* characters of a KW_STR field */
    size_t offset;         /* field in QMS, or the bit of a flag */
};

#define F(field) offsetof(QMS, field)
static const KEYWORD keywords[] = {
    { "mq", KW_STR, QMS_NAME, F(secondName) },
    { "ccsidq", KW_INT, 0, F(ccsidQm) },
    { "ccsidp", KW_INT, 0, F(ccsidOverride) },
    { "encq", KW_INT, 0, F(encodingQm) },
    { "encp", KW_INT, 0, F(encodingOverride) },
    { "grp", KW_STR, QMS_NAME, F(groupName) },
    { "rq", KW_STR, QMS_NAME, F(replyModel) },
    { "rp", KW_STR, QMS_NAME, F(replyPrefix) },
    { "cq", KW_STR, QMS_NAME, F(commandQueue) },
    { "cmdok", KW_STR, QMS_CMDLEN, F(okCommand) },
    { "cmdfail", KW_STR, QMS_CMDLEN, F(failCommand) },
    { "viaqm", KW_STR, QMS_NAME, F(viaQm) },
    { "sq", KW_STR, QMS_NAME, F(sqName) },
    { "psq", KW_STR, QMS_NAME, F(brokerQueue) },
    { "nnames", KW_SHARED_END, 0, F(networkNames) },
    { "sgn", KW_SHARED_END, 0, F(securityGroup) },
    { "sgd", KW_SHARED_END, 0, F(securityGroupDesc) },
    { "retryint", KW_INT, 0, F(retryInterval) },
    { "discint", KW_INT, 0, F(disconnectInterval) },
    { "arr", KW_INT, 0, F(autoRefresh) },
    { "arra", KW_INT, 0, F(autoRefreshOpen) },
    { "appwnd", KW_TEXT, 3, F(appWindow) },
    { "qmiconn", KW_SHARED, 0, F(iconFile[0]) },
    { "qmiconb", KW_SHARED, 0, F(iconFile[1]) },
    { "qmicong", KW_SHARED, 0, F(iconFile[2]) },
    { "qmiconf", KW_SHARED, 0, F(iconFile[3]) },
    { "ccdturl", KW_SHARED, 0, F(ccdtUrl) },
    { "usr", KW_USR, 0, 0 },
    { "cl", KW_CL, 0, 0 },
    { "cln", KW_CLN, 0, 0 },
    { "interval", KW_INTERVAL, 0, 0 },
    { "ux", KW_UX, 0, 0 },
    { "uy", KW_UY, 0, 0 },
    { "vo", KW_VO, 0, 0 },
    { "appview", KW_APPVIEW, 0, 0 },
    { "expf", KW_STR, QMS_EXPFILE - 1, F(exportFile) },
    { "expty", KW_INT, 0, F(exportType) },
    { "expfr", KW_INT, 0, F(exportFrequency) },
    { "expdy", KW_INT, 0, F(exportDay) },
    { "expt", KW_INT64, 0, F(exportTime) },
    { "expi", KW_INT, 0, F(exportInterval) },
    { "expm", KW_EXPM, 0, 0 },
    { "expo", KW_EXPO, 0, 0 },
    { "alarm", KW_FLAG1, 0, LF_ALARM }, { "mvs", KW_FLAG1, 0, LF_MVS },
    { "loop", KW_FLAG1, 0, LF_LOOP }, { "network", KW_FLAG1, 0, LF_NETWORK },
    { "nc", KW_FLAG1, 0, LF_NC }, { "client", KW_FLAG1, 0, LF_CLIENT },
    { "auto", KW_FLAG1, 0, LF_AUTO }, { "qsg", KW_FLAG1, 0, LF_QSG },
    { "single", KW_FLAG1, 0, LF_SINGLE }, { "csl", KW_FLAG1, 0, LF_CSL },
    { "uco", KW_FLAG1, 0, LF_UCO }, { "uce", KW_FLAG1, 0, LF_UCE },
    { "ucn", KW_FLAG1, 0, LF_UCN }, { "expa", KW_FLAG1, 0, LF_EXPA },
    { "expd", KW_FLAG1, 0, LF_EXPD }, { "exps", KW_FLAG1, 0, LF_EXPS },
    { "expc", KW_FLAG1, 0, LF_EXPC }, { "ndftd", KW_FLAG1, 0, LF_NDFTD },
    { "usrp", KW_FLAG1, 0, LF_USRP }, { "ps", KW_FLAG1, 0, LF_PS },
    { "npsai", KW_CLEAR1, 0, LF_NPSAI }, { "http", KW_FLAG1, 0, LF_HTTP },
    { "httpd", KW_FLAG1, 0, LF_HTTPD }, { "objd", KW_FLAG1, 0, LF_OBJD },
    { "lognm", KW_FLAG1, 0, LF_LOGNM }, { "nau", KW_FLAG1, 0, LF_NAU },
    { "dra", KW_FLAG1, 0, LF_DRA }, { "fgn", KW_FLAG1, 0, LF_FGN },
    { "nomqtt", KW_FLAG1, 0, LF_NOMQTT }, { "usroam", KW_CLEAR1, 0, LF_USROAM },
    { "usrsuc", KW_FLAG2, 0, LF2_USRSUC }, { "usrnpwcf", KW_FLAG2, 0, LF2_USRNPWCF },
    { "nmsnochkdef", KW_FLAG2, 0, LF2_NMSNOCHKDEF },
    { "nmsnochkhel", KW_FLAG2, 0, LF2_NMSNOCHKHEL },
    { "sslwk", KW_FLAG2, 0, LF2_SSLWK }, { "sslv3", KW_FLAG2, 0, LF2_SSLWK },
    { "httpnb", KW_FLAG2, 0, LF2_HTTPNB }, { "crlf", KW_FLAG2, 0, LF2_CRLF },
    { "ucuser", KW_FLAG2, 0, LF2_UCUSER }, { "ucpw", KW_FLAG2, 0, LF2_UCPW },
    { "disabled", KW_STATUS, 0, LS_DISABLED },
};
#undef F

/* The flag words in the writer's order; `clear` words are written when
 * their bit is clear. */
struct FLAGWORD { const char *name; uint8_t word; uint8_t clear; uint32_t bit; };
static constexpr FLAGWORD flagOrder[] = {
    { "mvs", 1, 0, LF_MVS }, { "lognm", 1, 0, LF_LOGNM }, { "csl", 1, 0, LF_CSL },
    { "qsg", 1, 0, LF_QSG }, { "auto", 1, 0, LF_AUTO }, { "nc", 1, 0, LF_NC },
    { "fgn", 1, 0, LF_FGN }, { "nau", 1, 0, LF_NAU }, { "alarm", 1, 0, LF_ALARM },
    { "loop", 1, 0, LF_LOOP }, { "network", 1, 0, LF_NETWORK },
    { "client", 1, 0, LF_CLIENT }, { "single", 1, 0, LF_SINGLE },
    { "usrp", 1, 0, LF_USRP }, { "usroam", 1, 1, LF_USROAM },
    { "nmsnochkdef", 2, 0, LF2_NMSNOCHKDEF }, { "nmsnochkhel", 2, 0, LF2_NMSNOCHKHEL },
    { "usrsuc", 2, 0, LF2_USRSUC }, { "usrnpwcf", 2, 0, LF2_USRNPWCF },
    { "sslwk", 2, 0, LF2_SSLWK }, { "ucuser", 2, 0, LF2_UCUSER },
    { "ucpw", 2, 0, LF2_UCPW }, { "crlf", 2, 0, LF2_CRLF }, { "ps", 1, 0, LF_PS },
    { "npsai", 1, 1, LF_NPSAI }, { "http", 1, 0, LF_HTTP }, { "httpd", 1, 0, LF_HTTPD },
    { "httpnb", 2, 0, LF2_HTTPNB }, { "uco", 1, 0, LF_UCO }, { "uce", 1, 0, LF_UCE },
    { "ucn", 1, 0, LF_UCN }, { "expa", 1, 0, LF_EXPA }, { "expd", 1, 0, LF_EXPD },
    { "exps", 1, 0, LF_EXPS }, { "expc", 1, 0, LF_EXPC }, { "ndftd", 1, 0, LF_NDFTD },
    { "objd", 1, 0, LF_OBJD }, { "dra", 1, 0, LF_DRA }, { "nomqtt", 1, 0, LF_NOMQTT },
    { "disabled", 3, 0, LS_DISABLED },
};

/* Per flag word, the bits of the table and those written when clear. */
struct FLAGMASKS {
    uint32_t any[4], clear[4];
    constexpr FLAGMASKS() : any(), clear()
    {
        for (const FLAGWORD &f : flagOrder) {
            any[f.word] |= f.bit;
            if (f.clear)
                clear[f.word] |= f.bit;
        }
    }
};

void CfgLocationDefaults(QMS *r)
{
    uint32_t pooled = r->state & LST_POOLED;     /* where the block came from */
    memset(r, 0, sizeof *r);
    r->state = pooled;
    strcpy(r->brokerQueue, "SYSTEM.BROKER.CONTROL.QUEUE");
    r->flags = 0x80400000u;
    r->exportMask = 0x1FFF;
    r->exportType = 1;
    r->autoRefresh = r->autoRefreshOpen = -1;
    r->viewOptions = 0x4220;
    memcpy(r->appWindow, "va ", 4);
}

/* The keywords by a hash of their names (open addressing), made once.  The
 * hash looks at the length and four characters only (both ends), which
 * sets the keywords apart with almost no second probe. */
#define KW_SLOTS 256

static uint32_t name_hash(const char *s, size_t len)
{
    uint8_t c0 = (uint8_t)s[0], c1 = (uint8_t)s[1];       /* s[1]: NUL for one character */
    uint8_t cl = (uint8_t)s[len ? len - 1 : 0], cp = (uint8_t)s[len >= 2 ? len - 2 : 0];
    return (c0 * 191u + c1 * 208u + cl * 117u + cp * 54u + (uint32_t)len * 5u) % KW_SLOTS;
}

struct KEYWORDTABLE {
    const KEYWORD *slot[KW_SLOTS];
    uint8_t length[KW_SLOTS];
    KEYWORDTABLE() : slot(), length()
    {
        for (const KEYWORD &k : keywords) {
            uint32_t i = name_hash(k.name, strlen(k.name));
            while (slot[i])
                i = (i + 1) % KW_SLOTS;
            slot[i] = &k;
            length[i] = (uint8_t)strlen(k.name);
        }
    }
};

/* The keyword of a token of `len` characters: the lengths compared first,
 * then the characters in line (keywords are short). */
static const KEYWORD *find_keyword(const char *token, int len)
{
    static const KEYWORDTABLE table;       /* built on first use */
    if (len <= 0)
        return nullptr;
    for (uint32_t i = name_hash(token, (size_t)len); table.slot[i]; i = (i + 1) % KW_SLOTS) {
        if (table.length[i] != len)
            continue;
        const char *name = table.slot[i]->name;
        int j = 0;
        while (j < len && name[j] == token[j])
            j++;
        if (j == len)
            return table.slot[i];
    }
    return nullptr;
}

/* "interval": n[e n][x n[e n]]; missing parts leave their fields alone. */
static void read_interval(const char *p, int32_t *iv)
{
    auto number = [&](int32_t *target) {
        if (!((*p >= '0' && *p <= '9') || *p == '-'))
            return;
        int64_t v = PrfDecimal(p);
        *target = (int32_t)(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
        if (*p == '-')
            p++;
        while (*p >= '0' && *p <= '9')
            p++;
    };
    number(&iv[0]);
    if (*p == 'e') { p++; number(&iv[1]); }
    if (*p == 'x') {
        p++;
        number(&iv[2]);
        if (*p == 'e') { p++; number(&iv[3]); }
    }
}

static void set_coordinate(QMS *r, int which, int32_t value)
{
    uint64_t w = (uint64_t)r->placement[1];
    if (which == 0)
        w = (w & 0xFFFFFFFF00000000ull) | (uint32_t)value;
    else
        w = (w & 0xFFFFFFFFull) | ((uint64_t)(uint32_t)value << 32);
    r->placement[1] = (int64_t)w;
    r->placementFlags |= 0x24;
}

/* A value into a name field of `width` characters: cut at its first NUL
 * or at the width, trailing blanks left out (they are never written, so
 * not kept either).  Copied in line: the library calls for the measuring,
 * the copy and the trimming each cost more than the copy on some hosts. */
static void put_name_field(char *field, size_t width, const char *value, int trim)
{
    size_t n = 0;
    for (; n < width && value[n]; n++)
        field[n] = value[n];
    field[n] = 0;
    while (trim && n > 0 && field[n - 1] == ' ')
        field[--n] = 0;
}

int CfgReadLocationKeywords(PRFIN *in, QMS *r, char *token, uint32_t *quoted)
{
    char *base = (char *)r;
    for (;;) {
        int len = PrfGetToken(in, quoted, 0, token);
        if (len == 0 && !*quoted)
            return 0;
        if (PrfIsSectionTag(token, len, *quoted))
            return len;
        if (*quoted)
            continue;
        if (token[0] == 'n' && token[1] == 'm' && token[2] == 's' && token[3] == '_') {
            int64_t slot = 0;
            int valid = PrfBoundedCount(token + 4, QMS_NAMELISTS - 1, &slot);
            int vlen = PrfGetValue(in, token, nullptr);
            if (valid)
                CSStringSet(&r->nameLists[slot], token, vlen);
            continue;
        }
        const KEYWORD *k = find_keyword(token, len);
        if (!k)
            continue;
        void *field = base + k->offset;
        int32_t scratch = 0;
        switch (k->kind) {
        case KW_STR:
        case KW_TEXT:
            PrfGetValue(in, token, nullptr);
            put_name_field((char *)field, k->width, token, k->kind == KW_STR);
            break;
        case KW_INT: PrfGetInt(in, (int32_t *)field, token); break;
        case KW_INT64: PrfGetInt64(in, (int64_t *)field, token); break;
        case KW_SHARED: PrfGetSharedString(in, (const char **)field, token); break;
        case KW_SHARED_END: {
            int vlen = PrfGetValue(in, token, quoted);
            if (vlen == 0 || PrfIsSectionTag(token, vlen, *quoted))
                return vlen;
            CSStringSet((const char **)field, token, vlen);
            break;
        }
        case KW_FLAG1: r->flags |= (uint32_t)k->offset; break;
        case KW_CLEAR1: r->flags &= ~(uint32_t)k->offset; break;
        case KW_FLAG2: r->flags2 |= (uint32_t)k->offset; break;
        case KW_STATUS: r->status |= (uint32_t)k->offset; break;
        case KW_USR: {
            int vlen = PrfGetValue(in, token, nullptr);
            CSFreeMemAndClear(&r->userId);
            if (vlen) {
                r->userId = (char *)CSGetMem(vlen + 1, "USR");
                if (r->userId)
                    memcpy(r->userId, token, vlen + 1);
            }
            break;
        }
        case KW_CL: PrfGetSharedString(in, &r->clientChannel, token); break;
        case KW_CLN:
            PrfGetSharedString(in, &r->clientChannel, token);
            r->status |= LS_CLNKEYWORD;
            break;
        case KW_INTERVAL:
            PrfGetValue(in, token, nullptr);
            read_interval(token, r->interval);
            break;
        case KW_UX: case KW_UY:
            scratch = 0;
            PrfGetInt(in, &scratch, token);
            set_coordinate(r, k->kind == KW_UY, scratch);
            break;
        case KW_VO:
            scratch = r->viewOptions;
            PrfGetInt(in, &scratch, token);
            r->viewOptions = (uint16_t)scratch;
            break;
        case KW_APPVIEW: PrfGetRect(in, r->appView, token); break;
        case KW_EXPM:
            PrfGetInt(in, &scratch, token);
            r->exportMask &= ~(uint32_t)scratch;
            break;
        case KW_EXPO:
            PrfGetInt(in, &scratch, token);
            r->exportMask |= (uint32_t)scratch;
            break;
        }
    }
}

void CfgFinishLocation(QMS *r, int64_t readTime)
{
    if (r->exportTime > readTime)
        r->exportTime = readTime;
    const CFGHOOKS *h = CfgHooks();
    if (h->fitRect && (r->appView[0] || r->appView[1] || r->appView[2] || r->appView[3]))
        h->fitRect(h->context, r->appView);
}

/* ---- writing ----------------------------------------------------------
 * A location's keywords are stored straight into the output: room for the
 * worst case of a run of keywords is made once, then each goes in with
 * plain stores.  Only the texts without a bound (shared texts, the user
 * id) go in through the bounds-checked writers between the runs. */

/* The characters that make a word need quotes. */
struct WORDBREAKS {
    bool c[256];
    constexpr WORDBREAKS() : c()
    {
        for (const char *p = " \t\r\n=()[]{},;:#\"~"; *p; p++)
            c[(uint8_t)*p] = true;
    }
};
static constexpr WORDBREAKS wordBreaks;

char *CfgStoreWord(char *w, const char *value, size_t width, int crlf)
{
    size_t n = 0;
    while (n < width && value[n] && !wordBreaks.c[(uint8_t)value[n]])
        n++;
    /* blanks at the end are not written either way: a word before them
       goes without quotes, as it reads back */
    size_t end = n;
    while (end < width && value[end] == ' ')
        end++;
    if (n == 0 || (end < width && value[end]))
        return PrfStoreQuoted(w, value, width, 1, crlf);
    memcpy(w, value, n);
    return w + n;
}

/* A key of known length. */
template <size_t N>
static inline char *store_key(char *w, const char (&key)[N])
{
    memcpy(w, key, N - 1);
    return w + N - 1;
}

/* Room for a keyword of a name field: a key of up to 12 characters, the
 * quoted value with every character escaped, and the line end (CR LF). */
#define NAME_ROOM(width) (12 + 2 * (width) + 2 + 2)

/* key=word (quoted when it is no word) and the line end. */
template <size_t N>
static inline char *store_name(char *w, const char (&key)[N], const char *value, int crlf)
{
    w = store_key(w, key);
    w = CfgStoreWord(w, value, QMS_NAME, crlf);
    w = PrfStoreLineEnd(w, crlf);
    return w;
}

/* key="text" and the line end, when the text is set (PrfPutString). */
template <size_t N>
static inline char *store_string(char *w, const char (&key)[N], const char *text, size_t max,
                                 int trim, int crlf)
{
    /* blanks alone, trimmed, would be written as "" and read back as none */
    if (!PrfTextSet(text) || (trim && !text[strspn(text, " ")]))
        return w;
    w = store_key(w, key);
    w = PrfStoreQuoted(w, text, max, trim, crlf);
    w = PrfStoreLineEnd(w, crlf);
    return w;
}

/* key=value and a separator (a line end as the stream wants it). */
template <size_t N>
static inline char *store_int(char *w, const char (&key)[N], int64_t value, char sep, int crlf)
{
    w = CSPutDec(store_key(w, key), value);
    if (sep == '\n')
        return PrfStoreLineEnd(w, crlf);
    *w++ = sep;
    return w;
}

static void put_shared(PRFOUT *out, const char *key, const char *text)
{
    /* blanks only would be written as "", which ends the keywords */
    if (!text || !text[strspn(text, " ")])
        return;
    PrfOutText(out, key);
    PrfPutQuoted(out, text, PRF_WHOLE);
    PrfOutChar(out, '\n');
}

/* From the second name to the broker queue. */
#define NAMES_ROOM (7 * NAME_ROOM(QMS_NAME) + 4 * 20 + 2 + 2 * NAME_ROOM(QMS_CMDLEN) + \
                    NAME_ROOM(QMS_NAME))

static char *store_names(char *w, const QMS *r, int crlf)
{
    if (r->secondName[0] && memcmp(r->secondName, "RAVOLT", sizeof "RAVOLT") != 0)
        w = store_name(w, "mq=", r->secondName, crlf);
    char *line = w;
    if (r->ccsidQm) w = store_int(w, "ccsidq=", (int)r->ccsidQm, ' ', crlf);
    if (r->ccsidOverride) w = store_int(w, "ccsidp=", (int)r->ccsidOverride, ' ', crlf);
    if (r->encodingQm) w = store_int(w, "encq=", (int)r->encodingQm, ' ', crlf);
    if (r->encodingOverride) w = store_int(w, "encp=", (int)r->encodingOverride, ' ', crlf);
    if (w != line)
        w = PrfStoreLineEnd(w, crlf);

    w = store_string(w, "grp=", r->groupName, QMS_NAME, 1, crlf);
    if (r->replyModel[strspn(r->replyModel, " ")])       /* blanks alone read back as none */
        w = store_name(w, "rq=", r->replyModel, crlf);
    w = store_string(w, "rp=", r->replyPrefix, QMS_NAME, 1, crlf);
    int defaultCq = (r->flags & LF_MVS)
        ? !memcmp(r->commandQueue, "SYSTEM.COMMAND.INPUT", sizeof "SYSTEM.COMMAND.INPUT")
        : !memcmp(r->commandQueue, "SYSTEM.ADMIN.COMMAND.QUEUE", sizeof "SYSTEM.ADMIN.COMMAND.QUEUE");
    if (!defaultCq)
        w = store_name(w, "cq=", r->commandQueue, crlf);
    w = store_string(w, "cmdok=", r->okCommand, QMS_CMDLEN, 1, crlf);
    w = store_string(w, "cmdfail=", r->failCommand, QMS_CMDLEN, 1, crlf);
    w = store_string(w, "viaqm=", r->viaQm, QMS_NAME, 1, crlf);
    w = store_string(w, "sq=", r->sqName, QMS_NAME, 1, crlf);
    if (memcmp(r->brokerQueue, "SYSTEM.BROKER.CONTROL.QUEUE", sizeof "SYSTEM.BROKER.CONTROL.QUEUE") != 0)
        w = store_string(w, "psq=", r->brokerQueue, QMS_NAME, 1, crlf);
    return w;
}

/* The intervals and the application window. */
#define TIMES_ROOM (4 * 23 + 12 + 2 * 4 + 4)

static char *store_times(char *w, const QMS *r, int crlf)
{
    if (r->retryInterval) w = store_int(w, "retryint=", r->retryInterval, '\n', crlf);
    if (r->disconnectInterval) w = store_int(w, "discint=", r->disconnectInterval, '\n', crlf);
    if (r->autoRefresh != -1) w = store_int(w, "arr=", r->autoRefresh, '\n', crlf);
    if (r->autoRefreshOpen != -1) w = store_int(w, "arra=", r->autoRefreshOpen, '\n', crlf);
    if (memcmp(r->appWindow, "va ", 4) != 0) {
        w = store_key(w, "appwnd=");
        w = PrfStoreQuoted(w, r->appWindow, 4, 0, crlf);
        w = PrfStoreLineEnd(w, crlf);
    }
    return w;
}

/* The flag words, the placement, the view, the export and the channel. */
#define FLAGS_ROOM (sizeof flagOrder / sizeof flagOrder[0] * 13 + 4 * 12 + 10 + 2 * 15 + 8 + \
                    15 + 2 + 8 + 4 * 12 + 3 + NAME_ROOM(QMS_EXPFILE) + 6 * 21 + 21 + 31 + \
                    NAME_ROOM(QMS_CHLNAME))

static char *store_flags(char *w, const QMS *r, int crlf)
{
    int line = 0;
    /* the bits that put their word, each word turned so that a written
       word's bit is 1; the walk ends with the last of them */
    static constexpr FLAGMASKS masks;
    uint32_t words[4] = { 0, (r->flags ^ masks.clear[1]) & masks.any[1],
                          (r->flags2 ^ masks.clear[2]) & masks.any[2],
                          (r->status ^ masks.clear[3]) & masks.any[3] };
    for (const FLAGWORD *f = flagOrder; words[1] | words[2] | words[3]; f++)
        if (words[f->word] & f->bit) {
            for (const char *c = f->name; *c; c++)
                *w++ = *c;
            *w++ = ' ';
            line = 1;
            words[f->word] &= ~f->bit;
        }
    const int32_t *iv = r->interval;
    if (!(iv[0] == 60 && iv[1] == 0 && iv[2] == 1800 && iv[3] == 0)) {
        w = store_int(w, "interval=", iv[0], 'e', crlf);
        w = CSPutDec(w, iv[1]);
        *w++ = 'x';
        w = CSPutDec(w, iv[2]);
        *w++ = 'e';
        w = CSPutDec(w, iv[3]);
        *w++ = ' ';
        line = 1;
    }
    if (r->placementFlags & 0x20) {
        uint64_t p = (uint64_t)r->placement[1];
        w = store_int(w, "ux=", (int32_t)(uint32_t)p, ' ', crlf);
        w = store_int(w, "uy=", (int32_t)(uint32_t)(p >> 32), ' ', crlf);
        line = 1;
    }
    w = store_int(w, "vo=", (int16_t)(r->viewOptions & 0x7F20), ' ', crlf);
    if (line)
        w = PrfStoreLineEnd(w, crlf);

    const int32_t *v = r->appView;
    if (v[0] || v[1] || v[2] || v[3]) {
        w = store_int(w, "appview=", v[0], ' ', crlf);
        for (int i = 1; i < 4; i++) {
            w = CSPutDec(w, v[i]);
            *w++ = ' ';
        }
        w = PrfStoreLineEnd(w, crlf);
    }
    if (r->exportFile[0])
        w = store_string(w, "expf=", r->exportFile, QMS_EXPFILE, 0, crlf);
    if (r->exportType != 1 && r->exportType)
        w = store_int(w, "expty=", r->exportType, '\n', crlf);
    if (r->exportFrequency) w = store_int(w, "expfr=", r->exportFrequency, '\n', crlf);
    if (r->exportDay) w = store_int(w, "expdy=", r->exportDay, '\n', crlf);
    if (r->exportTime) w = store_int(w, "expt=", r->exportTime, '\n', crlf);
    if (r->exportInterval) w = store_int(w, "expi=", r->exportInterval, '\n', crlf);
    w = store_int(w, "expm=8191 expo=", (int)r->exportMask, '\n', crlf);

    if (r->clientChannel) {
        w = (r->status & LS_CLNKEYWORD) ? store_key(w, "cln=") : store_key(w, "cl =");
        w = PrfStoreQuoted(w, r->clientChannel, QMS_CHLNAME, 0, crlf);
        w = PrfStoreLineEnd(w, crlf);
    }
    return w;
}

void CfgWriteLocationKeywords(QMS *r, PRFOUT *out)
{
    char *w = PrfOutReserve(out, NAMES_ROOM);
    if (!w)
        return;
    PrfOutCommit(out, store_names(w, r, out->crlf));
    put_shared(out, "nnames=", r->networkNames);
    put_shared(out, "sgn=", r->securityGroup);
    put_shared(out, "sgd=", r->securityGroupDesc);
    for (int i = 0; i < QMS_NAMELISTS; i++)
        if (r->nameLists[i]) {
            char key[8] = "nms_0=";
            key[4] = (char)('0' + i);
            put_shared(out, key, r->nameLists[i]);
        }
    if (!(w = PrfOutReserve(out, TIMES_ROOM)))
        return;
    PrfOutCommit(out, store_times(w, r, out->crlf));
    static const char *icons[4] = { "qmiconn=", "qmiconb=", "qmicong=", "qmiconf=" };
    for (int i = 0; i < 4; i++)
        put_shared(out, icons[i], r->iconFile[i]);
    put_shared(out, "ccdturl=", r->ccdtUrl);
    if (!(w = PrfOutReserve(out, FLAGS_ROOM)))
        return;
    PrfOutCommit(out, store_flags(w, r, out->crlf));
    PrfPutString(out, "usr=", r->userId, PRF_WHOLE);
}
