/* The PCF message area and cursor: building a PCF message in a growable
 * area, and walking a received one parameter by parameter.
 *
 * The walker keeps its own counts of the parameters left at each level,
 * so a message can be walked any number of times, by several cursors at
 * once, and is never written.  Every structure is checked to lie inside
 * the message before any of its fields is read. */
#include "pcf.h"

#include <cstring>

#include "csmem.h"

static const int32_t HeaderLength = 36;
static const int32_t FirstAreaSize = 4096;

/* Offsets inside the structures. */
enum {
    OFF_TYPE = 0, OFF_LENGTH = 4, OFF_PARAMETER = 8,
    OFF_HDR_COMMAND = 12, OFF_HDR_COUNT = 32,
    OFF_GROUP_COUNT = 12,
};

static int32_t Get32(const uint8_t *p)
{
    int32_t v;
    memcpy(&v, p, 4);
    return v;
}

static void Put32(uint8_t *p, int32_t v)
{
    memcpy(p, &v, 4);
}

static void Fail(MQLONG *compCode, MQLONG *reason, MQLONG why)
{
    *compCode = MQCC_FAILED;
    *reason = why;
}

/* ---- building ---------------------------------------------------------- */

void PCFInitArea(MQPP *pp, void **area, int mayAllocate, int32_t areaSize,
                 int32_t extra, int32_t command, MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;
    if (!area) {
        Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
        return;
    }
    if (extra < 0) extra = 0;
    if (!*area || areaSize < HeaderLength) {
        if (!mayAllocate || extra > INT32_MAX - FirstAreaSize) {
            Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
            return;
        }
        void *fresh = CSGetMem((size_t)FirstAreaSize + extra, PCF_AREA_TAG);
        if (!fresh) {
            Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
            return;
        }
        if (*area) CSFreeMem(*area);
        *area = fresh;
        areaSize = FirstAreaSize;
    }

    uint8_t *m = (uint8_t *)*area;
    const int32_t header[9] = { MQCFT_COMMAND, HeaderLength, 1, command, 1,
                                MQCFC_LAST, 0, 0, 0 };
    memcpy(m, header, sizeof header);

    memset(pp, 0, sizeof *pp);
    memcpy(pp->signature, "MQPP", 4);
    pp->message = m;
    pp->group = 0;
    pp->area = area;
    pp->mayAllocate = mayAllocate;
    pp->position = HeaderLength;
    pp->size = areaSize;
    pp->extra = extra;
}

void PCFGrowArea(MQPP *pp, int32_t need, MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;
    int64_t grown = (int64_t)pp->size + (need > pp->size ? need : pp->size);
    if (!pp->mayAllocate || need < 0 || grown + pp->extra > INT32_MAX) {
        Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
        return;
    }
    uint8_t *fresh = (uint8_t *)CSGetMem((size_t)(grown + pp->extra), PCF_AREA_TAG);
    if (!fresh) {
        Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
        return;
    }
    memcpy(fresh, pp->message, pp->position);
    CSFreeMem(pp->message);
    pp->message = fresh;
    pp->size = (int32_t)grown;
    if (pp->area) *pp->area = fresh;
}

/* The ParameterCount of the level being built: the current group's, or
 * the header's. */
static uint8_t *BuildCount(MQPP *pp)
{
    return pp->message + (pp->group ? pp->group + OFF_GROUP_COUNT : OFF_HDR_COUNT);
}

static int32_t Round4(int64_t n)
{
    return (int32_t)(n & ~(int64_t)3);
}

void *PCFAddParm(MQPP *pp, int32_t type, int32_t parameter, const void *value,
                 int32_t length, int32_t count, MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;

    /* The structure's size, its fixed part and the bytes of its value. */
    int64_t strucLength, fixed, bytes = 0;
    int32_t written = type;
    switch (type) {
    case MQCFT_INTEGER:
        strucLength = fixed = 16;
        break;
    case MQCFT_STRING:
    case PCF_BYTE_STRING:
        if (length == -1 || length == -2)
            length = value ? (int32_t)strlen((const char *)value) + (length == -2) : 0;
        if (length < 0) {
            Fail(compCode, reason, MQRCCF_CFST_STRING_LENGTH_ERR);
            return nullptr;
        }
        fixed = 20;
        bytes = length;
        strucLength = Round4((int64_t)length + 23);
        break;
    case MQCFT_BYTE_STRING:
        if (length < 0) {
            Fail(compCode, reason, MQRCCF_CFBS_STRING_LENGTH_ERR);
            return nullptr;
        }
        fixed = 16;
        bytes = length;
        strucLength = Round4((int64_t)length + 19);
        break;
    case MQCFT_INTEGER_LIST:
        if (length < 0) {
            Fail(compCode, reason, MQRCCF_CFIL_COUNT_ERROR);
            return nullptr;
        }
        count = length / 4;
        fixed = 16;
        bytes = (int64_t)count * 4;
        strucLength = fixed + bytes;
        break;
    case MQCFT_STRING_LIST:
    case PCF_STRING_LIST:
        if (count < 1 || length < 0) {
            Fail(compCode, reason, MQRCCF_CFSL_COUNT_ERROR);
            return nullptr;
        }
        written = MQCFT_STRING_LIST;
        fixed = 24;
        bytes = (int64_t)(length / count) * count;
        strucLength = Round4(bytes + 27);
        break;
    case MQCFT_INTEGER_FILTER:
        strucLength = fixed = 20;
        break;
    case MQCFT_STRING_FILTER:
    case MQCFT_BYTE_STRING_FILTER:
        if (length == -1 || length == -2)
            length = value ? (int32_t)strlen((const char *)value) + (length == -2) : 0;
        if (length < 0) {
            Fail(compCode, reason, type == MQCFT_STRING_FILTER ? MQRCCF_CFSF_FILTER_VAL_LEN_ERR
                                                               : MQRCCF_CFBF_FILTER_VAL_LEN_ERR);
            return nullptr;
        }
        fixed = type == MQCFT_STRING_FILTER ? 24 : 20;
        bytes = length;
        strucLength = Round4((int64_t)length + fixed + 3);
        break;
    case MQCFT_GROUP:
        strucLength = fixed = 16;
        break;
    case PCF_END_GROUP:
        strucLength = fixed = 4;
        break;
    default:
        Fail(compCode, reason, MQRCCF_CFH_TYPE_ERROR);
        return nullptr;
    }

    if (strucLength > INT32_MAX / 2) {
        Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
        return nullptr;
    }
    if (strucLength > pp->size - pp->position) {
        PCFGrowArea(pp, (int32_t)strucLength, compCode, reason);
        if (*compCode) return nullptr;
    }

    uint8_t *s = pp->message + pp->position;
    uint8_t *result = nullptr;
    memset(s, 0, fixed);
    Put32(s + OFF_TYPE, written);
    if (type != PCF_END_GROUP) {
        Put32(s + OFF_LENGTH, (int32_t)strucLength);
        Put32(s + OFF_PARAMETER, parameter);
    }
    switch (type) {
    case MQCFT_INTEGER:
        result = s + 12;
        if (value) memcpy(result, value, 4);
        break;
    case MQCFT_STRING:
    case PCF_BYTE_STRING:
        Put32(s + 16, length);
        result = s + 20;
        break;
    case MQCFT_BYTE_STRING:
        Put32(s + 12, length);
        result = s + 16;
        break;
    case MQCFT_INTEGER_LIST:
        Put32(s + 12, count);
        result = s + 16;
        break;
    case MQCFT_STRING_LIST:
    case PCF_STRING_LIST:
        Put32(s + 16, count);
        Put32(s + 20, length / count);
        result = s + 24;
        break;
    case MQCFT_INTEGER_FILTER:           /* Operator (count), FilterValue */
        Put32(s + 12, count);
        result = s + 16;
        if (value) memcpy(result, value, 4);
        break;
    case MQCFT_STRING_FILTER:            /* Operator, CCSID 0, length, value */
        Put32(s + 12, count);
        Put32(s + 20, length);
        result = s + 24;
        break;
    case MQCFT_BYTE_STRING_FILTER:       /* Operator, length, value */
        Put32(s + 12, count);
        Put32(s + 16, length);
        result = s + 20;
        break;
    }
    if (result && bytes) {
        if (value && type != MQCFT_INTEGER && type != MQCFT_INTEGER_FILTER)
            memcpy(result, value, bytes);
        /* Padding after the value is cleared, so no stale bytes travel. */
        memset(result + bytes, 0, strucLength - fixed - bytes);
    }

    uint8_t *counter = BuildCount(pp);
    Put32(counter, Get32(counter) + 1);
    if (type == MQCFT_GROUP) pp->group = pp->position;
    pp->position += (int32_t)strucLength;
    return result;
}

void PCFAddString(MQPP *pp, int32_t type, int32_t parameter, const void *value, int32_t length,
                  MQLONG *compCode, MQLONG *reason)
{
    if ((type != MQCFT_STRING && type != PCF_BYTE_STRING) || !value || length < 0 || length > INT32_MAX / 2 - 23) {
        PCFAddParm(pp, type, parameter, value, length, 1, compCode, reason);
        return;
    }
    *compCode = 0;
    *reason = 0;
    int32_t strucLength = Round4((int64_t)length + 23);
    if (strucLength > pp->size - pp->position) {
        PCFGrowArea(pp, strucLength, compCode, reason);
        if (*compCode) return;
    }
    /* The fixed fields one by one (a block built on the stack and copied
     * is read back before its stores are done), the value unless it was
     * read into its place, and the padding after it cleared. */
    uint8_t *s = pp->message + pp->position;
    Put32(s + OFF_TYPE, type);
    Put32(s + OFF_LENGTH, strucLength);
    Put32(s + OFF_PARAMETER, parameter);
    Put32(s + 12, 0);                    /* CodedCharSetId */
    Put32(s + 16, length);
    if (value != s + 20)
        memcpy(s + 20, value, (size_t)length);
    uint8_t *pad = s + 20 + length;
    switch (strucLength - 20 - length) {
    case 3: pad[2] = 0; [[fallthrough]];
    case 2: pad[1] = 0; [[fallthrough]];
    case 1: pad[0] = 0; break;
    }
    uint8_t *counter = BuildCount(pp);
    Put32(counter, Get32(counter) + 1);
    pp->position += strucLength;
}

/* ---- rows stamped many times --------------------------------------------- */

void PCFStampInit(PCFSTAMP *row)
{
    memset(row, 0, sizeof *row);
}

MQLONG PCFStampAdd(PCFSTAMP *row, int32_t type, int32_t parameter, int32_t length, int source, size_t offset)
{
    if (type == MQCFT_GROUP || row->values >= PCF_STAMP_VALUES || length < 0 || length > PCF_STAMP_BYTES ||
        source < 0 || source > 0xFFFF || offset > 0xFFFF)
        return MQRC_STORAGE_NOT_AVAILABLE;
    MQPP pp;
    MQLONG cc, rc;
    void *area = row->area;
    PCFInitArea(&pp, &area, 0, (int32_t)sizeof row->area, 0, 0, &cc, &rc);
    pp.position = HeaderLength + row->length;
    uint8_t *value = (uint8_t *)PCFAddParm(&pp, type, parameter, nullptr, length, 1, &cc, &rc);
    if (cc)
        return rc;
    if (value && length > 0) {
        PCFSTAMPVALUE *v = &row->value[row->values++];
        v->at = (uint16_t)(value - row->area - HeaderLength);
        v->length = (uint16_t)length;
        v->source = (uint16_t)source;
        v->offset = (uint16_t)offset;
    }
    row->length = pp.position - HeaderLength;
    row->count++;
    return 0;
}

/* One value of a stamp: the usual widths (integers, names, ids) copied
 * inline, not through a call per value. */
static void StampValue(uint8_t *to, const uint8_t *from, size_t length)
{
    switch (length) {
    case 4: memcpy(to, from, 4); break;
    case 8: memcpy(to, from, 8); break;
    case 16: memcpy(to, from, 16); break;
    case 24: memcpy(to, from, 24); break;
    default: memcpy(to, from, length); break;
    }
}

/* A row's bytes in 16-byte steps, then words (rows are whole words):
 * rows are short, and a call per row cost more than the copy. */
static void StampBytes(uint8_t *to, const uint8_t *from, size_t length)
{
    size_t at = 0;
    for (; at + 16 <= length; at += 16)
        memcpy(to + at, from + at, 16);
    for (; at + 4 <= length; at += 4)
        memcpy(to + at, from + at, 4);
    for (; at < length; at++)
        to[at] = from[at];
}

void PCFStampPut(MQPP *pp, const PCFSTAMP *row, const void *const *bases, MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;
    if (row->length > pp->size - pp->position) {
        PCFGrowArea(pp, row->length, compCode, reason);
        if (*compCode) return;
    }
    uint8_t *s = pp->message + pp->position;
    StampBytes(s, row->area + HeaderLength, (size_t)row->length);
    for (int32_t i = 0; i < row->values; i++) {
        const PCFSTAMPVALUE *v = &row->value[i];
        StampValue(s + v->at, (const uint8_t *)bases[v->source] + v->offset, v->length);
    }
    uint8_t *counter = BuildCount(pp);
    Put32(counter, Get32(counter) + row->count);
    pp->position += row->length;
}

/* ---- walking ----------------------------------------------------------- */

void PCFInitParse(MQPP *pp, const void *message, int32_t length, MQLONG *command,
                  MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;
    if (!message || length < HeaderLength) {
        Fail(compCode, reason, MQRC_STORAGE_NOT_AVAILABLE);
        return;
    }
    const uint8_t *m = (const uint8_t *)message;
    memset(pp, 0, sizeof *pp);
    memcpy(pp->signature, "MQPP", 4);
    pp->message = (uint8_t *)m;   /* walked, never written */
    pp->position = HeaderLength;
    pp->size = length;
    pp->depth = 0;
    pp->left[0] = Get32(m + OFF_HDR_COUNT);
    if (command) *command = Get32(m + OFF_HDR_COMMAND);
}

/* What the walker knows of each structure type: the size of its fixed
 * part and the reason when its StrucLength is wrong. */
struct WalkType {
    int32_t type;
    int32_t fixed;
    int32_t lengthReason;
};

static const WalkType WalkTypes[] = {
    { MQCFT_INTEGER,              16, MQRCCF_CFIN_LENGTH_ERROR },
    { MQCFT_STRING,               20, MQRCCF_CFST_LENGTH_ERROR },
    { PCF_BYTE_STRING,            20, MQRCCF_CFST_LENGTH_ERROR },
    { MQCFT_INTEGER_LIST,         16, MQRCCF_CFIL_LENGTH_ERROR },
    { MQCFT_STRING_LIST,          24, MQRCCF_CFSL_LENGTH_ERROR },
    { PCF_STRING_LIST,            24, MQRCCF_CFSL_LENGTH_ERROR },
    { MQCFT_BYTE_STRING,          16, MQRCCF_CFBS_LENGTH_ERROR },
    { MQCFT_GROUP,                16, MQRCCF_CFGR_LENGTH_ERROR },
    { MQCFT_INTEGER64,            24, MQRCCF_CFIN_LENGTH_ERROR },
    { MQCFT_INTEGER64_LIST,       16, MQRCCF_CFIL_LENGTH_ERROR },
    { MQCFT_INTEGER_FILTER,       20, MQRCCF_CFIF_LENGTH_ERROR },
    { MQCFT_STRING_FILTER,        24, MQRCCF_CFSF_LENGTH_ERROR },
    { MQCFT_BYTE_STRING_FILTER,   20, MQRCCF_CFBF_LENGTH_ERROR },
};

static const WalkType *FindWalkType(int32_t type)
{
    for (const WalkType &w : WalkTypes)
        if (w.type == type) return &w;
    return nullptr;
}

/* A count or length field that must keep its part inside the structure:
 * 0 when fixed + n * unit fits in strucLength. */
static bool Fits(int32_t fixed, int32_t n, int32_t unit, int32_t strucLength)
{
    return n >= 0 && (int64_t)fixed + (int64_t)n * unit <= strucLength;
}

/* The value, length and count of one structure, checked; the reason when a
 * count or length inside it runs past its end. */
static int32_t ReadValue(const uint8_t *s, int32_t type, int32_t strucLength,
                         void **value, MQLONG *length, MQLONG *count)
{
    int32_t n, each;
    *count = 1;
    switch (type) {
    case MQCFT_INTEGER:
        *value = (void *)(s + 12);
        *length = 4;
        return 0;
    case MQCFT_STRING:
    case PCF_BYTE_STRING:
        n = Get32(s + 16);
        if (!Fits(20, n, 1, strucLength)) return MQRCCF_CFST_STRING_LENGTH_ERR;
        *value = (void *)(s + 20);
        *length = n;
        return 0;
    case MQCFT_INTEGER_LIST:
        n = Get32(s + 12);
        if (!Fits(16, n, 4, strucLength)) return MQRCCF_CFIL_COUNT_ERROR;
        *value = (void *)(s + 16);
        *length = strucLength - 16;
        *count = n;
        return 0;
    case MQCFT_STRING_LIST:
    case PCF_STRING_LIST:
        n = Get32(s + 16);
        each = Get32(s + 20);
        if (n < 0) return MQRCCF_CFSL_COUNT_ERROR;
        if (each < 0) return MQRCCF_CFSL_STRING_LENGTH_ERR;
        if (!Fits(24, n, each, strucLength)) return MQRCCF_CFSL_TOTAL_LENGTH_ERROR;
        *value = (void *)(s + 24);
        *length = n * each;
        *count = n;
        return 0;
    case MQCFT_BYTE_STRING:
        n = Get32(s + 12);
        if (!Fits(16, n, 1, strucLength)) return MQRCCF_CFBS_STRING_LENGTH_ERR;
        *value = (void *)(s + 16);
        *length = n;
        return 0;
    case MQCFT_INTEGER64:
        *value = (void *)(s + 16);
        *length = 8;
        return 0;
    case MQCFT_INTEGER64_LIST:
        n = Get32(s + 12);
        if (!Fits(16, n, 8, strucLength)) return MQRCCF_CFIL_COUNT_ERROR;
        *value = (void *)(s + 16);
        *length = n * 8;
        *count = n;
        return 0;
    case MQCFT_INTEGER_FILTER:           /* Operator, FilterValue */
        *value = (void *)(s + 12);
        *length = 8;
        return 0;
    case MQCFT_STRING_FILTER:            /* Operator, CCSID, length, value */
        n = Get32(s + 20);
        if (!Fits(24, n, 1, strucLength)) return MQRCCF_CFSF_FILTER_VAL_LEN_ERR;
        *value = (void *)(s + 12);
        *length = 12 + n;
        return 0;
    case MQCFT_BYTE_STRING_FILTER:       /* Operator, length, value */
        n = Get32(s + 16);
        if (!Fits(20, n, 1, strucLength)) return MQRCCF_CFBF_FILTER_VAL_LEN_ERR;
        *value = (void *)(s + 12);
        *length = 8 + n;
        return 0;
    }
    return MQRCCF_CFH_TYPE_ERROR;
}

void PCFGetNextParm(MQPP *pp, MQLONG *type, MQLONG *parameter, void **value,
                    MQLONG *length, MQLONG *count, MQLONG *compCode, MQLONG *reason)
{
    *compCode = 0;
    *reason = 0;

    /* A group whose parameters are all handed out ends with a mark. */
    if (pp->depth > 0 && pp->left[pp->depth] <= 0) {
        pp->depth--;
        *type = PCF_END_GROUP;
        return;
    }
    if (pp->depth == 0 && pp->left[0] <= 0) {
        Fail(compCode, reason, PCF_RC_END_OF_PARMS);
        return;
    }

    /* Parameters are due: the next structure must lie inside the message. */
    int32_t room = pp->size - pp->position;
    const uint8_t *s = pp->message + pp->position;
    MQLONG countReason = pp->depth ? MQRCCF_CFGR_PARM_COUNT_ERROR : MQRCCF_CFH_PARM_COUNT_ERROR;
    if (room < 4) {
        Fail(compCode, reason, countReason);
        return;
    }
    int32_t t = Get32(s + OFF_TYPE);
    int32_t advance;
    if (t == PCF_END_GROUP) {
        advance = 4;
    } else {
        const WalkType *w = FindWalkType(t);
        if (!w) {
            Fail(compCode, reason, MQRCCF_CFH_TYPE_ERROR);
            return;
        }
        if (room < 8) {
            Fail(compCode, reason, w->lengthReason);
            return;
        }
        int32_t strucLength = Get32(s + OFF_LENGTH);
        if (strucLength < w->fixed || strucLength > room || strucLength % 4) {
            Fail(compCode, reason, w->lengthReason);
            return;
        }
        if (t == MQCFT_GROUP) {
            int32_t inGroup = Get32(s + OFF_GROUP_COUNT);
            if (inGroup < 0 || pp->depth >= PCF_MAX_GROUP_DEPTH) {
                Fail(compCode, reason, MQRCCF_CFGR_PARM_COUNT_ERROR);
                return;
            }
            *parameter = Get32(s + OFF_PARAMETER);
            pp->left[pp->depth]--;
            pp->left[++pp->depth] = inGroup;
            pp->position += 16;
            *type = t;
            return;
        }
        MQLONG why = ReadValue(s, t, strucLength, value, length, count);
        if (why) {
            Fail(compCode, reason, why);
            return;
        }
        *parameter = Get32(s + OFF_PARAMETER);
        advance = strucLength;
    }
    *type = t;
    pp->left[pp->depth]--;
    pp->position += advance;
}
