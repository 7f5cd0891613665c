/* The JSON channel table reader: a small tokenizer, the walk of the
 * "channel" array with the JSON path of each member, the path table that
 * maps members onto the fields of the channel record, and the completion
 * of each channel with its exit lists and peer name.  Problems are
 * reported one at a time through the caller's callback, with the line, and
 * reading goes on. */
#include "ccdtjson.h"
#include "locstore.h"
#include "cs.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#define TOKEN_MAX  10000
#define PATH_MAX_  59
#define NAME_MAX_  20
#define EXIT_ROOM  9999
#define PEER_MAX   1024
#define DEPTH_MAX  64                  /* nesting read; deeper values are skipped */
#define MESSAGE_SIZE (TOKEN_MAX + 700)

/* ---- the path table ------------------------------------------------------ */

struct JVALUE { const char *name; int32_t value; };
static const JVALUE typeValues[] = { { "clientConnection", 6 }, { nullptr, 0 } };
static const JVALUE headerValues[] = { { "none", 0 }, { "system", 8 }, { nullptr, 0 } };
static const JVALUE messageValues[] = { { "none", 0 }, { "rle", 1 }, { "zlibfast", 2 },
                                        { "zlibhigh", 4 }, { nullptr, 0 } };
static const JVALUE affinityValues[] = { { "none", 0 }, { "preferred", 1 }, { nullptr, 0 } };
static const JVALUE reconnectValues[] = { { "yes", 1 }, { "no", 0 }, { "qmgr", 2 },
                                          { "disabled", 3 }, { nullptr, 0 } };
static const JVALUE keepAliveValues[] = { { "auto", -1 }, { nullptr, 0 } };

struct JPATH { const char *path; int32_t pcfId; const JVALUE *values; };
static const JPATH paths[] = {
    { ".name", 3501, nullptr },
    { ".type", 1511, typeValues },
    { ".clientConnection.queueManager", 2015, nullptr },
    { ".clientConnection.connection.host", 3506, nullptr },
    { ".clientConnection.connection.port", 3506, nullptr },
    { ".compression.header", 1575, headerValues },
    { ".compression.message", 1576, messageValues },
    { ".connectionManagement.affinity", 1621, affinityValues },
    { ".connectionManagement.clientWeight", 1620, nullptr },
    { ".connectionManagement.defaultReconnect", 1640, reconnectValues },
    { ".connectionManagement.disconnectInterval", 1503, nullptr },
    { ".connectionManagement.heartbeatInterval", 1563, nullptr },
    { ".connectionManagement.keepAliveInterval", 1566, keepAliveValues },
    { ".connectionManagement.sharingConversations", 1615, nullptr },
    { ".connectionManagement.localAddress.host", 3520, nullptr },
    { ".connectionManagement.localAddress.port", 3520, nullptr },
    { ".connectionManagement.localAddress.portRange.high", 3520, nullptr },
    { ".connectionManagement.localAddress.portRange.low", 3520, nullptr },
    { ".exits.security.name", 3508, nullptr },
    { ".exits.security.userData", 3513, nullptr },
    { ".exits.receive.name", 3511, nullptr },
    { ".exits.receive.userData", 3516, nullptr },
    { ".exits.send.name", 3510, nullptr },
    { ".exits.send.userData", 3515, nullptr },
    { ".general.description", 3502, nullptr },
    { ".general.maximumMessageLength", 1510, nullptr },
    { ".timestamps.altered", 2028, nullptr },
    { ".transmissionSecurity.certificateLabel", 2121, nullptr },
    { ".transmissionSecurity.certificatePeerName", 3545, nullptr },
    { ".transmissionSecurity.cipherSpecification", 3544, nullptr },
};

/* exit lists of the scratch area, in the tail's order */
enum { SEND_NAME, SEND_DATA, RECEIVE_NAME, RECEIVE_DATA };

/* ---- reader state ------------------------------------------------------- */

/* One member being read, or one element of an array (empty name). */
struct JCONTEXT {
    const JCONTEXT *outer;
    char name[NAME_MAX_ + 1];
};

struct JREADER {
    const char *text;
    size_t length, pos;
    int line;
    const char *file;
    char token[TOKEN_MAX + 1];
    int tokenLength;
    int quoted, eof, error;
    char path[PATH_MAX_ + 1];
    CHLDEF chl;
    /* members collected before they reach the record */
    char connHost[265];
    int32_t connPort;
    int connPortSet;
    char laHost[49];
    int32_t laPort, laLow, laHigh;
    int laPortSet, laLowSet, laHighSet;
    char exits[4][EXIT_ROOM + 1];
    int exitLength[4];
    int exitGiven[4];
    char peer[PEER_MAX + 1];
    int altered;
    JSONREPORT report;
    void *context;
    JSONSINK sink;
    void *sinkContext;
    char message[MESSAGE_SIZE];
};

static void report(JREADER *r, int severity, const char *format, ...)
    __attribute__((format(printf, 3, 4)));

static void report(JREADER *r, int severity, const char *format, ...)
{
    va_list ap;
    va_start(ap, format);
    vsnprintf(r->message, sizeof r->message, format, ap);
    va_end(ap);
    if (r->report)
        r->report(r->context, severity, r->message);
}

#define AT "At line %d of file '%s', "

/* ---- tokens --------------------------------------------------------------- */

static int next_char(JREADER *r)
{
    if (r->pos >= r->length)
        return -1;
    int c = (unsigned char)r->text[r->pos++];
    if (c == '\n')
        r->line++;
    return c;
}

static int is_structural(int c)
{
    return c == '{' || c == '}' || c == '[' || c == ']' || c == ':' || c == ',';
}

static int is_blank(int c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

static void add_char(JREADER *r, int c)
{
    r->token[r->tokenLength++] = (char)c;
}

static void read_string(JREADER *r)
{
    r->quoted = 1;
    while (r->tokenLength < TOKEN_MAX) {
        int c = next_char(r);
        if (c < 0 || c == '"')
            return;
        if (c == '\\') {
            c = next_char(r);
            if (c < 0)
                return;
            switch (c) {
            case 'b': c = 8; break;
            case 'f': c = 12; break;
            case 'n': c = 10; break;
            case 't': c = 9; break;
            default: break;            /* '"', 'r', 'u' and the rest: itself */
            }
        }
        add_char(r, c);
    }
}

static void read_word(JREADER *r, int c)
{
    add_char(r, c);
    while (r->tokenLength < TOKEN_MAX) {
        if (r->pos >= r->length)
            return;
        c = (unsigned char)r->text[r->pos];
        if (is_structural(c))
            return;                    /* left for the next token */
        next_char(r);
        if (is_blank(c))
            return;
        add_char(r, c);
    }
}

/* The next token into r->token; at the end an empty one with eof set. */
static void next_token(JREADER *r)
{
    r->tokenLength = 0;
    r->quoted = 0;
    int c;
    do
        c = next_char(r);
    while (c >= 0 && is_blank(c));
    if (c < 0)
        r->eof = 1;
    else if (c == '"')
        read_string(r);
    else if (is_structural(c))
        add_char(r, c);
    else
        read_word(r, c);
    r->token[r->tokenLength] = 0;
}

/* The current token is the unquoted structural character c. */
static int at(const JREADER *r, char c)
{
    return !r->quoted && r->tokenLength == 1 && r->token[0] == c;
}

/* A required token: passed when current, else reported and left. */
static void expect(JREADER *r, char c)
{
    if (at(r, c)) {
        next_token(r);
        return;
    }
    report(r, JSON_PROBLEM, AT "'%s' found where '%c' expected", r->line, r->file, r->token, c);
    r->error = 1;
}

/* ---- text fields ---------------------------------------------------------- */

/* Characters of a field without trailing blanks and NULs. */
static size_t used_length(const char *field, size_t width)
{
    while (width && (field[width - 1] == ' ' || field[width - 1] == 0))
        width--;
    return width;
}

/* A text copy of a value into a field of width characters: a second value
 * and a value too long are reported; the first width characters of the
 * value replace the field, padded with blanks or ended with a NUL. */
static void copy_text(JREADER *r, char *field, size_t width, int pad, const char *name)
{
    if (used_length(field, pad ? width : strnlen(field, width)))
        report(r, JSON_PROBLEM, AT "field '%s' duplicated", r->line, r->file, name);
    size_t n = (size_t)r->tokenLength;
    if (n > width) {
        report(r, JSON_PROBLEM, AT "value of field '%s' truncated", r->line, r->file, name);
        n = width;
    }
    memcpy(field, r->token, n);
    if (pad)
        memset(field + n, ' ', width - n);
    else
        field[n] = 0;
}

/* Appends text to a blank-padded field, after a "," when the field holds
 * text and comma is set; reports a cut. */
static void field_append(JREADER *r, char *field, size_t width, const char *text, int comma,
                         const char *name)
{
    size_t used = used_length(field, width), add = strlen(text);
    size_t need = add + (comma && used ? 1 : 0);
    if (used + need > width) {
        report(r, JSON_PROBLEM, AT "value of field '%s' truncated", r->line, r->file, name);
        need = width - used;
    }
    char joined[600];
    snprintf(joined, sizeof joined, "%s%s", comma && used ? "," : "", text);
    memcpy(field + used, joined, need);
    memset(field + used + need, ' ', width - used - need);
}

/* ---- numbers ----------------------------------------------------------- */

/* The limits of a channel's numbers, as the queue manager takes them;
 * the ports of connections and local addresses are 16-bit. */
struct JRANGE { int32_t pcfId; int32_t low, high; };
static const JRANGE ranges[] = {
    { 1620, 0, 99 },                   /* client weight */
    { 1503, 0, 999999 },               /* disconnect interval */
    { 1563, 0, 999999 },               /* heartbeat interval */
    { 1566, -1, 99999 },               /* keep-alive interval, -1 auto */
    { 1615, 0, 999999999 },            /* sharing conversations */
    { 1510, 0, 104857600 },            /* maximum message length */
    { 3506, 0, 65535 },                /* connection port */
    { 3520, 0, 65535 },                /* local-address ports */
};

static const JRANGE *range_of(int32_t pcfId)
{
    for (const JRANGE &r : ranges)
        if (r.pcfId == pcfId)
            return &r;
    return nullptr;
}

/* The channel a message names: its name so far. */
static const char *channel_name(JREADER *r, char *out, size_t size)
{
    size_t n = used_length(r->chl.cd.ChannelName, sizeof r->chl.cd.ChannelName);
    if (!n)
        return "(no name yet)";
    snprintf(out, size, "%.*s", (int)n, r->chl.cd.ChannelName);
    return out;
}

/* A whole number of the token within the field's limits: 1 with *value;
 * otherwise the problem is reported, naming field and channel, and the
 * field keeps what it had. */
static int checked_int(JREADER *r, int32_t pcfId, const char *name, int32_t *value)
{
    const char *p = r->token;
    int neg = *p == '-';
    if (*p == '-' || *p == '+')
        p++;
    int64_t v = 0;
    int n = 0;
    for (; p[n] >= '0' && p[n] <= '9'; n++)
        if (v <= INT32_MAX)
            v = v * 10 + (p[n] - '0');
    v = neg ? -v : v;
    const JRANGE *range = range_of(pcfId);
    int64_t low = range ? range->low : INT32_MIN, high = range ? range->high : INT32_MAX;
    char channel[21];
    if (n == 0 || p[n]) {
        report(r, JSON_PROBLEM, AT "value '%s' of field '%s' in channel '%s' is not a number; "
               "the field is not set", r->line, r->file, r->token, name,
               channel_name(r, channel, sizeof channel));
        return 0;
    }
    if (v < low || v > high) {
        report(r, JSON_PROBLEM, AT "value %s of field '%s' in channel '%s' is out of range "
               "(%lld to %lld); the field is not set", r->line, r->file, r->token, name,
               channel_name(r, channel, sizeof channel), (long long)low, (long long)high);
        return 0;
    }
    *value = (int32_t)v;
    return 1;
}

/* A decimal of at most 9 digits with an optional "-": 1 with *value. */
static int small_decimal(const char *p, int32_t *value)
{
    int neg = *p == '-';
    p += neg;
    int n = 0;
    int32_t v = 0;
    for (; p[n] >= '0' && p[n] <= '9'; n++) {
        if (n == 9)
            return 0;
        v = v * 10 + (p[n] - '0');
    }
    if (n == 0 || p[n])
        return 0;
    *value = neg ? -v : v;
    return 1;
}

static const JVALUE *find_value(const JVALUE *table, const char *name)
{
    for (; table && table->name; table++)
        if (strcasecmp(table->name, name) == 0)
            return table;
    return nullptr;
}

/* ---- member handlers ---------------------------------------------------- */

static void exit_value(JREADER *r, int list, const char *name)
{
    if (r->exitGiven[list]) {
        report(r, JSON_PROBLEM, AT "field '%s' is repeated", r->line, r->file, name);
        return;
    }
    r->exitGiven[list] = 1;
    int room = EXIT_ROOM - r->exitLength[list] - 1;     /* one for the 0x02 */
    if (room < 0) {
        report(r, JSON_PROBLEM, AT "no space for field '%s'", r->line, r->file, name);
        return;
    }
    int n = r->tokenLength;
    if (n > room) {
        report(r, JSON_PROBLEM, AT "value of field '%s' truncated", r->line, r->file, name);
        n = room;
    }
    memcpy(r->exits[list] + r->exitLength[list], r->token, (size_t)n);
    r->exitLength[list] += n;
    r->exits[list][r->exitLength[list]++] = 0x02;
}

static void compression_value(JREADER *r, const JPATH *row, const char *name)
{
    const JVALUE *v = find_value(row->values, r->token);
    if (!v) {
        report(r, JSON_PROBLEM, AT "unrecognised value '%s' for field '%s'", r->line, r->file,
               r->token, name);
        return;
    }
    MQLONG *list = row->pcfId == 1575 ? r->chl.cd.HdrCompList : r->chl.cd.MsgCompList;
    int slots = row->pcfId == 1575 ? 2 : 16;
    for (int i = 0; i < slots; i++) {
        if (list[i] == v->value) {
            report(r, JSON_PROBLEM, AT "repeated value '%s' for field '%s'", r->line, r->file,
                   r->token, name);
            return;
        }
        if (list[i] == -1) {
            list[i] = v->value;
            return;
        }
    }
    report(r, JSON_PROBLEM, AT "too many values for field '%s'", r->line, r->file, name);
}

/* Reads n digits; 1 when all were digits. */
static int digits(const char **p, int n, int *value)
{
    *value = 0;
    for (int i = 0; i < n; i++, (*p)++) {
        if (**p < '0' || **p > '9')
            return 0;
        *value = *value * 10 + (**p - '0');
    }
    return 1;
}

static int literal(const char **p, char c)
{
    if (**p != c)
        return 0;
    (*p)++;
    return 1;
}

/* Days from 1970-01-01 to a civil date (month normalised into its year). */
static int64_t days_from_civil(int64_t y, int64_t m, int64_t d)
{
    y += (m - 1) >= 0 ? (m - 1) / 12 : -((12 - m) / 12);
    m = ((m - 1) % 12 + 12) % 12 + 1;
    y -= m <= 2;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    int64_t yoe = y - era * 400;
    int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

/* "YYYY-MM-DDTHH:MM:SS.fff" with an optional zone: 1 with the time. */
int JsonParseAlterTime(const char *text, int64_t *seconds, int *tooSmall)
{
    const char *p = text;
    int y, mo, d, h, mi, s, frac, zh = 0, zm = 0;
    *tooSmall = 0;
    if (!(digits(&p, 4, &y) && literal(&p, '-') && digits(&p, 2, &mo) && literal(&p, '-') &&
          digits(&p, 2, &d) && literal(&p, 'T') && digits(&p, 2, &h) && literal(&p, ':') &&
          digits(&p, 2, &mi) && literal(&p, ':') && digits(&p, 2, &s) && literal(&p, '.') &&
          digits(&p, 3, &frac)))
        return 0;
    int sign = 1;
    if (*p == 'Z' || *p == 'z') {
        p++;
    } else if (*p) {
        if (*p == '-' || *p == '+')
            sign = *p++ == '-' ? -1 : 1;
        if (!digits(&p, 2, &zh))
            return 0;
        literal(&p, ':');
        if (*p && !digits(&p, 2, &zm))
            return 0;
    }
    if (*p)
        return 0;
    /* the fields are a time in UTC; the zone is then taken off */
    int64_t t = days_from_civil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
    if (t < 1000) {
        *tooSmall = 1;
        return 1;
    }
    *seconds = t - sign * ((int64_t)zh * 60 + zm) * 60;
    return 1;
}

static void altered_value(JREADER *r, const char *name)
{
    if (r->altered) {
        report(r, JSON_PROBLEM, AT "field '%s' duplicated", r->line, r->file, name);
        return;
    }
    r->altered = 1;
    int64_t t = 0;
    int tooSmall;
    if (!JsonParseAlterTime(r->token, &t, &tooSmall))
        report(r, JSON_PROBLEM, AT "format of field '%s' incorrect", r->line, r->file, name);
    else if (tooSmall)
        report(r, JSON_PROBLEM, AT "value of field '%s' incorrect", r->line, r->file, name);
    else
        r->chl.alterTime = t;
}

/* Any other field, by its kind in the channel record. */
static void field_value(JREADER *r, const JPATH *row, const char *name)
{
    const CHLFIELD *f = ChlFieldByPcf(row->pcfId);
    if (!f)
        return;
    char *field = (char *)&r->chl + f->offset;
    int32_t v = 0;
    if (f->kind == CHF_CHAR) {
        copy_text(r, field, f->width, 1, name);
        return;
    }
    if (f->kind != CHF_INT)
        return;
    if (!row->values) {
        if (!checked_int(r, row->pcfId, name, &v))
            return;
    } else if (const JVALUE *known = find_value(row->values, r->token)) {
        v = known->value;
    } else if (!small_decimal(r->token, &v)) {
        report(r, JSON_PROBLEM, AT "unrecognised value '%s' for field '%s'", r->line, r->file,
               r->token, name);
        v = 0;
    } else if (const JRANGE *range = range_of(row->pcfId); range && (v < range->low || v > range->high)) {
        checked_int(r, row->pcfId, name, &v);          /* reports the range */
        return;
    }
    memcpy(field, &v, 4);
}

static const JPATH *find_row(const char *path, const char *name)
{
    static size_t lengths[sizeof paths / sizeof paths[0]];
    if (!lengths[0])
        for (size_t i = 0; i < sizeof paths / sizeof paths[0]; i++)
            lengths[i] = strlen(paths[i].path);
    size_t p = strlen(path), n = strlen(name);
    for (size_t i = 0; i < sizeof paths / sizeof paths[0]; i++)
        if (lengths[i] == p && strcasecmp(paths[i].path, path) == 0)
            return &paths[i];
    for (size_t i = 0; i < sizeof paths / sizeof paths[0]; i++) {
        size_t l = lengths[i];
        if (l > n && paths[i].path[l - n - 1] == '.' && strcasecmp(paths[i].path + l - n, name) == 0)
            return &paths[i];
    }
    return nullptr;
}

/* The name of a value: the nearest non-empty name outwards. */
static const char *value_name(const JCONTEXT *c)
{
    for (; c; c = c->outer)
        if (c->name[0])
            return c->name;
    return "";
}

static void scalar(JREADER *r, const JCONTEXT *c)
{
    const char *name = value_name(c);
    const JPATH *row = find_row(r->path, name);
    if (!row) {
        report(r, JSON_PROBLEM, AT "unrecognised field name '%s' found", r->line, r->file, name);
        return;
    }
    switch (row->pcfId) {
    case 3506:
        if (!strcasecmp(name, "host"))
            copy_text(r, r->connHost, 264, 0, name);
        else if (!strcasecmp(name, "port") && checked_int(r, 3506, name, &r->connPort))
            r->connPortSet = 1;
        break;
    case 3520:
        if (!strcasecmp(name, "host"))
            copy_text(r, r->laHost, 48, 0, name);
        else if (!strcasecmp(name, "port") && checked_int(r, 3520, name, &r->laPort))
            r->laPortSet = 1;
        else if (!strcasecmp(name, "low") && checked_int(r, 3520, name, &r->laLow))
            r->laLowSet = 1;
        else if (!strcasecmp(name, "high") && checked_int(r, 3520, name, &r->laHigh))
            r->laHighSet = 1;
        break;
    case 3510: exit_value(r, SEND_NAME, name); break;
    case 3515: exit_value(r, SEND_DATA, name); break;
    case 3511: exit_value(r, RECEIVE_NAME, name); break;
    case 3516: exit_value(r, RECEIVE_DATA, name); break;
    case 1575: case 1576: compression_value(r, row, name); break;
    case 2028: altered_value(r, name); break;
    case 3545: copy_text(r, r->peer, PEER_MAX, 0, name); break;
    default: field_value(r, row, name); break;
    }
}

/* ---- the end of an object -------------------------------------------------- */

static void end_exit_object(JREADER *r, int names)
{
    int data = names + 1;
    if (r->exitGiven[names] != r->exitGiven[data]) {
        /* names and user data stay paired: the missing one gets an empty entry */
        int missing = r->exitGiven[names] ? data : names;
        if (r->exitLength[missing] < EXIT_ROOM)
            r->exits[missing][r->exitLength[missing]++] = 0x02;
    }
    r->exitGiven[names] = r->exitGiven[data] = 0;
}

static void end_connection(JREADER *r)
{
    char text[300];
    if (r->connHost[0] && r->connPortSet)
        snprintf(text, sizeof text, "%s(%d)", r->connHost, (int)r->connPort);
    else if (r->connHost[0])
        snprintf(text, sizeof text, "%s", r->connHost);
    else if (r->connPortSet)
        snprintf(text, sizeof text, "(%d)", (int)r->connPort);
    else
        text[0] = 0;
    if (text[0])
        field_append(r, r->chl.cd.ConnectionName, 264, text, 1, "connection");
    r->connHost[0] = 0;
    r->connPortSet = 0;
}

static void end_local_address(JREADER *r)
{
    int range = r->laLowSet || r->laHighSet;
    if (r->laPortSet && range) {
        report(r, JSON_PROBLEM, AT "'port' ignored because port range specified", r->line, r->file);
        r->laPortSet = 0;
    }
    char text[120];
    char *field = r->chl.cd.LocalAddress;
    int wrote = 1;
    if (r->laHost[0] && r->laPortSet)
        snprintf(text, sizeof text, "%s(%d)", r->laHost, (int)r->laPort);
    else if (r->laHost[0])
        snprintf(text, sizeof text, "%s", r->laHost);
    else if (r->laPortSet)
        snprintf(text, sizeof text, "(%d)", (int)r->laPort);
    else
        wrote = 0;
    if (wrote)
        field_append(r, field, 48, text, 1, "localAddress");
    if (range) {
        if (r->laLowSet && r->laHighSet)
            snprintf(text, sizeof text, "(%d,%d)", (int)r->laLow, (int)r->laHigh);
        else
            snprintf(text, sizeof text, "(%d)", (int)(r->laLowSet ? r->laLow : r->laHigh));
        field_append(r, field, 48, text, !wrote, "localAddress");
    }
    r->laHost[0] = 0;
    r->laPortSet = r->laLowSet = r->laHighSet = 0;
}

static void end_object(JREADER *r, const JCONTEXT *c)
{
    const char *name = value_name(c);
    if (!strcasecmp(name, "send"))
        end_exit_object(r, SEND_NAME);
    else if (!strcasecmp(name, "receive"))
        end_exit_object(r, RECEIVE_NAME);
    else if (!strcasecmp(name, "connection"))
        end_connection(r);
    else if (!strcasecmp(name, "localaddress"))
        end_local_address(r);
}

/* ---- structure ------------------------------------------------------------ */

static void read_value(JREADER *r, const JCONTEXT *c, int depth);

/* Passes over a value nested too deep, brackets balanced. */
static void skip_value(JREADER *r)
{
    int level = 0;
    do {
        if (at(r, '{') || at(r, '['))
            level++;
        else if (at(r, '}') || at(r, ']'))
            level--;
        next_token(r);
    } while (level > 0 && !r->eof);
}

/* 1 when the object's "}" came, 0 when the file ended first. */
static int read_object(JREADER *r, const JCONTEXT *c, int depth)
{
    int closed = 0;
    while (!r->eof) {
        if (at(r, '}')) {
            next_token(r);
            closed = 1;
            break;
        }
        if (at(r, ',')) {
            next_token(r);
            continue;
        }
        JCONTEXT member = { c, "" };
        if (at(r, '{') || at(r, '[')) {
            read_value(r, &member, depth + 1);
            continue;
        }
        if (at(r, ']') || at(r, ':')) {            /* out of place: passed over */
            next_token(r);
            continue;
        }
        /* the path grows by ".name", cut to its room */
        size_t keep = strlen(r->path), room = PATH_MAX_ - keep;
        size_t add = room ? 1 + (size_t)r->tokenLength : 0;
        if (add > room)
            add = room;
        if (add) {
            r->path[keep] = '.';
            memcpy(r->path + keep + 1, r->token, add - 1);
        }
        r->path[keep + add] = 0;
        size_t nameLength = strnlen(r->token, NAME_MAX_);
        memcpy(member.name, r->token, nameLength);
        member.name[nameLength] = 0;
        next_token(r);
        expect(r, ':');
        read_value(r, &member, depth + 1);
        r->path[keep] = 0;
    }
    if (closed)
        end_object(r, c);
    return closed;
}

static void read_array(JREADER *r, const JCONTEXT *c, int depth)
{
    while (!r->eof) {
        if (at(r, ']')) {
            next_token(r);
            return;
        }
        if (at(r, ',')) {
            next_token(r);
            continue;
        }
        if (at(r, '}') || at(r, ':')) {            /* out of place: passed over */
            next_token(r);
            continue;
        }
        JCONTEXT element = { c, "" };
        read_value(r, &element, depth + 1);
    }
}

static void read_value(JREADER *r, const JCONTEXT *c, int depth)
{
    if (depth > DEPTH_MAX) {
        skip_value(r);
        return;
    }
    if (at(r, '{')) {
        next_token(r);
        read_object(r, c, depth);
    } else if (at(r, '[')) {
        next_token(r);
        read_array(r, c, depth);
    } else if (at(r, '}') || at(r, ']') || at(r, ',') || r->eof) {
        return;                                    /* no value: left for the caller */
    } else {
        scalar(r, c);
        next_token(r);
    }
}

/* ---- channels ------------------------------------------------------------- */

static void reset_channel(JREADER *r)
{
    ChlSetDefaults(&r->chl);
    MQCD *d = &r->chl.cd;
    d->ChannelType = 6;
    d->TransportType = 2;
    d->HeartbeatInterval = 1;
    for (int i = 0; i < 2; i++)
        d->HdrCompList[i] = -1;
    for (int i = 0; i < 16; i++)
        d->MsgCompList[i] = -1;
    memset(r->chl.longMcaUser, ' ', sizeof r->chl.longMcaUser);
    r->chl.exitListsLen = 6;
    r->path[0] = 0;
    r->connHost[0] = r->laHost[0] = r->peer[0] = 0;
    r->connPortSet = r->laPortSet = r->laLowSet = r->laHighSet = 0;
    memset(r->exitLength, 0, sizeof r->exitLength);
    memset(r->exitGiven, 0, sizeof r->exitGiven);
    r->altered = 0;
}

/* The tail of the channel being completed: six exit lists, the peer name. */
static size_t build_tail(JREADER *r, unsigned char *out)
{
    size_t n = 0;
    auto put = [&](const void *p, size_t len) {
        if (out)
            memcpy(out + n, p, len);
        n += len;
    };
    static const unsigned char end = 0x01;
    put(&end, 1);
    put(&end, 1);
    for (int i = 0; i < 4; i++) {
        put(r->exits[i], (size_t)r->exitLength[i]);
        put(&end, 1);
    }
    r->chl.exitListsLen = (MQLONG)n;
    size_t peer = strlen(r->peer);
    r->chl.cd.SSLPeerNameLength = (MQLONG)peer;
    put(r->peer, peer);
    return n;
}

static void complete_channel(JREADER *r)
{
    size_t tail = build_tail(r, nullptr);
    r->chl.tailLength = (int32_t)tail;
    unsigned char *block = (unsigned char *)CSGetMem(sizeof(CHLDEF) + tail, "JSONCHL");
    if (!block) {
        report(r, JSON_PROBLEM, "No storage to read file");
        return;
    }
    build_tail(r, block + sizeof(CHLDEF));
    memcpy(block, &r->chl, sizeof(CHLDEF));
    r->sink(r->sinkContext, (CHLDEF *)block);
}

/* The end of the file before the channel list closed: the table is cut
 * off, and a channel begun is not kept. */
static void report_cut(JREADER *r, int inChannel)
{
    char channel[21];
    if (inChannel)
        report(r, JSON_PROBLEM, AT "the file ends inside channel '%s': the table is cut off and "
               "that channel is not read", r->line, r->file, channel_name(r, channel, sizeof channel));
    else
        report(r, JSON_PROBLEM, AT "the file ends before the end of the channel list: the table "
               "is cut off", r->line, r->file);
}

static void read_channels(JREADER *r)
{
    while (!r->eof && !at(r, ']')) {
        if (at(r, ',')) {
            next_token(r);
            continue;
        }
        reset_channel(r);
        JCONTEXT channel = { nullptr, "channel" };
        if (!at(r, '{')) {
            /* no "{": the token is taken as the first member's name and the
               members up to the next "}" are read as one channel */
            report(r, JSON_PROBLEM, AT "'%s' found where channel definition expected", r->line,
                   r->file, r->token);
        } else {
            next_token(r);
        }
        if (!read_object(r, &channel, 1)) {
            report_cut(r, 1);
            return;
        }
        complete_channel(r);
    }
    if (r->eof)
        report_cut(r, 0);
}

int JsonReadText(const char *text, size_t length, const char *file, JSONREPORT reportFn,
                 void *context, JSONSINK sink, void *sinkContext)
{
    JREADER *r = (JREADER *)CSGetMem(sizeof(JREADER), "JSONREADER");
    if (!r) {
        if (reportFn)
            reportFn(context, JSON_PROBLEM, "No storage to read file");
        return 0;
    }
    memset(r, 0, offsetof(JREADER, chl));
    r->text = text;
    r->length = length;
    r->line = 1;
    r->file = file;
    r->report = reportFn;
    r->context = context;
    r->sink = sink;
    r->sinkContext = sinkContext;
    if (length >= 3 && memcmp(text, "\xEF\xBB\xBF", 3) == 0)
        r->pos = 3;                    /* a UTF-8 byte-order mark */
    int ok = 0;
    next_token(r);
    if (!at(r, '{')) {
        report(r, JSON_PROBLEM, "CCDT file '%s' does not appear to be a JSON file", file);
    } else {
        next_token(r);
        if (strcasecmp(r->token, "channel") != 0) {
            report(r, JSON_PROBLEM, "CCDT file '%s' does not appear to contain channel definitions", file);
        } else {
            ok = 1;
            next_token(r);
            expect(r, ':');
            expect(r, '[');
            read_channels(r);
        }
    }
    CSFreeMem(r);
    return ok;
}
