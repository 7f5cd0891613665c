/* Stored channel records into channel records: the conversion of every
 * stored version, the expansion of the exit lists and the peer name from
 * the tail, their release, and the decryption of the user id and
 * password a record may carry. */
#include "ccdt.h"
#include "cs.h"
#include "csdes.h"

#include <cstdio>
#include <cstring>

/* the program's fixed key of the stored user id and password */
static const unsigned char authKey[8] = { 0x7c, 0x30, 0xe9, 0xa4, 0xd1, 0x5b, 0xf2, 0x86 };

#define EXIT_END   0x01                /* ends a list */
#define ENTRY_END  0x02                /* ends an entry */
#define MAX_ENTRY  9999                /* widest exit entry accepted */

static int32_t le32(const unsigned char *p)
{
    return (int32_t)((uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
                     (uint32_t)p[3] << 24);
}

int ChlDecryptAuth(unsigned char *buffer, size_t length)
{
    if (length % 8)
        return 1001;
    return CSDesEcb(authKey, buffer, length, CSDES_DECRYPT) ? 1001 : 0;
}

/* ---- conversion -------------------------------------------------------- */

/* How the fields of one stored version reach the channel record: runs of
 * fields that lie alike in both (characters and, on a little-endian host,
 * integers) copied at once, each other integer converted on its own.
 * Made once for every version from the field table. */
enum { RUN_BYTES, RUN_INTS, RUN_TIME };
#define MAX_RUNS 160

struct RUN {
    uint32_t from, to, bytes;          /* stored record, channel record, length */
    uint32_t kind;
};
struct PLAN {
    uint32_t count;                    /* 0: more runs than MAX_RUNS */
    uint32_t fieldBytes;               /* bytes of the version's fields */
    RUN runs[MAX_RUNS];
};

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define INTS_AS_BYTES RUN_BYTES
#else
#define INTS_AS_BYTES RUN_INTS
#endif

static void make_plan(PLAN *p, int32_t version)
{
    static const int kinds[] = { -1, RUN_BYTES, INTS_AS_BYTES, INTS_AS_BYTES, -1, RUN_TIME, -1, RUN_BYTES };
    uint32_t at = 0;
    p->count = 0;
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++) {
        if (f->version > version)
            continue;
        int kind = f->kind < sizeof kinds / sizeof kinds[0] ? kinds[f->kind] : -1;
        if (kind >= 0 && f->fileBytes) {
            RUN *last = p->count ? &p->runs[p->count - 1] : nullptr;
            if (last && kind == RUN_BYTES && last->kind == RUN_BYTES && last->from + last->bytes == at &&
                last->to + last->bytes == f->offset) {
                last->bytes += f->fileBytes;
            } else if (p->count < MAX_RUNS) {
                p->runs[p->count++] = { at, f->offset, f->fileBytes, (uint32_t)kind };
            } else {
                p->count = 0;
                break;
            }
        }
        at += f->fileBytes;
    }
    p->fieldBytes = at;
}

static const PLAN *plan_of(int32_t version)
{
    struct PLANS {
        PLAN v[CHL_MAX_VERSION + 1];
        PLANS() { for (int32_t i = 1; i <= CHL_MAX_VERSION; i++) make_plan(&v[i], i); }
    };
    static const PLANS plans;
    return &plans.v[version];
}

/* Copies the fields a stored version holds into the record, field by
 * field (a version whose plan could not be made). */
static void copy_each_field(CHLDEF *c, const unsigned char *p, int32_t version)
{
    char *base = (char *)c;
    for (const CHLFIELD *f = ChlFields; f->kind != CHF_END; f++) {
        if (f->version > version)
            continue;
        char *to = base + f->offset;
        switch (f->kind) {
        case CHF_CHAR: case CHF_PASSWORD: memcpy(to, p, f->fileBytes); break;
        case CHF_INT: case CHF_INTS:
            for (int i = 0; i < f->width; i++) {
                int32_t v = le32(p + 4 * i);
                memcpy(to + 4 * i, &v, 4);
            }
            break;
        case CHF_TIME: {
            int64_t t = le32(p);
            memcpy(to, &t, 8);
            break;
        }
        default:                       /* pointers are passed over, the marker is empty */
            break;
        }
        p += f->fileBytes;
    }
}

/* Copies the fields a stored version (1 to CHL_MAX_VERSION) holds into
 * the record. */
static void copy_fields(CHLDEF *c, const unsigned char *p, int32_t version)
{
    const PLAN *plan = plan_of(version);
    if (!plan->count) {
        copy_each_field(c, p, version);
        return;
    }
    char *base = (char *)c;
    for (const RUN *r = plan->runs, *end = r + plan->count; r < end; r++) {
        const unsigned char *from = p + r->from;
        char *to = base + r->to;
        if (r->kind == RUN_BYTES) {
            memcpy(to, from, r->bytes);
        } else if (r->kind == RUN_INTS) {
            for (uint32_t i = 0; i < r->bytes; i += 4) {
                int32_t v = le32(from + i);
                memcpy(to + i, &v, 4);
            }
        } else {
            int64_t t = le32(from);
            memcpy(to, &t, 8);
        }
    }
}

/* Exit lists of a record older than version 4, from its single exit
 * fields; the bytes written (at most 6 * 130). */
static size_t build_single_lists(const CHLDEF *c, unsigned char *out)
{
    const MQCHAR *fields[6] = { c->cd.MsgExit, c->cd.MsgUserData, c->cd.SendExit,
                                c->cd.SendUserData, c->cd.ReceiveExit, c->cd.ReceiveUserData };
    static const int widths[6] = { 128, 32, 128, 32, 128, 32 };
    size_t n = 0;
    for (int i = 0; i < 6; i++) {
        int len = widths[i];
        while (len > 0 && (fields[i][len - 1] == ' ' || fields[i][len - 1] == 0))
            len--;
        if (len) {
            if (out)
                memcpy(out + n, fields[i], (size_t)len);
            n += (size_t)len;
            if (out)
                out[n] = ENTRY_END;
            n++;
        }
        if (out)
            out[n] = EXIT_END;
        n++;
    }
    return n;
}

/* Checks a stored record and measures its channel record: 0 with the
 * version, the bytes of its fields and of the channel record's tail. */
static int measure(const unsigned char *stored, size_t length, int32_t *version, size_t *fields,
                   size_t *tail, char *error)
{
    if (length < CHL_NAME + 4) {
        snprintf(error, CHL_ERROR_SIZE, "Error accessing file RC(%d)", CCDT_SHORT);
        return RCHN_ACCESS;
    }
    *version = le32(stored + CHL_NAME);
    *fields = *version >= 1 && *version <= CHL_MAX_VERSION ? plan_of(*version)->fieldBytes : 0;
    if (!*fields) {
        snprintf(error, CHL_ERROR_SIZE,
                 "AMQ8427: Sorry, this program does not support reading version %d channel records",
                 (int)*version);
        return RCHN_BADHANDLE;
    }
    if (length < *fields) {
        /* a record cut short of its own version's fields */
        snprintf(error, CHL_ERROR_SIZE, "Error accessing file RC(%d)", CCDT_SHORT);
        return RCHN_ACCESS;
    }
    *tail = length - *fields;
    if (*version < 4) {
        CHLDEF probe;
        ChlSetDefaults(&probe);
        copy_fields(&probe, stored, *version);
        *tail = build_single_lists(&probe, nullptr);
    }
    return 0;
}

int ChlConvertInto(const unsigned char *stored, size_t length, CHLDEF *c, size_t room,
                   size_t *needed, char *error)
{
    int32_t version;
    size_t fields, tail;
    int rc = measure(stored, length, &version, &fields, &tail, error);
    if (rc)
        return rc;
    *needed = sizeof(CHLDEF) + tail;
    if (room < *needed)
        return RCHN_TOOLARGE;
    ChlSetDefaults(c);
    copy_fields(c, stored, version);
    c->tailLength = (int32_t)tail;
    if (version < 4)
        c->exitListsLen = (MQLONG)build_single_lists(c, CHL_TAIL(c));
    else
        memcpy(CHL_TAIL(c), stored + fields, tail);
    /* a version 1 record has no user id or password to restore */
    if (c->encrypt && version >= 2) {
        rc = ChlDecryptAuth((unsigned char *)c->cd.UserIdentifier, 24);
        if (rc) {
            snprintf(error, CHL_ERROR_SIZE, "Failed to restore userid/password information RC(%d)", rc);
            return rc;
        }
    }
    return 0;
}

int ConvertChannelRecord(const unsigned char *stored, size_t length, CHLDEF **out,
                         size_t *outLength, char *error)
{
    *out = nullptr;
    *outLength = 0;
    int32_t version;
    size_t fields, tail;
    int rc = measure(stored, length, &version, &fields, &tail, error);
    if (rc)
        return rc;
    size_t size = sizeof(CHLDEF) + tail;
    CHLDEF *c = (CHLDEF *)CSGetMem(size, "CHLDEF");
    if (!c) {
        snprintf(error, CHL_ERROR_SIZE, "Storage not available");
        return RCHN_NOSTORAGE;
    }
    if ((rc = ChlConvertInto(stored, length, c, size, outLength, error)) != 0) {
        CSFreeMem(c);
        return rc;
    }
    *out = c;
    return 0;
}

/* ---- exit lists and peer name ------------------------------------------ */

static int format_error(char *error)
{
    snprintf(error, CHL_ERROR_SIZE, "File exit format error");
    return 1;
}

/* Parses one list at *pos (bounded by end) into a new block, or none for
 * an empty list.  0, or 1 with the message. */
static int parse_list(const unsigned char *tail, size_t *pos, size_t end, int32_t entryLength,
                      MQPTR *slot, char *error)
{
    CSFreeMemAndClear(slot);
    size_t p = *pos;
    if (p >= end)
        return format_error(error);
    if (tail[p] == EXIT_END) {
        *pos = p + 1;
        return 0;
    }
    if (entryLength < 0 || entryLength > MAX_ENTRY)
        return format_error(error);
    /* count the entries: each ends with 0x02, the list with a 0x01 after one */
    int32_t count = 0;
    size_t q = p;
    for (;;) {
        while (q < end && tail[q] != ENTRY_END && tail[q] != EXIT_END)
            q++;
        if (q >= end || tail[q] != ENTRY_END)
            return format_error(error);
        count++;
        q++;
        if (q < end && tail[q] == EXIT_END)
            break;
    }
    size_t size = 12 + (size_t)count * (size_t)entryLength;
    CHLEXITLIST *list = (CHLEXITLIST *)CSGetMem(size, "CHLEXITS");
    if (!list) {
        snprintf(error, CHL_ERROR_SIZE, "No storage.");
        return 1;
    }
    list->count = list->count2 = count;
    list->entryLength = entryLength;
    char *e = list->entries;
    memset(e, ' ', (size_t)count * (size_t)entryLength);
    for (int32_t i = 0; i < count; i++, e += entryLength) {
        size_t start = p;
        while (tail[p] != ENTRY_END)
            p++;
        size_t n = p - start;
        memcpy(e, tail + start, n < (size_t)entryLength ? n : (size_t)entryLength);
        p++;
    }
    *pos = p + 1;
    *slot = list;
    return 0;
}

/* The peer name from the tail into a block of its own. */
static int read_peer_name(CHLDEF *c, char *error)
{
    CSFreeMemAndClear(&c->cd.SSLPeerNamePtr);
    int32_t len = c->cd.SSLPeerNameLength;
    if (len == 0)
        return 0;
    int64_t start = c->exitListsLen;
    if (c->cd.Version <= 8)
        start += c->exitListsLen == 6 ? 2 : c->exitListsLen == 7 ? 1 : 0;
    const unsigned char *tail = CHL_TAIL(c);
    for (int i = 0; i < 2 && start >= 0 && start < c->tailLength && tail[start] == 0; i++)
        start++;
    if (len < 0 || start < 0 || start + len > c->tailLength)
        return format_error(error);
    char *name = (char *)CSGetMem((size_t)len + 1, "CHLPEER");
    if (!name) {
        snprintf(error, CHL_ERROR_SIZE, "No storage.");
        return RCHN_NOSTORAGE;
    }
    memcpy(name, tail + start, (size_t)len);
    name[len] = 0;
    c->cd.SSLPeerNamePtr = name;
    return 0;
}

int ReadChannelExits(CHLDEF *c, char *error)
{
    int32_t listsLen = c->exitListsLen;
    if (listsLen < 0 || c->tailLength < 0)
        return format_error(error);
    if (listsLen > 6) {
        MQPTR *slots[6] = { &c->cd.MsgExitPtr, &c->cd.MsgUserDataPtr, &c->cd.SendExitPtr,
                            &c->cd.SendUserDataPtr, &c->cd.ReceiveExitPtr,
                            &c->cd.ReceiveUserDataPtr };
        size_t end = (size_t)(listsLen < c->tailLength ? listsLen : c->tailLength);
        size_t pos = 0;
        for (int i = 0; i < 6; i++) {
            int32_t width = (i % 2) ? c->cd.ExitDataLength : c->cd.ExitNameLength;
            int rc = parse_list(CHL_TAIL(c), &pos, end, width, slots[i], error);
            if (rc)
                return rc;
        }
    }
    return read_peer_name(c, error);
}

void FreeChannelDef(CHLDEF *c, int freeRecord)
{
    if (!c)
        return;
    MQPTR *slots[] = { &c->cd.MsgExitPtr, &c->cd.MsgUserDataPtr, &c->cd.SendExitPtr,
                       &c->cd.SendUserDataPtr, &c->cd.ReceiveExitPtr, &c->cd.ReceiveUserDataPtr,
                       &c->cd.LongMCAUserIdPtr, &c->cd.LongRemoteUserIdPtr,
                       &c->cd.SSLPeerNamePtr };
    for (MQPTR *s : slots)
        CSFreeMemAndClear(s);
    if (freeRecord)
        CSFreeMem(c);
}
