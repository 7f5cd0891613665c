/* A location's client channel settings filled from a channel record: each
 * field of the client-connection definition that names a place in the
 * channel record takes its value from there.  Also the channel and
 * connection names the settings hold, for the lists of the imports. */
#include "impint.h"
#include "dialogs.h"
#include "cs.h"

#include <cstddef>
#include <cstring>

#define NO_POSITION 0xFFFFFFFFu

/* A text of at most length bytes (up to a NUL, without trailing blanks),
 * cut to the field; specified when not empty. */
static void set_text(uint8_t *r, const PCFFieldDef *f, const char *text, size_t length)
{
    size_t max = f->maximum > 0 ? (size_t)f->maximum : 0;
    size_t n = text ? (size_t)UTTrimmedLength(text, (int)strnlen(text, length)) : 0;
    if (n > max)
        n = max;
    char *to = PCFRecText(r);
    memset(to, 0, max + 1);
    if (n)
        memcpy(to, text, n);
    PCFSetState(r, (uint16_t)(PCFS_PRESENT | (n ? PCFS_SPECIFIED : 0)));
}

/* An expanded exit list of the record: its elements cut to the field.
 * An empty list is skipped; 1 without storage. */
static int set_strings(uint8_t *r, const PCFFieldDef *f, const CHLDEF *c)
{
    const CHLFIELD *place = ChlFieldByPcf((int32_t)f->attrId);
    if (!place || place->kind != CHF_PTR)
        return 0;
    const CHLEXITLIST *list;
    memcpy(&list, (const char *)c + place->offset, sizeof list);
    if (!list || list->count <= 0 || list->entryLength <= 0)
        return 0;
    int max = f->maximum > 0 ? f->maximum : 1;
    PCFSTRLIST *l = PCFNewStrList(list->count, max, "PCFSTRLHDR");
    if (!l)
        return 1;
    size_t width = (size_t)(list->entryLength < max ? list->entryLength : max);
    for (int i = 0; i < list->count; i++) {
        const char *item = list->entries + (size_t)i * (size_t)list->entryLength;
        memcpy(PCFStrListItem(l, max, i), item, strnlen(item, width));
    }
    l->count = (int16_t)list->count;
    PCFSetRecPtr(r, l);
    PCFSetState(r, PCFS_PRESENT);
    return 0;
}

/* An integer list of the record, up to its first -1: 1 without storage. */
static int set_ints(uint8_t *r, const PCFFieldDef *f, const CHLDEF *c, uint32_t at)
{
    const CHLFIELD *place = ChlFieldByPcf((int32_t)f->attrId);
    if (!place || place->kind != CHF_INTS || at + 4 * (size_t)place->width > sizeof c->cd)
        return 0;
    int32_t v[16];
    int n = 0, width = place->width < 16 ? place->width : 16;
    memcpy(v, (const char *)c + at, 4 * (size_t)width);
    while (n < width && v[n] != -1)
        n++;
    PCFINTLIST *l = PCFNewIntList(n, "PCFINTLHDR");
    if (!l)
        return 1;
    memcpy(PCFIntListItems(l), v, 4 * (size_t)n);
    l->count = (int16_t)n;
    PCFSetRecPtr(r, l);
    PCFSetState(r, PCFS_PRESENT);
    return 0;
}

/* One field from its place in the record: 1 without storage. */
static int set_field(uint8_t *area, const PCFFieldEntry *e, const CHLDEF *c)
{
    const PCFFieldDef *f = e->field;
    uint32_t at = e->mqcdOffset;
    uint8_t *r = area + e->offset;
    const char *place = (const char *)c + at;
    int type = f->type;
    if (type == PCFT_STRLIST || type == PCFT_MULTISTR)
        return set_strings(r, f, c);
    if (type == PCFT_ENUMLIST || type == PCFT_INTLIST || type == PCFT_FLAGSET)
        return set_ints(r, f, c, at);
    if (type == PCFT_STRING || type == PCFT_NAME || type == PCFT_STRING25) {
        if (at == offsetof(MQCD, SSLPeerNamePtr)) {
            /* the peer name lies in the record's tail, by pointer and length */
            size_t n = c->cd.SSLPeerNameLength > 0 ? (size_t)c->cd.SSLPeerNameLength : 0;
            set_text(r, f, (const char *)c->cd.SSLPeerNamePtr, c->cd.SSLPeerNamePtr ? n : 0);
        } else {
            /* a character field of the record is as wide as the field */
            size_t width = f->maximum > 0 ? (size_t)f->maximum : 0;
            set_text(r, f, place, width < sizeof c->cd - at ? width : sizeof c->cd - at);
        }
        return 0;
    }
    if (at + 4 <= sizeof c->cd && (type == PCFT_INT || type == PCFT_ENUM || type == PCFT_ENUMNUM ||
                                   type == PCFT_ENUM13 || type == PCFT_ENUM14 ||
                                   type == PCFT_NUMBER || type == PCFT_SHOWINT)) {
        int32_t v;
        memcpy(&v, place, 4);
        PCFSetRecInt(r, v);
        PCFSetState(r, PCFS_PRESENT | PCFS_SPECIFIED);
    }
    return 0;
}

int ConvertChannel(const CHLDEF *channel, uint8_t *settings)
{
    int rc = 0;
    for (const PCFFieldEntry *e = PCFClientChannelDef.fields; e->field; e++)
        if (PCFStoresValue(e) && e->mqcdOffset != NO_POSITION && e->mqcdOffset < sizeof channel->cd)
            rc |= set_field(settings, e, channel);
    return rc;
}

uint8_t *ImportClientSettings(const CHLDEF *channel)
{
    uint8_t *area = PCFNewData(&PCFClientChannelDef, "pClCfgData");
    if (area && ConvertChannel(channel, area) != 0) {
        PCFFreeData(&PCFClientChannelDef, area, 1);
        area = nullptr;
    }
    return area;
}

/* A text value of the settings into out (size bytes), empty without one. */
static void settings_text(const QMS *location, uint32_t attrId, char *out, size_t size)
{
    uint16_t state = 0;
    out[0] = 0;
    if (!location->clientSettings)
        return;
    const uint8_t *r = PCFGetStrValue(nullptr, &PCFClientChannelDef,
                                      (uint8_t *)location->clientSettings, attrId, &state);
    if (r && (state & (PCFS_PRESENT | PCFS_RECEIVED)))
        UTStrCopy(out, (const char *)r, size);
}

void ImportClientNames(const QMS *location, char *channel, char *connection)
{
    settings_text(location, MQCACH_CHANNEL_NAME, channel, CHL_NAME + 1);
    settings_text(location, MQCACH_CONNECTION_NAME, connection, 265);
}
