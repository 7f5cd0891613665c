/* What the engine does to one message before it goes on: selection by
 * the search groups and the age limits, and the stripping of a
 * dead-letter header and a transmission queue header from its front. */
#include "drask.h"

#include <cstring>

#include "cs.h"

static int contains(const uint8_t *data, uint32_t length, const DRSEARCH *s)
{
    return UTMemFind(data, (int)length, s->bytes, s->length) != nullptr;
}

/* Every filled entry of a contain group must be found, of a not-contain
 * group must not be. */
static int searches_pass(const DROPT *o, const uint8_t *data, uint32_t length)
{
    for (int g = 0; g < DRS_GROUPS; g++) {
        int wanted = !(g & 1);
        for (int e = 0; e < DRS_ENTRIES; e++) {
            const DRSEARCH *s = &o->search[g][e];
            if (s->length > 0 && contains(data, length, s) != wanted)
                return 0;
        }
    }
    return 1;
}

static int age_passes(const DROPT *o)
{
    if (!o->olderBound && !o->youngerBound)
        return 1;
    char date[9], time[9];
    memcpy(date, o->md.PutDate, 8);
    memcpy(time, o->md.PutTime, 8);
    date[8] = time[8] = 0;
    int64_t put = UTMQTimeToTimeGmt(date, time);
    if (put < 1)
        return 0;
    if (o->olderBound && put >= o->olderBound)
        return 0;
    return !o->youngerBound || put >= o->youngerBound;
}

int DraskSelected(const DROPT *o)
{
    if (o->first && (o->index < o->first || (o->last && o->index > o->last)))
        return 0;
    const uint8_t *data = o->msg ? o->msg + o->dataStart : (const uint8_t *)"";
    uint32_t length = o->msgLength - o->dataStart;
    return searches_pass(o, data, length) && age_passes(o);
}

/* ---- header stripping ---- */

static const uint8_t ebcdicDlh[4] = {0xC4, 0xD3, 0xC8, 0x40};
static const uint8_t ebcdicXqh[4] = {0xE7, 0xD8, 0xC8, 0x40};

/* The data from the start holds a header of size whose identifier is
 * ascii (or its EBCDIC form). */
static int header_at(const DROPT *o, uint32_t size, const char *ascii, const uint8_t *ebcdic)
{
    if (o->msgLength - o->dataStart < size)
        return 0;
    const uint8_t *p = o->msg + o->dataStart;
    return !memcmp(p, ascii, 4) || !memcmp(p, ebcdic, 4);
}

static int big_endian(const MQMD *md)
{
    return (md->Encoding & MQENC_INTEGER_MASK) == MQENC_INTEGER_NORMAL;
}

static void copy_chars(uint8_t *to, const uint8_t *from, int length, int ebcdic)
{
    if (ebcdic)
        CSMakePrintable(to, from, length);
    else
        memcpy(to, from, (size_t)length);
}

static void strip_dlh(DROPT *o)
{
    MQDLH dlh;
    memcpy(&dlh, o->msg + o->dataStart, sizeof dlh);
    int swap = big_endian(&o->md), ebcdic = CSIsEbcdicCcsid(o->md.CodedCharSetId);
    if (swap) {
        CSSwap32(&dlh.Encoding, 2);
        CSSwap32(&dlh.PutApplType, 1);
    }
    o->md.Encoding = dlh.Encoding;
    o->md.CodedCharSetId = dlh.CodedCharSetId;
    o->md.PutApplType = dlh.PutApplType;
    copy_chars((uint8_t *)o->md.Format, (const uint8_t *)dlh.Format, 8, ebcdic);
    copy_chars((uint8_t *)o->md.PutApplName, (const uint8_t *)dlh.PutApplName, 28, ebcdic);
    copy_chars((uint8_t *)o->md.PutDate, (const uint8_t *)dlh.PutDate, 8, ebcdic);
    copy_chars((uint8_t *)o->md.PutTime, (const uint8_t *)dlh.PutTime, 8, ebcdic);
    o->dataStart += sizeof(MQDLH);
}

static void strip_xqh(DROPT *o)
{
    int convert = big_endian(&o->md) || CSIsEbcdicCcsid(o->md.CodedCharSetId);
    int swap = big_endian(&o->md), ebcdic = CSIsEbcdicCcsid(o->md.CodedCharSetId);
    MQMD md;
    DraskDefaultMD(&md);
    memcpy(&md, o->msg + o->dataStart + offsetof(MQXQH, MsgDesc), MQMD_LENGTH_1);
    if (convert)
        MDConvert(&md, swap, ebcdic);
    o->md = md;
    o->dataStart += sizeof(MQXQH);
}

void DraskStripHeaders(DROPT *o)
{
    if (!memcmp(o->md.Format, MQFMT_DEAD_LETTER_HEADER, 8) &&
        header_at(o, sizeof(MQDLH), MQDLH_STRUC_ID, ebcdicDlh))
        strip_dlh(o);
    if (!memcmp(o->md.Format, MQFMT_XMIT_Q_HEADER, 8) &&
        header_at(o, sizeof(MQXQH), MQXQH_STRUC_ID, ebcdicXqh))
        strip_xqh(o);
}
