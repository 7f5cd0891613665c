/* Import from MQ Explorer export files: the queue manager handles of the
 * connection information, their attributes into candidate entries, cipher
 * suite names into channel cipher specifications, and the sets into the
 * entries' groups and network names.  Not an XML parser: the text is
 * searched for fixed element openings and attribute lists are split by a
 * small tokenizer. */
#include "impint.h"
#include "cs.h"

#include <cstddef>
#include <cstring>
#include <strings.h>

#define ERROR_CAPTION "MQ Explorer Import Error"
#define CATEGORY "<category IMemento.internal.id=\"com.ibm.mq.explorer.ui.category.conn.info\">"
#define SUBCATEGORY "<subcategory IMemento.internal.id=\"com.ibm.mq.explorer.ui.subcategory.handles\">"
#define HANDLE "<QueueManagerHandle "
#define TOKEN_SIZE 1200

/* ---- cipher names ------------------------------------------------------------ */

static const char *const ciphers[][3] = {
    { "ECDHE_ECDSA_3DES_EDE_CBC_SHA256", "SSL_ECDHE_ECDSA_WITH_3DES_EDE_CBC_SHA", "TLS_ECDHE_ECDSA_WITH_3DES_EDE_CBC_SHA" },
    { "ECDHE_ECDSA_AES_128_CBC_SHA256", "SSL_ECDHE_ECDSA_WITH_AES_128_CBC_SHA256", "TLS_ECDHE_ECDSA_WITH_AES_128_CBC_SHA256" },
    { "ECDHE_ECDSA_AES_128_GCM_SHA256", "SSL_ECDHE_ECDSA_WITH_AES_128_GCM_SHA256", "TLS_ECDHE_ECDSA_WITH_AES_128_GCM_SHA256" },
    { "ECDHE_ECDSA_AES_256_CBC_SHA384", "SSL_ECDHE_ECDSA_WITH_AES_256_CBC_SHA384", "TLS_ECDHE_ECDSA_WITH_AES_256_CBC_SHA384" },
    { "ECDHE_ECDSA_AES_256_GCM_SHA384", "SSL_ECDHE_ECDSA_WITH_AES_256_GCM_SHA384", "TLS_ECDHE_ECDSA_WITH_AES_256_GCM_SHA384" },
    { "ECDHE_ECDSA_NULL_SHA256", "SSL_ECDHE_ECDSA_WITH_NULL_SHA", "TLS_ECDHE_ECDSA_WITH_NULL_SHA" },
    { "ECDHE_ECDSA_RC4_128_SHA256", "SSL_ECDHE_ECDSA_WITH_RC4_128_SHA", "TLS_ECDHE_ECDSA_WITH_RC4_128_SHA" },
    { "ECDHE_RSA_3DES_EDE_CBC_SHA256", "SSL_ECDHE_RSA_WITH_3DES_EDE_CBC_SHA", "TLS_ECDHE_RSA_WITH_3DES_EDE_CBC_SHA" },
    { "ECDHE_RSA_AES_128_CBC_SHA256", "SSL_ECDHE_RSA_WITH_AES_128_CBC_SHA256", "TLS_ECDHE_RSA_WITH_AES_128_CBC_SHA256" },
    { "ECDHE_RSA_AES_128_GCM_SHA256", "SSL_ECDHE_RSA_WITH_AES_128_GCM_SHA256", "TLS_ECDHE_RSA_WITH_AES_128_GCM_SHA256" },
    { "ECDHE_RSA_AES_256_CBC_SHA384", "SSL_ECDHE_RSA_WITH_AES_256_CBC_SHA384", "TLS_ECDHE_RSA_WITH_AES_256_CBC_SHA384" },
    { "ECDHE_RSA_AES_256_GCM_SHA384", "SSL_ECDHE_RSA_WITH_AES_256_GCM_SHA384", "TLS_ECDHE_RSA_WITH_AES_256_GCM_SHA384" },
    { "ECDHE_RSA_NULL_SHA256", "SSL_ECDHE_RSA_WITH_NULL_SHA", "TLS_ECDHE_RSA_WITH_NULL_SHA" },
    { "ECDHE_RSA_RC4_128_SHA256", "SSL_ECDHE_RSA_WITH_RC4_128_SHA", "TLS_ECDHE_RSA_WITH_RC4_128_SHA" },
    { "TLS_RSA_WITH_3DES_EDE_CBC_SHA", "SSL_RSA_WITH_3DES_EDE_CBC_SHA", "TLS_RSA_WITH_3DES_EDE_CBC_SHA" },
    { "TLS_RSA_WITH_AES_128_CBC_SHA", "SSL_RSA_WITH_AES_128_CBC_SHA", "TLS_RSA_WITH_AES_128_CBC_SHA" },
    { "TLS_RSA_WITH_AES_128_CBC_SHA256", "SSL_RSA_WITH_AES_128_CBC_SHA256", "TLS_RSA_WITH_AES_128_CBC_SHA256" },
    { "TLS_RSA_WITH_AES_128_GCM_SHA256", "SSL_RSA_WITH_AES_128_GCM_SHA256", "TLS_RSA_WITH_AES_128_GCM_SHA256" },
    { "TLS_RSA_WITH_AES_256_CBC_SHA", "SSL_RSA_WITH_AES_256_CBC_SHA", "TLS_RSA_WITH_AES_256_CBC_SHA" },
    { "TLS_RSA_WITH_AES_256_CBC_SHA256", "SSL_RSA_WITH_AES_256_CBC_SHA256", "TLS_RSA_WITH_AES_256_CBC_SHA256" },
    { "TLS_RSA_WITH_AES_256_GCM_SHA384", "SSL_RSA_WITH_AES_256_GCM_SHA384", "TLS_RSA_WITH_AES_256_GCM_SHA384" },
    { "TLS_RSA_WITH_DES_CBC_SHA", "SSL_RSA_WITH_DES_CBC_SHA", "SSL_RSA_WITH_DES_CBC_SHA" },
    { "TLS_RSA_WITH_NULL_SHA256", "SSL_RSA_WITH_NULL_SHA256", "TLS_RSA_WITH_NULL_SHA256" },
    { "TLS_RSA_WITH_RC4_128_SHA256", "SSL_RSA_WITH_RC4_128_SHA", "SSL_RSA_WITH_RC4_128_SHA" },
};

void ImportMapCipher(char *cipher)
{
    for (auto &row : ciphers)
        if (!strcasecmp(cipher, row[1]) || !strcasecmp(cipher, row[2])) {
            strcpy(cipher, row[0]);    /* never longer than the 64 read */
            return;
        }
}

/* ---- tokens ------------------------------------------------------------------------ */

static int is_single(char c)
{
    return c && strchr("()[]!|&<>-+*/=,;", c) != nullptr;
}

static int ends_word(char c)
{
    return !c || c == ' ' || c == '\n' || c == '\t' || c == '\r' || is_single(c);
}

int ScanToken(const char **cursor, char *token, int size, int *length)
{
    const char *p = *cursor;
    int n = 0;
    auto put = [&](char c) {
        if (n < size - 1)
            token[n++] = c;
    };
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n')
        p++;
    if (!*p) {
        *cursor = p;
        token[0] = 0;
        *length = 0;
        return 1;
    }
    static const char *const pairs[] = { "<>", "!=", ">=", "<=", "==" };
    const char *pair = nullptr;
    for (const char *q : pairs)
        if (p[0] == q[0] && p[1] == q[1])
            pair = q;
    if (*p == '"') {
        for (p++; *p && *p != '"'; p++)
            put(*p);
        if (*p)
            p++;
    } else if (pair) {
        put(*p++);
        put(*p++);
    } else if (is_single(*p)) {
        put(*p++);
    } else {
        while (!ends_word(*p))
            put(*p++);
    }
    token[n] = 0;
    /* "&quot;" stands for a double quote; other entities stay */
    char *q;
    while ((q = strstr(token, "&quot;")) != nullptr) {
        *q = '"';
        memmove(q + 1, q + 6, strlen(q + 6) + 1);
        n -= 5;
    }
    *cursor = p;
    *length = n;
    return 0;
}

/* The value after an attribute name: the next token, or the one after an
 * "="; a value still in double quotes loses them.  0 at the end. */
static int read_value(const char **p, char *value)
{
    int n;
    if (ScanToken(p, value, TOKEN_SIZE, &n))
        return 0;
    if (!strcmp(value, "=") && ScanToken(p, value, TOKEN_SIZE, &n))
        return 0;
    if (value[0] == '"') {
        n = n >= 2 ? n - 2 : 0;
        memmove(value, value + 1, (size_t)n);
        value[n] = 0;
    }
    return 1;
}

/* Passes over the "=" and value of an attribute that is not taken. */
static void skip_value(const char **p)
{
    const char *keep = *p;
    char token[TOKEN_SIZE];
    int n;
    if (!ScanToken(p, token, sizeof token, &n) && !strcmp(token, "=")) {
        ScanToken(p, token, sizeof token, &n);
        return;
    }
    *p = keep;
}

/* ---- handles ------------------------------------------------------------------------- */

enum AttrKind { AT_TEXT, AT_INT, AT_EXITNAME, AT_CIPHER };
struct ATTRIBUTE {
    const char *name;
    uint8_t kind;
    uint16_t width;                    /* characters kept */
    size_t offset;                     /* in IMPORTENTRY */
};
#define E(f) offsetof(IMPORTENTRY, f)
static const ATTRIBUTE attributes[] = {
    { "name", AT_TEXT, QMS_NAME, E(qmName) },
    { "channel", AT_TEXT, CHL_NAME, E(channel) },
    { "connName", AT_TEXT, 264, E(connection) },          /* 266 read, 264 kept */
    { "connNames", AT_TEXT, 264, E(connection) },
    { "platform", AT_INT, 0, E(platform) },
    { "commandLevel", AT_INT, 0, E(commandLevel) },
    { "uniqueId", AT_TEXT, 127, E(uniqueId) },
    { "userid", AT_TEXT, 64, E(userId) },
    { "SSLPeerName", AT_TEXT, 1000, E(peerName) },
    { "sslciphersuite", AT_CIPHER, 64, E(cipher) },
    { "ChannelDefTable", AT_TEXT, 260, E(ccdt) },
    { "SecurityExitLocation", AT_TEXT, 128, E(securityExit) },
    { "securityexitname", AT_EXITNAME, 128, E(securityExit) },
    { "securityexitdata", AT_TEXT, 32, E(securityData) },
    { "viaQueueManagerName", AT_TEXT, QMS_NAME, E(viaQm) },   /* 50 read, 48 kept */
    { "viaConnectionType", AT_INT, 0, E(viaConnection) },
    { "autoReconnect", AT_INT, 0, E(autoReconnect) },
};
#undef E

/* As atoi, saturating. */
static int32_t to_int(const char *p)
{
    int neg = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    int64_t v = 0;
    for (; *p >= '0' && *p <= '9'; p++)
        if (v < 3000000000LL)
            v = v * 10 + (*p - '0');
    v = neg ? -v : v;
    return (int32_t)(v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : v);
}

static void apply(IMPORTENTRY *e, const ATTRIBUTE *a, const char *value)
{
    char *field = (char *)e + a->offset;
    switch (a->kind) {
    case AT_TEXT:
        UTStrCopy(field, value, (size_t)a->width + 1);
        break;
    case AT_CIPHER:
        UTStrCopy(field, value, (size_t)a->width + 1);
        ImportMapCipher(field);
        break;
    case AT_INT: {
        int32_t v = to_int(value);
        memcpy(field, &v, 4);
        break;
    }
    case AT_EXITNAME: {
        size_t used = strlen(field);
        if (!value[0])
            field[0] = 0;              /* a location without a name is no exit */
        else
            UTStrCopy(field + used, value, a->width + 1 - used);
        break;
    }
    }
}

int ParseQMgrHandle(const char *element, IMPORTENTRY *e)
{
    const char *p = element;
    char token[TOKEN_SIZE], value[TOKEN_SIZE];
    int n;
    while (!ScanToken(&p, token, sizeof token, &n)) {
        const ATTRIBUTE *a = nullptr;
        for (const ATTRIBUTE &x : attributes)
            if (!strcasecmp(x.name, token))
                a = &x;
        if (!a) {
            skip_value(&p);
            continue;
        }
        if (!read_value(&p, value))
            break;
        apply(e, a, value);
    }
    return e->qmName[0] != 0;
}

/* ---- sets ---------------------------------------------------------------------------- */

static IMPORTENTRY *find_unique(IMPORTLIST *list, const char *id)
{
    for (IMPORTENTRY *e = list->entries; e; e = e->next)
        if (e->uniqueId[0] && !strcmp(e->uniqueId, id))
            return e;
    return nullptr;
}

static void join_set(IMPORTENTRY *e, const char *set)
{
    if (!e->group[0])
        UTStrCopy(e->group, set, sizeof e->group);
    size_t len = strlen(set), used = strlen(e->networkNames);
    if (len >= 20 || used + len + 1 >= sizeof e->networkNames)
        return;
    if (used)
        e->networkNames[used++] = ',';
    strcpy(e->networkNames + used, set);
}

static void read_set(IMPORTLIST *list, const char *element)
{
    char token[TOKEN_SIZE], value[TOKEN_SIZE], name[TOKEN_SIZE] = "";
    int n;
    const char *p = element;
    while (!ScanToken(&p, token, sizeof token, &n)) {
        if (strcmp(token, "Name") != 0) {
            skip_value(&p);
            continue;
        }
        if (!read_value(&p, value))
            break;
        strcpy(name, value);
    }
    if (!name[0] || !strcmp(name, "All"))
        return;
    for (p = element; !ScanToken(&p, token, sizeof token, &n);) {
        if (strncmp(token, "MembershipList_", 15) != 0) {
            skip_value(&p);
            continue;
        }
        if (!read_value(&p, value))
            break;
        if (IMPORTENTRY *e = find_unique(list, value))
            join_set(e, name);
    }
}

/* ---- the file ---------------------------------------------------------------------- */

/* The end of the element opening at start (its matching ">"), or end. */
static const char *element_end(const char *start, const char *end)
{
    int depth = 0;
    for (const char *p = start; p < end; p++) {
        if (*p == '<')
            depth++;
        else if (*p == '>' && --depth == 0)
            return p + 1;
    }
    return end;
}

/* Calls fn with each element of the text between start and end that
 * begins with opening, as a NUL-terminated copy. */
static void each_element(IMPORTLIST *list, const char *start, const char *end, const char *opening,
                         void (*fn)(IMPORTLIST *, const char *))
{
    int olen = (int)strlen(opening);
    const char *p = start;
    while (p < end) {
        const char *h = UTMemFindRange(p, end, opening, olen);
        if (!h)
            break;
        const char *stop = element_end(h, end);
        size_t n = (size_t)(stop - h);
        char *copy = (char *)CSGetMem(n + 1, "MQEXELEM");
        if (!copy)
            break;
        memcpy(copy, h, n);
        copy[n] = 0;
        fn(list, copy);
        CSFreeMem(copy);
        p = stop;
    }
}

static void read_handle(IMPORTLIST *list, const char *element)
{
    IMPORTENTRY *e = ImportNewEntry(list, "");
    if (!e)
        return;
    if (!ParseQMgrHandle(element, e)) {
        CSFreeMem(e);
        return;
    }
    e->next = list->entries;
    list->entries = e;
}

void ParseMQExplorerXml(IMPORTLIST *list, const char *text)
{
    ImportFreeEntries(list);
    const char *end = text + strlen(text);
    const char *sets = strstr(text, "<Sets ");
    const char *setsEnd = strstr(text, "</Sets>");
    const char *category = strstr(text, CATEGORY);
    const char *handles = category ? strstr(category, SUBCATEGORY) : nullptr;
    if (handles) {
        const char *handlesEnd = strstr(handles, "</subcategory>");
        each_element(list, handles, handlesEnd ? handlesEnd : end, HANDLE, read_handle);
    }
    if (sets)
        each_element(list, sets, setsEnd && setsEnd > sets ? setsEnd : end, "<Set_", read_set);
    ImportMarkEntries(list);
    if (!list->entries)
        ImportBox(list, "No MQ Explorer Client Locations found in the file.", ERROR_CAPTION, 1);
}

void ReadMQExplorerFile(IMPORTLIST *list)
{
    if (!list->fileName[0]) {
        ImportBox(list, "Please enter an MQ Explorer Configuration XML Export file name", ERROR_CAPTION, 1);
        return;
    }
    FILE *f = fopen(list->fileName, "rb");
    char *text = nullptr;
    size_t length = 0;
    if (f) {
        text = CSFileLoad(f, &length);
        fclose(f);
    }
    if (!text) {
        char message[IMP_FILE_SIZE + 40];
        snprintf(message, sizeof message, "Can not open file '%s'", list->fileName);
        ImportBox(list, message, ERROR_CAPTION, 1);
        return;
    }
    ParseMQExplorerXml(list, text);
    CSFreeMem(text);
}
