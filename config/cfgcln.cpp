/* The "CLN:" sub-block of a location: the values of its client-channel
 * data area, one line per attribute ("%5d=%d" integers, "%5d=" and a
 * quoted text for strings, a count and one quoted line per item for
 * string lists, a count and the items for integer lists), written from
 * the area and read back into one.  Passwords are read but never
 * written. */
#include "cfgfile.h"

#include <cstring>

#include "cs.h"
#include "dialogs.h"
#include "mqi.h"

/* Most items a list line may announce. */
#define CLN_MAX_ITEMS 32000

/* ---- writing ---- */

/* Passwords are never written: the file is plain text, and a location's
 * passwords belong in the enciphered password cache.  A value read from
 * an older file still reaches the area (and the connection) for the run. */
static const uint32_t unsavedAttributes[] = {
    MQCACH_PASSWORD, MQCA_SSL_KEY_REPO_PASSWORD, MQCA_LDAP_PASSWORD,
};

static int never_saved(uint32_t attrId)
{
    for (uint32_t id : unsavedAttributes)
        if (id == attrId)
            return 1;
    return 0;
}

/* "%5d=" of an attribute: its id right-aligned in five columns. */
static void SaveId(PRFOUT *out, const PCFFieldEntry *e)
{
    char digits[16];
    size_t n = (size_t)(CSPutDec(digits, (int)e->field->attrId) - digits);
    char *w = PrfOutReserve(out, n + 6);
    if (!w)
        return;
    for (size_t i = n; i < 5; i++)
        *w++ = ' ';
    memcpy(w, digits, n);
    w[n] = '=';
    PrfOutCommit(out, w + n + 1);
}

static void SaveStrings(PRFOUT *out, const PCFFieldEntry *e, const uint8_t *r)
{
    PCFSTRLIST *l = PCFRecStrList(r);
    int max = e->field->maximum;
    if (!l || !l->count)
        return;
    SaveId(out, e);
    PrfOutInt(out, l->count);
    for (int i = 0; i < l->count; i++) {
        const char *item = PCFStrListItem(l, max, i);
        PrfOutChar(out, '\n');
        PrfPutQuoted(out, item, (size_t)UTTrimmedLength(item, max));
    }
    PrfOutChar(out, '\n');
}

static void SaveInts(PRFOUT *out, const PCFFieldEntry *e, const uint8_t *r)
{
    PCFINTLIST *l = PCFRecIntList(r);
    if (!l || !l->count)
        return;
    SaveId(out, e);
    PrfOutInt(out, l->count);
    for (int i = 0; i < l->count; i++)
        PrfOutKeyInt(out, " ", PCFIntListItems(l)[i], 0);
    PrfOutChar(out, '\n');
}

void SaveObject(PRFOUT *out, const uint8_t *area, const PCFCommandDef *def)
{
    if (!area || !def)
        return;
    for (const PCFFieldEntry *e = def->fields; e->field; e++) {
        if ((e->flags & (PCFE_NOSTORE | PCFE_NOSTORE2)) || never_saved(e->field->attrId))
            continue;
        const uint8_t *r = area + e->offset;
        uint16_t st = PCFState(r);
        int type = e->field->type;
        /* a value from a reply counts as present as well as a typed one */
        if (!(st & (PCFS_PRESENT | PCFS_RECEIVED)) || type < 1 || type > 25)
            continue;
        int specified = (st & PCFS_SPECIFIED) != 0;
        switch (type) {
        case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
        case PCFT_NUMBER:
            if (specified) {
                SaveId(out, e);
                PrfOutKeyInt(out, "", PCFRecInt(r), '\n');
            }
            break;
        case PCFT_FLAGSET:
            if (specified) {
                PCFINTLIST *l = PCFRecIntList(r);
                int32_t v = 0;
                for (int i = 0; l && i < l->count; i++)
                    v |= PCFIntListItems(l)[i];
                SaveId(out, e);
                PrfOutKeyInt(out, "", v, '\n');
            }
            break;
        case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25:
            if (specified) {
                const char *text = PCFRecText((uint8_t *)r);
                SaveId(out, e);
                PrfPutQuoted(out, text, (size_t)UTTrimmedLength(text, (int)strlen(text)));
                PrfOutChar(out, '\n');
            }
            break;
        case PCFT_STRLIST: case PCFT_MULTISTR:
            SaveStrings(out, e, r);
            break;
        case PCFT_ENUMLIST: case PCFT_INTLIST:
            SaveInts(out, e, r);
            break;
        }
    }
}

/* ---- reading ---- */

static void Replace(uint8_t *r, void *block)
{
    void *old = PCFRecPtr(r);
    if (old)
        CSFreeMem(old);
    PCFSetRecPtr(r, block);
}

/* n quoted items after a count, or the value as the only item. */
static int RestoreStrings(PRFIN *in, char *token, uint32_t *q, const PCFFieldEntry *e, uint8_t *r,
                          const char *value)
{
    int64_t n = 1;
    int counted = PrfBoundedCount(value, CLN_MAX_ITEMS, &n);
    if (!counted)
        n = 1;
    int max = e->field->maximum > 0 ? e->field->maximum : 1;
    PCFSTRLIST *l = (PCFSTRLIST *)CSGetMem((size_t)(n + 1) * (size_t)max + 15, "PCFSTRLHDR1");
    if (l) {
        memset(l, ' ', (size_t)(n + 1) * (size_t)max + 15);
        l->size = (uint32_t)((n + 1) * max + 15);
        l->reserved = 0;
        l->capacity = (int16_t)(n + 1);
        l->count = (int16_t)n;
    }
    int rc = 1;
    for (int64_t i = 0; i < n; i++) {
        const char *item = value;
        if (counted) {
            int len = PrfGetToken(in, q, 0, token);
            if (!len && !*q) {
                n = i;
                rc = 0;
                break;
            }
            item = token;
        }
        size_t len = strlen(item);
        if (l)
            memcpy(PCFStrListItem(l, max, (int)i), item, len < (size_t)max ? len : (size_t)max);
    }
    if (l) {
        l->count = (int16_t)n;
        Replace(r, l);
        PCFSetState(r, PCFState(r) | PCFS_SPECIFIED);
    }
    return rc;
}

static int RestoreInts(PRFIN *in, char *token, uint32_t *q, uint8_t *r, const char *value)
{
    int64_t n;
    if (!PrfBoundedCount(value, CLN_MAX_ITEMS, &n))
        return 1;
    PCFINTLIST *l = (PCFINTLIST *)CSGetMem(4 * (size_t)n + 12, "PCFINTLHDR");
    if (l) {
        l->capacity = (int16_t)(n + 1);
        l->count = (int16_t)n;
    }
    for (int64_t i = 0; i < n; i++) {
        if (!PrfGetToken(in, q, 0, token) && !*q) {
            if (l)
                l->count = (int16_t)i;
            n = i;
            break;
        }
        if (l)
            PCFIntListItems(l)[i] = (int32_t)PrfDecimal(token);
    }
    if (l) {
        Replace(r, l);
        PCFSetState(r, PCFState(r) | PCFS_SPECIFIED);
    }
    return 1;
}

/* Sets a flag set from one integer: one element. */
static void RestoreFlagSet(uint8_t *r, int32_t v)
{
    PCFINTLIST *l = (PCFINTLIST *)CSGetMem(sizeof(PCFINTLIST) + 8, "PCFINTLHDR");
    if (!l)
        return;
    l->capacity = 2;
    l->count = v ? 1 : 0;
    PCFIntListItems(l)[0] = v;
    Replace(r, l);
    PCFSetState(r, PCFState(r) | PCFS_SPECIFIED);
}

int RestoreObject(PRFIN *in, char *token, uint32_t *quoted, uint8_t *area, const PCFCommandDef *def)
{
    char value[PRF_TOKEN_SIZE];
    int len = PrfGetToken(in, quoted, 0, token);
    while (len || *quoted) {
        if (PrfIsSectionTag(token, len, *quoted))
            return len;
        uint32_t id = (uint32_t)PrfDecimal(token);
        len = PrfGetToken(in, quoted, 0, token);
        if (len == 1 && !*quoted && token[0] == '=')
            len = PrfGetToken(in, quoted, 0, token);
        if ((!len && !*quoted) || PrfIsSectionTag(token, len, *quoted))
            return len;
        memcpy(value, token, (size_t)len + 1);
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->fields, id);
        if (!e || !PCFStoresValue(e)) {
            /* an attribute this program does not know: its items go too */
            do
                len = PrfGetToken(in, quoted, 0, token);
            while (*quoted);
            continue;
        }
        uint8_t *r = area + e->offset;
        PCFSetState(r, PCFState(r) | PCFS_PRESENT | PCFS_RECEIVED);
        int type = e->field->type;
        if (type == PCFT_FLAGSET) {
            RestoreFlagSet(r, (int32_t)PrfDecimal(value));
        } else if (PCFEmptyValueLength(type) == 14 && type != PCFT_MESSAGE) {
            PCFSetRecInt(r, (int32_t)PrfDecimal(value));
            PCFSetState(r, PCFState(r) | PCFS_SPECIFIED);
        } else if (type == PCFT_STRING || type == PCFT_NAME || type == PCFT_STRING25) {
            size_t max = e->field->maximum > 0 ? (size_t)e->field->maximum : 0;
            char *text = PCFRecText(r);
            memset(text, 0, max + 1);
            memcpy(text, value, strlen(value) < max ? strlen(value) : max);
            PCFSetState(r, PCFState(r) | PCFS_SPECIFIED);
        } else if (type == PCFT_STRLIST || type == PCFT_MULTISTR) {
            if (!RestoreStrings(in, token, quoted, e, r, value))
                return 0;
        } else if (type == PCFT_ENUMLIST || type == PCFT_INTLIST) {
            RestoreInts(in, token, quoted, r, value);
        }
        len = PrfGetToken(in, quoted, 0, token);
    }
    return 0;
}

void CfgFreeClientSettings(QMS *location)
{
    if (location->clientSettings) {
        PCFFreeData(&PCFClientChannelDef, (uint8_t *)location->clientSettings, 1);
        location->clientSettings = nullptr;
    }
}
