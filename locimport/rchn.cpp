/* The channel list over a binary table: finding the table from a file
 * specification and the IBM MQ environment, walking its channels in name
 * order, finding one by name, and the single channel of MQSERVER. */
#include "ccdtjson.h"
#include "locstore.h"
#include "cs.h"

#include <cstdlib>
#include <cstring>

#define TOO_LARGE "Channel File name too large"
#define STORED_START 65536             /* first size of the stored-record buffer */

static int bad_handle(const RCHN *h, char *error)
{
    if (h && memcmp(h->eye, "RCHN", 4) == 0)
        return 0;
    snprintf(error, CHL_ERROR_SIZE, "Bad file handle");
    return RCHN_BADHANDLE;
}

/* An environment value that is set and not empty; -1 when too long. */
static int env_value(const char *name, const char **value)
{
    const char *v = getenv(name);
    *value = v && v[0] ? v : nullptr;
    return v && strlen(v) >= 256 ? -1 : 0;
}

int RchnResolvePath(const char *spec, char *path, char *error)
{
    size_t n = strlen(spec);
    if (n >= 256) {
        snprintf(error, CHL_ERROR_SIZE, TOO_LARGE);
        return RCHN_BADHANDLE;
    }
    int namesFile = n && spec[0] != '*' && !CSIsPathSep(spec[n - 1]);
    int hasSep = strpbrk(spec, "\\/:") != nullptr;
    char dir[CHL_PATH_SIZE];
    const char *env;
    if (!hasSep) {
        if (env_value("MQCHLLIB", &env) < 0) {
            snprintf(error, CHL_ERROR_SIZE, TOO_LARGE);
            return RCHN_BADHANDLE;
        }
        if (env)
            snprintf(dir, sizeof dir, "%s", env);
        else if (!LocHostMQDataPath(dir, sizeof dir))
            snprintf(dir, sizeof dir, "%s", CSPathSep == '/' ? "/var/mqm" : "c:\\mqm");
    } else if (namesFile) {
        snprintf(path, CHL_PATH_SIZE, "%s", spec);
        return 0;
    } else {
        snprintf(dir, sizeof dir, "%s", spec);
    }
    size_t d = strlen(dir);
    if (d && CSIsPathSep(dir[d - 1]))
        dir[--d] = 0;
    const char *file = spec;
    if (!namesFile) {
        if (env_value("MQCHLTAB", &env) < 0) {
            snprintf(error, CHL_ERROR_SIZE, TOO_LARGE);
            return RCHN_BADHANDLE;
        }
        file = env ? env : "AMQCLCHL.TAB";
    }
    if (d + strlen(file) > 246) {
        snprintf(error, CHL_ERROR_SIZE, TOO_LARGE);
        return RCHN_BADHANDLE;
    }
    strcpy(path, dir);                 /* the lengths were checked above */
    if (!CSIsPathSep(file[0]))
        strcat(path, CSPathSepString);
    strcat(path, file);
    return 0;
}

RCHN *RchnNewHandle(int32_t kind, char *error)
{
    RCHN *h = (RCHN *)CSGetMem(sizeof(RCHN), "RCHN");
    if (!h) {
        snprintf(error, CHL_ERROR_SIZE, "Storage not available");
        return nullptr;
    }
    memset(h, 0, sizeof *h);
    memcpy(h->eye, "RCHN", 4);
    h->kind = kind;
    return h;
}

int RchnOpen(char *spec, RCHN **handle, char *error)
{
    RCHN *h = *handle = RchnNewHandle(0, error);
    if (!h)
        return RCHN_NOSTORAGE;
    const char *server = getenv("MQSERVER");
    if (spec[0] == '!' && server) {
        snprintf(h->path, sizeof h->path, "%s", spec);
        return 0;
    }
    int rc = RchnResolvePath(spec, h->path, error);
    if (rc == 0) {
        rc = CcdtOpen(h->path, CHL_NAME, &h->file);
        if (rc == CCDT_BADSIG) {
            snprintf(error, CHL_ERROR_SIZE, "File '%s' does not appear to be binary CCDT file", h->path);
            rc = RCHN_NOTBINARY;
        } else if (rc == CCDT_NOFILE) {
            snprintf(error, CHL_ERROR_SIZE, "Can not find file '%s'", h->path);
            rc = RCHN_NOFILE;
        } else if (rc) {
            snprintf(error, CHL_ERROR_SIZE, "Error accessing file '%s' RC[%d]", h->path, rc);
            rc = RCHN_ACCESS;
        }
    }
    if (rc) {
        CSFreeMem(h);
        *handle = nullptr;
        return rc;
    }
    snprintf(spec, CHL_PATH_SIZE, "%s", h->path);
    return 0;
}

int RchnClose(RCHN *h, char *error)
{
    if (bad_handle(h, error))
        return RCHN_BADHANDLE;
    memset(h->eye, 0, 4);
    if (h->file)
        CcdtClose(h->file);
    CSFreeMemAndClear(&h->stored);
    CSFreeMem(h);
    return 0;
}

/* Copies a channel record into the caller's buffer; when it does not fit,
 * its leading part with 10011. */
static int hand_out(RCHN *h, const CHLDEF *c, size_t length, CHLDEF *out, size_t *outLength,
                    char *error)
{
    size_t room = *outLength;
    *outLength = length;
    h->returned = 1;
    if (length <= room) {
        memcpy(out, c, length);
        return 0;
    }
    memcpy(out, c, room);
    if (room >= sizeof(CHLDEF))
        out->tailLength = (int32_t)(room - sizeof(CHLDEF));
    snprintf(error, CHL_ERROR_SIZE, "AMQ8147: WebSphere MQ channel '%s' too large", h->lastName);
    return RCHN_TOOLARGE;
}

/* Reads a stored record into the handle's buffer, growing it to the
 * record's size. */
static int read_stored(RCHN *h, const unsigned char *key, int mode, size_t *length)
{
    if (!h->stored) {
        h->stored = (unsigned char *)CSGetMem(STORED_START, "CCDTREC");
        if (!h->stored)
            return CCDT_NOSTORAGE;
        h->storedSize = STORED_START;
    }
    *length = h->storedSize;
    int rc = CcdtReadRecord(h->file, key, h->stored, length, mode);
    if (rc != CCDT_TOOLONG)
        return rc;
    /* the content lies inside the file, so the size is bounded by it */
    unsigned char *bigger = (unsigned char *)CSGetMem(*length, "CCDTREC");
    if (!bigger)
        return CCDT_TOOLONG;
    CSFreeMem(h->stored);
    h->stored = bigger;
    h->storedSize = *length;
    unsigned char again[CHL_NAME];
    memcpy(again, h->file->lastKey, CHL_NAME);
    return CcdtReadRecord(h->file, again, h->stored, length, 1);
}

/* One channel by key and mode, converted and handed out: from where it
 * lies in a table held whole, else from a copy in the handle's buffer. */
static int read_channel(RCHN *h, const unsigned char *key, int mode, CHLDEF *out,
                        size_t *outLength, char *error)
{
    const unsigned char *record = nullptr;
    size_t n = 0;
    int rc = h->file ? CcdtRecordView(h->file, key, mode, &record, &n) : CCDT_NOHANDLE;
    if (rc == 0 && !record) {
        rc = read_stored(h, key, mode, &n);
        record = h->stored;
    }
    if (rc == CCDT_NOTFOUND || (rc == CCDT_NOHANDLE && mode == 2))
        return RCHN_END;
    if (rc == CCDT_TOOLONG) {
        snprintf(h->lastName, sizeof h->lastName, "%.20s", (const char *)h->file->lastKey);
        snprintf(error, CHL_ERROR_SIZE, "AMQ8147: WebSphere MQ channel '%s' too large", h->lastName);
        return RCHN_TOOLARGE;
    }
    if (rc) {
        snprintf(error, CHL_ERROR_SIZE, "Error accessing file RC(%d)", rc);
        return RCHN_ACCESS;
    }
    memcpy(h->lastName, record, CHL_NAME);
    h->lastName[CHL_NAME] = 0;
    size_t needed;
    rc = ChlConvertInto(record, n, out, *outLength, &needed, error);
    if (rc == 0) {
        *outLength = needed;
        h->returned = 1;
        return 0;
    }
    if (rc != RCHN_TOOLARGE)
        return rc;
    /* too large for the caller: its leading part from a converted copy */
    CHLDEF *c;
    size_t length;
    if ((rc = ConvertChannelRecord(record, n, &c, &length, error)) != 0)
        return rc;
    rc = hand_out(h, c, length, out, outLength, error);
    CSFreeMem(c);
    return rc;
}

/* ---- the MQSERVER channel --------------------------------------------- */

static void put_padded(char *field, const char *text, size_t textLength, size_t width)
{
    memset(field, ' ', width);
    memcpy(field, text, textLength < width ? textLength : width);
}

static int invalid(char *error, const char *what, const char *value)
{
    snprintf(error, CHL_ERROR_SIZE, "Invalid MQSERVER Environment variable %s'%s'", what, value);
    return RCHN_MQSERVER;
}

static const struct { const char *name; int32_t type; } transports[] = {
    { "TCP", 2 }, { "NETBIOS", 3 }, { "LU62", 1 }, { "SPX", 4 },
};

static int server_channel(RCHN *h, CHLDEF *out, size_t *outLength, char *error)
{
    const char *env = getenv("MQSERVER");
    if (!env)
        return RCHN_END;
    char value[101];
    snprintf(value, sizeof value, "%s", env);
    CHLDEF c;
    ChlSetDefaults(&c);
    c.cd.ChannelType = 6;
    put_padded(c.cd.QMgrName, "*", 1, sizeof c.cd.QMgrName);
    c.cd.HeartbeatInterval = 1;
    char *s1 = strchr(value, '/');
    char *s2 = s1 ? strchr(s1 + 1, '/') : nullptr;
    if (!s2)
        return invalid(error, "", value);
    put_padded(c.cd.ChannelName, value, (size_t)(s1 - value), CHL_NAME);
    c.cd.TransportType = 0;
    for (auto &t : transports)
        if ((size_t)(s2 - s1 - 1) == strlen(t.name) && strncasecmp(s1 + 1, t.name, strlen(t.name)) == 0)
            c.cd.TransportType = t.type;
    if (!c.cd.TransportType)
        return invalid(error, "protocol ", value);
    const char *conn = s2 + 1;
    size_t connLength = strlen(conn);
    const char *slash = strchr(conn, '/');
    if (c.cd.TransportType == 1 && slash) {
        /* connection/mode/transaction program[/ *] */
        connLength = (size_t)(slash - conn);
        const char *mode = slash + 1, *tp = strchr(mode, '/');
        if (!tp)
            return invalid(error, "", value);
        put_padded(c.cd.ModeName, mode, (size_t)(tp - mode), sizeof c.cd.ModeName);
        tp++;
        const char *fourth = strchr(tp, '/');
        put_padded(c.cd.TpName, tp, fourth ? (size_t)(fourth - tp) : strlen(tp), sizeof c.cd.TpName);
        if (fourth && strcmp(fourth + 1, "*") != 0)
            return invalid(error, "", value);
        if (fourth)
            put_padded(c.cd.UserIdentifier, "*", 1, sizeof c.cd.UserIdentifier);
    }
    put_padded(c.cd.ConnectionName, conn, connLength, sizeof c.cd.ConnectionName);
    memcpy(h->lastName, c.cd.ChannelName, CHL_NAME);
    h->lastName[CHL_NAME] = 0;
    return hand_out(h, &c, sizeof c, out, outLength, error);
}

/* ---- walking and finding ----------------------------------------------- */

int RchnFirst(RCHN *h, CHLDEF *channel, size_t *length, char *error)
{
    if (bad_handle(h, error))
        return RCHN_BADHANDLE;
    if (!h->file)
        return server_channel(h, channel, length, error);
    static const unsigned char lowest[CHL_NAME] = {};
    return read_channel(h, lowest, 2, channel, length, error);
}

int RchnNext(RCHN *h, CHLDEF *channel, size_t *length, char *error)
{
    if (bad_handle(h, error))
        return RCHN_BADHANDLE;
    if (!h->file)
        return RCHN_END;
    unsigned char key[CHL_NAME];
    memcpy(key, h->file->lastKey, CHL_NAME);
    return read_channel(h, key, 2, channel, length, error);
}

int RchnFind(RCHN *h, const char *name, CHLDEF *channel, size_t *length, char *error)
{
    if (bad_handle(h, error))
        return RCHN_BADHANDLE;
    char key[CHL_NAME];
    put_padded(key, name, strnlen(name, CHL_NAME), CHL_NAME);
    int rc = read_channel(h, (const unsigned char *)key, 1, channel, length, error);
    if (rc == RCHN_END) {
        char shown[CHL_NAME + 1];
        UTCopyTrimmed(shown, key, CHL_NAME, 0);
        snprintf(error, CHL_ERROR_SIZE, "AMQ8147: WebSphere MQ channel '%s' not found", shown);
        return RCHN_NOTFOUND;
    }
    return rc;
}
