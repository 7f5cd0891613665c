/* Stand-in for the client-connection command definition and its data
 * area, until the object dialogs bring them: a location's client channel
 * settings are the kept "CLN:" lines (QMS.rawClient), written here from a
 * table of client fields in the configuration file's own line format, so
 * that an imported channel survives a save.  Comparing and copying treat
 * the lines as (id, value) pairs; the channel and connection names are the
 * values of 3501 and 3506.  The real definition replaces this file. */
#include "locimport.h"
#include "prftext.h"
#include "cs.h"

#include <cstdlib>
#include <cstring>

enum ClientKind { CK_INT, CK_TEXT, CK_STRINGS, CK_INTS, CK_PEER };

/* The client fields: PCF id, kind, and where the channel record holds it. */
struct CLIENTFIELD {
    int32_t id;
    uint8_t kind;
};
static const CLIENTFIELD clientFields[] = {
    { 3501, CK_TEXT }, { 1511, CK_INT }, { 1501, CK_INT }, { 3502, CK_TEXT },
    { 2015, CK_TEXT }, { 1503, CK_INT }, { 3508, CK_TEXT }, { 1510, CK_INT },
    { 3513, CK_TEXT }, { 3506, CK_TEXT }, { 1563, CK_INT }, { 3510, CK_STRINGS },
    { 3515, CK_STRINGS }, { 3511, CK_STRINGS }, { 3516, CK_STRINGS }, { 3544, CK_TEXT },
    { 3545, CK_PEER }, { 1566, CK_INT }, { 3520, CK_TEXT }, { 1575, CK_INTS },
    { 1576, CK_INTS }, { 1615, CK_INT }, { 1620, CK_INT }, { 1621, CK_INT },
    { 1640, CK_INT }, { 2121, CK_TEXT },
};

static void put(CSDATA *d, const char *text)
{
    CSDataAppend(d, text, strlen(text), 0);
}

/* A text quoted as the configuration file quotes it, trailing blanks and
 * the field's NUL padding dropped. */
static void put_quoted(CSDATA *d, const char *text, size_t width)
{
    size_t n = strnlen(text, width);
    while (n && text[n - 1] == ' ')
        n--;
    put(d, "\"");
    for (size_t i = 0; i < n; i++) {
        if (text[i] == '"' || text[i] == '~')
            put(d, "~");
        CSDataAppend(d, text + i, 1, 0);
    }
    put(d, "\"");
}

static void put_line(CSDATA *d, int32_t id, const char *rest)
{
    char head[32];
    snprintf(head, sizeof head, "%s%5d=%s", d->length ? "\n" : "", (int)id, rest);
    put(d, head);
}

static void write_field(CSDATA *d, const CLIENTFIELD *cf, const CHLDEF *c)
{
    const CHLFIELD *f = ChlFieldByPcf(cf->id);
    const char *field = (const char *)c + f->offset;
    char number[24];
    switch (cf->kind) {
    case CK_INT: {
        int32_t v;
        memcpy(&v, field, 4);
        snprintf(number, sizeof number, "%d", (int)v);
        put_line(d, cf->id, number);
        break;
    }
    case CK_TEXT:
        if (UTTrimmedLength(field, f->width) == 0)
            return;
        put_line(d, cf->id, "");
        put_quoted(d, field, f->width);
        break;
    case CK_PEER:
        if (!c->cd.SSLPeerNamePtr || c->cd.SSLPeerNameLength <= 0)
            return;
        put_line(d, cf->id, "");
        put_quoted(d, (const char *)c->cd.SSLPeerNamePtr, (size_t)c->cd.SSLPeerNameLength);
        break;
    case CK_STRINGS: {
        const CHLEXITLIST *list;
        memcpy(&list, field, sizeof list);
        if (!list || list->count <= 0)
            return;
        snprintf(number, sizeof number, "%d", (int)list->count);
        put_line(d, cf->id, number);
        for (int i = 0; i < list->count; i++) {
            put(d, "\n");
            put_quoted(d, list->entries + (size_t)i * (size_t)list->entryLength,
                       (size_t)list->entryLength);
        }
        break;
    }
    case CK_INTS: {
        int32_t v[16];
        int n = 0;
        memcpy(v, field, 4 * (size_t)f->width);
        while (n < f->width && v[n] != -1)
            n++;
        if (!n)
            return;
        snprintf(number, sizeof number, "%d", n);
        put_line(d, cf->id, number);
        for (int i = 0; i < n; i++) {
            snprintf(number, sizeof number, " %d", (int)v[i]);
            put(d, number);
        }
        break;
    }
    }
}

int ConvertChannel(const CHLDEF *channel, QMS *location)
{
    CSDATA d = {};
    for (const CLIENTFIELD &cf : clientFields)
        write_field(&d, &cf, channel);
    char *text = (char *)CSGetMem(d.length + 1, "pClCfgData");
    if (!text) {
        CSDataFree(&d);
        return 1;
    }
    memcpy(text, d.data, d.length);
    text[d.length] = 0;
    CSDataFree(&d);
    CSFreeMemAndClear(&location->rawClient);
    location->rawClient = text;
    return 0;
}

int ImportHasClient(const QMS *location)
{
    return location->rawClient != nullptr;
}

int ImportClientEqual(const QMS *a, const QMS *b)
{
    if (!a->rawClient || !b->rawClient)
        return !a->rawClient && !b->rawClient;
    PRFIN x, y;
    PrfOpenText(&x, a->rawClient, strlen(a->rawClient));
    PrfOpenText(&y, b->rawClient, strlen(b->rawClient));
    static char tx[PRF_TOKEN_SIZE], ty[PRF_TOKEN_SIZE];
    for (;;) {
        uint32_t qx, qy;
        int nx = PrfGetToken(&x, &qx, 0, tx), ny = PrfGetToken(&y, &qy, 0, ty);
        if (nx != ny || qx != qy || memcmp(tx, ty, (size_t)nx) != 0)
            return 0;
        if (nx == 0 && !qx)
            return 1;
    }
}

int ImportClientCopy(QMS *to, const QMS *from)
{
    CSFreeMemAndClear(&to->rawClient);
    if (!from->rawClient)
        return 0;
    size_t n = strlen(from->rawClient) + 1;
    to->rawClient = (char *)CSGetMem(n, "pClCfgData");
    if (!to->rawClient)
        return 1;
    memcpy(to->rawClient, from->rawClient, n);
    return 0;
}

void ImportClientNames(const QMS *location, char *channel, char *connection)
{
    channel[0] = connection[0] = 0;
    for (const char *line = location->rawClient; line && *line;) {
        const char *end = strchr(line, '\n');
        size_t n = end ? (size_t)(end - line) : strlen(line);
        char *eq;
        long id = strtol(line, &eq, 10);
        if (eq > line && *eq == '=' && (id == 3501 || id == 3506)) {
            /* the quoted value read back as the configuration reader reads it */
            PRFIN in;
            PrfOpenText(&in, eq + 1, n - (size_t)(eq + 1 - line));
            char token[PRF_TOKEN_SIZE];
            uint32_t q;
            PrfGetToken(&in, &q, 0, token);
            UTStrCopy(id == 3501 ? channel : connection, token, id == 3501 ? CHL_NAME + 1 : 265);
        }
        line += n + (end ? 1 : 0);
    }
}
