/* Transmission and dead-letter headers of messages being copied or
 * moved: where the header says the message was going, and the message
 * without its header.  A header is only taken as one when the message
 * holds all of it and its StrucId is right; its integers are read in the
 * message's encoding. */
#include "agentint.h"

#include <cstddef>
#include <cstring>

#include "cs.h"

#define XQH_LENGTH 428
#define XQH_MD 104
#define DLH_LENGTH 172

/* 1 when the message's integers are in the reverse of this host's order. */
static int foreign_order(MQLONG encoding)
{
    return (encoding & MQENC_INTEGER_MASK) != (MQENC_NATIVE & MQENC_INTEGER_MASK);
}

static MQLONG read_long(const uint8_t *at, int swap)
{
    MQLONG v;
    memcpy(&v, at, 4);
    if (swap)
        CSSwap32(&v, 1);
    return v;
}

/* A version 1 descriptor inside a header, its integers made native. */
static void inner_md(MQMD *md, const uint8_t *at, int swap)
{
    static const uint16_t ints[] = {
        offsetof(MQMD, Version), offsetof(MQMD, Report), offsetof(MQMD, MsgType),
        offsetof(MQMD, Expiry), offsetof(MQMD, Feedback), offsetof(MQMD, Encoding),
        offsetof(MQMD, CodedCharSetId), offsetof(MQMD, Priority), offsetof(MQMD, Persistence),
        offsetof(MQMD, BackoutCount), offsetof(MQMD, PutApplType),
    };
    const MQMD init = {MQMD_DEFAULT};
    *md = init;
    memcpy(md, at, MQMD_LENGTH_1);
    if (swap)
        for (uint16_t off : ints)
            CSSwap32((uint8_t *)md + off, 1);
    md->Version = MQMD_VERSION_2;
}

int StripHeader(const MQMD *md, const uint8_t *data, int32_t length, STRIPPED *out)
{
    int swap = foreign_order(md->Encoding);
    out->found = 0;
    if (!memcmp(md->Format, MQFMT_XMIT_Q_HEADER, 8)) {
        if (length < XQH_LENGTH || memcmp(data, MQXQH_STRUC_ID, 4) ||
            memcmp(data + XQH_MD, MQMD_STRUC_ID, 4))
            return 0;
        EngTrimName(out->queue, (const char *)data + offsetof(MQXQH, RemoteQName), 48);
        EngTrimName(out->qm, (const char *)data + offsetof(MQXQH, RemoteQMgrName), 48);
        inner_md(&out->md, data + XQH_MD, swap);
        out->data = data + XQH_LENGTH;
        out->length = length - XQH_LENGTH;
        out->found = 1;
        return 1;
    }
    if (!memcmp(md->Format, MQFMT_DEAD_LETTER_HEADER, 8)) {
        if (length < DLH_LENGTH || memcmp(data, MQDLH_STRUC_ID, 4))
            return 0;
        EngTrimName(out->queue, (const char *)data + offsetof(MQDLH, DestQName), 48);
        EngTrimName(out->qm, (const char *)data + offsetof(MQDLH, DestQMgrName), 48);
        out->md = *md;
        out->md.Encoding = read_long(data + offsetof(MQDLH, Encoding), swap);
        out->md.CodedCharSetId = read_long(data + offsetof(MQDLH, CodedCharSetId), swap);
        memcpy(out->md.Format, data + offsetof(MQDLH, Format), 8);
        out->data = data + DLH_LENGTH;
        out->length = length - DLH_LENGTH;
        out->found = 1;
        return 1;
    }
    return 0;
}
