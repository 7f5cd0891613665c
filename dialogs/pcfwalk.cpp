/* The walk over the parameters of a PCF reply for list rows and data
 * areas: every structure is checked against the reply's end, the
 * program's own types 1000 (a bare type word) and 1001 (a byte string
 * in the MQCFST layout) are handed out, and the string lists of IBM i
 * queue managers get their structure length recomputed. */
#include "pcfint.h"

#include "mqi.h"

/* Fixed part of each structure type the walk knows, by type (0: none
 * has it); the program's own byte string apart. */
struct FixedSizes {
    uint8_t of[32];
};

static constexpr FixedSizes MakeFixedSizes()
{
    FixedSizes t = {};
    t.of[MQCFT_INTEGER] = 16;
    t.of[MQCFT_STRING] = 20;
    t.of[MQCFT_INTEGER_LIST] = 16;
    t.of[MQCFT_STRING_LIST] = 24;
    t.of[MQCFT_BYTE_STRING] = 16;
    t.of[MQCFT_INTEGER64] = 24;
    t.of[MQCFT_INTEGER64_LIST] = 16;
    t.of[MQCFT_GROUP] = 16;
    return t;
}

static constexpr FixedSizes Fixed = MakeFixedSizes();

static int32_t FixedSize(int32_t type)
{
    if ((uint32_t)type < 32)
        return Fixed.of[type];
    return type == PCFT_OWN_BYTES ? 20 : 0;
}

int PCFWalkStart(PCFWALK *walk, const uint8_t *reply, uint32_t length, int32_t platform)
{
    walk->pos = walk->end = nullptr;
    walk->left = 0;
    walk->platform = platform;
    if (!reply || length < sizeof(MQCFH))
        return 0;
    walk->pos = reply + sizeof(MQCFH);
    walk->end = reply + length;
    int32_t count = Get32(reply + 32);
    walk->left = count < 0 ? 0 : count;
    return 1;
}

/* The value part of a known structure; 0 when it runs past its end. */
static int ReadValue(PCFPARM *p)
{
    const uint8_t *s = p->start;
    int32_t n;
    switch (p->type) {
    case MQCFT_INTEGER:
        p->value = s + 12;
        p->valueLength = 4;
        return 1;
    case MQCFT_INTEGER64:
        p->value = s + 16;
        p->valueLength = 8;
        return 1;
    case MQCFT_STRING:
    case PCFT_OWN_BYTES:
        n = Get32(s + 16);
        p->value = s + 20;
        p->valueLength = n;
        return n >= 0 && n <= p->length - 20;
    case MQCFT_BYTE_STRING:
        n = Get32(s + 12);
        p->value = s + 16;
        p->valueLength = n;
        return n >= 0 && n <= p->length - 16;
    case MQCFT_INTEGER_LIST:
    case MQCFT_INTEGER64_LIST:
        n = Get32(s + 12);
        p->value = s + 16;
        p->valueLength = n;
        return n >= 0 && (int64_t)n * (p->type == MQCFT_INTEGER_LIST ? 4 : 8) <= p->length - 16;
    case MQCFT_STRING_LIST: {
        n = Get32(s + 16);
        int32_t each = Get32(s + 20);
        p->value = s + 24;
        p->valueLength = n;
        p->itemLength = each;
        return n >= 0 && each >= 0 && 24 + (int64_t)n * each <= p->length;
    }
    case MQCFT_GROUP:
        p->value = s + 12;
        p->valueLength = Get32(s + 12);
        return 1;
    }
    return 0;
}

int PCFWalkNext(PCFWALK *walk, PCFPARM *parm)
{
    parm->start = nullptr;
    parm->id = parm->length = parm->valueLength = parm->itemLength = 0;
    parm->value = nullptr;
    if (!walk->pos || walk->left <= 0 || walk->pos + 4 > walk->end)
        return 0;
    int32_t room = (int32_t)(walk->end - walk->pos);
    parm->start = walk->pos;
    parm->type = Get32(walk->pos);
    if (parm->type == PCFT_OWN_END) {
        parm->length = 4;
        walk->pos += 4;
        walk->left--;
        return 1;
    }
    int32_t fixed = FixedSize(parm->type);
    if (!fixed) {
        /* an unknown type: the caller decides; nothing after it is read */
        walk->left = 0;
        return 1;
    }
    if (room < 12)
        return 0;
    parm->length = Get32(walk->pos + 4);
    parm->id = Get32(walk->pos + 8);
    if (parm->type == MQCFT_STRING_LIST && walk->platform == MQPL_OS400 && room >= 24) {
        /* IBM i writes a structure length of its own: recompute it */
        int64_t n = (int64_t)Get32(walk->pos + 16) * Get32(walk->pos + 20);
        if (n >= 0 && n <= room)
            parm->length = (int32_t)((n + 27) & ~3LL);
    }
    if (parm->length < fixed || parm->length > room || room < fixed)
        return 0;
    if (!ReadValue(parm))
        return 0;
    walk->pos += parm->length;
    walk->left--;
    return 1;
}
