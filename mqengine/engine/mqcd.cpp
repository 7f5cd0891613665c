/* The channel definition (MQCD) of a client location: built from the
 * location's client-channel data area, walking the client-connection
 * definition's fields with their MQCD positions, with exit lists,
 * compression lists and the TLS structures (MQSCO, MQAIR); and the choice
 * of the lowest MQCD version that carries every value set. */
#include "engint.h"

#include <cstring>

#include "cs.h"

/* StrucLength by Version, the published 64-bit layout. */
static const int32_t cdLength[13] = {
    0, MQCD_LENGTH_1, MQCD_LENGTH_2, MQCD_LENGTH_3, MQCD_LENGTH_4, MQCD_LENGTH_5,
    MQCD_LENGTH_6, MQCD_LENGTH_7, MQCD_LENGTH_8, MQCD_LENGTH_9, MQCD_LENGTH_10,
    MQCD_LENGTH_11, MQCD_LENGTH_12,
};

/* Static: every byte, padding included, is zero where no value is set. */
static const MQCD defaultCd = {MQCD_DEFAULT};
static const MQSCO defaultSco = {MQSCO_DEFAULT};
static const MQAIR defaultAir = {MQAIR_DEFAULT};

void MQEDefaultMQCD(MQCD *cd)
{
    memcpy(cd, &defaultCd, sizeof *cd);
    cd->MaxMsgLength = 104857600;
}

void ChooseMQCDVersion(MQCD *cd)
{
    int version = 4;
    for (int v = 12; v >= 5; v--) {
        int32_t from = cdLength[v - 1], length = cdLength[v] - from;
        if (memcmp((const char *)cd + from, (const char *)&defaultCd + from, (size_t)length)) {
            version = v;
            break;
        }
    }
    cd->Version = version;
    cd->StrucLength = cdLength[version];
}

/* ---- value records ---- */

#define NO_POSITION 0xFFFFFFFFu

/* A record that holds a value (set by the user, a reply, an import or
 * the configuration file); an empty text holds none, so that the MQCD
 * keeps its default there. */
static const uint8_t *stored(const uint8_t *area, const PCFFieldEntry *e)
{
    const uint8_t *r = area + e->offset;
    if (!PCFStoresValue(e) || !(PCFState(r) & (PCFS_PRESENT | PCFS_RECEIVED)))
        return nullptr;
    return PCFIsTextType(e->field->type) && !PCFRecText((uint8_t *)r)[0] ? nullptr : r;
}

/* The stored record of a field of the definition, or null. */
static const uint8_t *stored_of(const PCFCommandDef *def, const uint8_t *area, int32_t id,
                                const PCFFieldEntry **entry)
{
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->fields, (uint32_t)id);
    if (entry)
        *entry = e;
    return e ? stored(area, e) : nullptr;
}

/* The text of a stored text record, null when empty. */
static const char *record_text(const uint8_t *r)
{
    const char *t = r ? PCFRecText((uint8_t *)r) : nullptr;
    return t && t[0] ? t : nullptr;
}

/* ---- exit lists ---- */

/* One kind of exit: the name list, the user-data list and the MQCD's
 * count and pointers. */
struct ExitKind {
    int32_t names, data;
    size_t defined, namePtr, dataPtr;
};

static const ExitKind exitKinds[3] = {
    { MQCACH_MSG_EXIT_NAME, MQCACH_MSG_EXIT_USER_DATA, offsetof(MQCD, MsgExitsDefined),
      offsetof(MQCD, MsgExitPtr), offsetof(MQCD, MsgUserDataPtr) },
    { MQCACH_SEND_EXIT_NAME, MQCACH_SEND_EXIT_USER_DATA, offsetof(MQCD, SendExitsDefined),
      offsetof(MQCD, SendExitPtr), offsetof(MQCD, SendUserDataPtr) },
    { MQCACH_RCV_EXIT_NAME, MQCACH_RCV_EXIT_USER_DATA, offsetof(MQCD, ReceiveExitsDefined),
      offsetof(MQCD, ReceiveExitPtr), offsetof(MQCD, ReceiveUserDataPtr) },
};

static MQPTR *ptr_at(MQCD *cd, size_t offset) { return (MQPTR *)((char *)cd + offset); }
static MQLONG *long_at(MQCD *cd, size_t offset) { return (MQLONG *)((char *)cd + offset); }

/* The stored string list of a field, with its element width; null when
 * there is none or it is empty. */
static const PCFSTRLIST *string_list(const PCFCommandDef *def, const uint8_t *area, int32_t id,
                                     int *width)
{
    const PCFFieldEntry *e;
    const uint8_t *r = stored_of(def, area, id, &e);
    const PCFSTRLIST *l = r ? PCFRecStrList(r) : nullptr;
    *width = r && e->field->maximum > 0 ? e->field->maximum : 0;
    return l && l->count > 0 && *width ? l : nullptr;
}

/* A blank-filled array of count entries of width, the stored elements
 * copied in; null when out of storage. */
static char *list_array(const PCFSTRLIST *l, int maximum, int32_t count, int32_t width, const char *tag)
{
    char *array = (char *)CSGetMem((size_t)count * width, tag);
    if (!array)
        return nullptr;
    memset(array, ' ', (size_t)count * width);
    for (int32_t i = 0; l && i < l->count && i < count; i++) {
        const char *element = PCFStrListItem((PCFSTRLIST *)l, maximum, i);
        int n = UTTrimmedLength(element, maximum < width ? maximum : width);
        memcpy(array + (size_t)width * i, element, (size_t)n);
    }
    return array;
}

/* Exit names and their user data: 0 or 2071. */
static int set_exits(MQCD *cd, const PCFCommandDef *def, const uint8_t *area)
{
    for (const ExitKind &k : exitKinds) {
        int nameMax, dataMax;
        const PCFSTRLIST *names = string_list(def, area, k.names, &nameMax);
        if (!names)
            continue;
        const PCFSTRLIST *data = string_list(def, area, k.data, &dataMax);
        int32_t count = names->count;
        char *nameArray = list_array(names, nameMax, count, cd->ExitNameLength, "EXITNAMESs");
        char *dataArray = list_array(data, dataMax, count, cd->ExitDataLength, "EXITUSERAREAs");
        *ptr_at(cd, k.namePtr) = nameArray;
        *ptr_at(cd, k.dataPtr) = dataArray;
        *long_at(cd, k.defined) = count;
        if (!nameArray || !dataArray)
            return MQRC_STORAGE_NOT_AVAILABLE;
    }
    return 0;
}

void MQEFreeChannel(MQCD *cd, MQSCO **sco)
{
    for (const ExitKind &k : exitKinds) {
        CSFreeMemAndClear(ptr_at(cd, k.namePtr));
        CSFreeMemAndClear(ptr_at(cd, k.dataPtr));
    }
    if (sco && *sco) {
        CSFreeMemAndClear(&(*sco)->AuthInfoRecPtr);
        CSFreeMemAndClear(sco);
    }
}

/* ---- plain fields ---- */

static int is_exit_list(uint32_t parameter)
{
    for (const ExitKind &k : exitKinds)
        if ((int32_t)parameter == k.names || (int32_t)parameter == k.data)
            return 1;
    return 0;
}

/* An integer list into the MQCD's list at, -1 after the stored elements. */
static void set_int_list(char *at, const PCFFieldEntry *e, const uint8_t *r)
{
    int32_t capacity = e->field->attrId == MQIACH_HDR_COMPRESSION ? 2 : 16;
    const PCFINTLIST *l = PCFRecIntList(r);
    int32_t count = l ? l->count : 0;
    for (int32_t i = 0; i < capacity; i++) {
        MQLONG value = i < count ? PCFIntListItems((PCFINTLIST *)l)[i] : -1;
        memcpy(at + 4 * i, &value, 4);
    }
}

/* One stored value with an MQCD position, by field type. */
static void set_field(MQCD *cd, const PCFFieldEntry *e, const uint8_t *r)
{
    uint32_t position = e->mqcdOffset;
    char *at = (char *)cd + position;
    size_t room = sizeof *cd - position;
    switch (e->field->type) {
    case PCFT_INT: case PCFT_ENUM: case PCFT_ENUMNUM: case PCFT_ENUM13: case PCFT_ENUM14:
    case PCFT_NUMBER: {
        MQLONG v = PCFRecInt(r);
        if (room >= 4)
            memcpy(at, &v, 4);
        break;
    }
    case PCFT_FLAGSET: {
        const PCFINTLIST *l = PCFRecIntList(r);
        MQLONG v = 0;
        for (int i = 0; l && i < l->count; i++)
            v |= PCFIntListItems((PCFINTLIST *)l)[i];
        if (room >= 4)
            memcpy(at, &v, 4);
        break;
    }
    case PCFT_STRING: case PCFT_NAME: case PCFT_STRING25: {
        const char *text = PCFRecText((uint8_t *)r);
        if (position == offsetof(MQCD, SSLPeerNamePtr)) {
            /* the peer name goes by pointer and length */
            cd->SSLPeerNamePtr = text[0] ? (MQPTR)text : nullptr;
            cd->SSLPeerNameLength = (MQLONG)strlen(text);
            break;
        }
        size_t width = e->field->maximum > 0 ? (size_t)e->field->maximum : 0;
        EngPadName(at, text, width < room ? width : room);
        break;
    }
    case PCFT_ENUMLIST: case PCFT_INTLIST:
        if (room >= 64 || (e->field->attrId == MQIACH_HDR_COMPRESSION && room >= 8))
            set_int_list(at, e, r);
        break;
    default:          /* byte strings and the rest: not copied */
        break;
    }
}

/* ---- TLS ---- */

struct TlsParts {
    MQSCO sco;
    MQAIR air;
    int useSco, useAir;
};

/* The text of a TLS field the definition holds without an MQCD position. */
static const char *tls_text(const PCFCommandDef *def, const uint8_t *area, int32_t id)
{
    const PCFFieldEntry *e;
    const uint8_t *r = stored_of(def, area, id, &e);
    return r && e->mqcdOffset == NO_POSITION && PCFIsTextType(e->field->type) ? record_text(r) : nullptr;
}

/* The TLS values without an MQCD position, once a cipher is set. */
static void take_tls(QMS *r, MQCD *cd, const PCFCommandDef *def, const uint8_t *area, TlsParts *t)
{
    const char *label = tls_text(def, area, MQCA_CERT_LABEL);
    const char *peer = tls_text(def, area, MQCACH_SSL_SHORT_PEER_NAME);
    const char *repository = tls_text(def, area, MQCA_SSL_KEY_REPOSITORY);
    const char *infoName = tls_text(def, area, MQCA_AUTH_INFO_CONN_NAME);
    const char *ldapUser = tls_text(def, area, MQCA_LDAP_USER_NAME);
    const char *ldapPassword = tls_text(def, area, MQCA_LDAP_PASSWORD);
    if (label) {
        EngPadName(t->sco.CertificateLabel, label, 64);
        t->sco.Version = MQSCO_VERSION_5;
        t->useSco = 1;
    }
    if (peer) {
        cd->SSLPeerNamePtr = (MQPTR)peer;
        cd->SSLPeerNameLength = (MQLONG)strlen(peer);
    }
    if (repository) {
        EngPadName(t->sco.KeyRepository, repository, 256);
        t->useSco = 1;
    }
    if (infoName)
        EngPadName(t->air.AuthInfoConnName, infoName, 264);
    if (ldapUser) {
        t->air.LDAPUserNamePtr = (PMQCHAR)ldapUser;
        t->air.LDAPUserNameLength = (MQLONG)strlen(ldapUser);
    }
    if (ldapPassword)
        EngPadName(t->air.LDAPPassword, ldapPassword, 32);
    t->useAir = infoName || ldapUser || ldapPassword;
    const PCFFieldEntry *e;
    const uint8_t *lookup = stored_of(def, area, CLN_KDB_LOOKUP, &e);
    if (lookup && PCFIsIntType(e->field->type) && PCFRecInt(lookup) == 1 && repository)
        KDBFind(repository, (KDBS **)&r->kdbEntry, 1);
}

/* The location's key-repository password, when it has TLS settings. */
static void take_key_password(QMS *r, TlsParts *t)
{
    KDBS *k = (KDBS *)r->kdbEntry;
    if (!k || !t->useSco)
        return;
    t->sco.Version = MQSCO_VERSION_6;
    t->sco.KeyRepoPasswordPtr = k->password;
    t->sco.KeyRepoPasswordLength = (MQLONG)strlen(k->password);
}

/* The MQSCO (and MQAIR) handed to MQCONNX: 0 or 2071. */
static int make_sco(TlsParts *t, MQSCO **sco)
{
    if (!t->useSco && !t->useAir)
        return 0;
    *sco = (MQSCO *)CSGetMem(sizeof **sco, "MQSCO");
    if (!*sco)
        return MQRC_STORAGE_NOT_AVAILABLE;
    **sco = t->sco;
    if (!t->useAir)
        return 0;
    MQAIR *air = (MQAIR *)CSGetMem(sizeof *air, "MYMQAIR");
    if (!air)
        return MQRC_STORAGE_NOT_AVAILABLE;
    *air = t->air;
    (*sco)->AuthInfoRecCount = 1;
    (*sco)->AuthInfoRecPtr = air;
    return 0;
}

int MQEConvertChannel(const PCFCommandDef *def, const uint8_t *area, QMS *r, MQCD *cd, MQSCO **sco)
{
    MQEDefaultMQCD(cd);
    *sco = nullptr;
    int rc = 0, cipher = 0;
    if (area) {
        for (const PCFFieldEntry *e = def->fields; e->field; e++) {
            const uint8_t *rec = stored(area, e);
            if (!rec || e->mqcdOffset == NO_POSITION || e->mqcdOffset >= sizeof *cd ||
                is_exit_list(e->field->attrId))
                continue;
            set_field(cd, e, rec);
            if (e->field->attrId == MQCACH_SSL_CIPHER_SPEC && PCFIsTextType(e->field->type) && record_text(rec))
                cipher = 1;
        }
        rc = set_exits(cd, def, area);
    }
    TlsParts tls;
    tls.sco = defaultSco;
    tls.air = defaultAir;
    tls.useSco = tls.useAir = 0;
    if (area && cipher)
        take_tls(r, cd, def, area, &tls);
    take_key_password(r, &tls);
    ChooseMQCDVersion(cd);
    if (!rc)
        rc = make_sco(&tls, sco);
    if (rc)
        MQEFreeChannel(cd, sco);
    return rc;
}

int ConvertDataMQCD(QMS *r, MQCD *cd, MQSCO **sco)
{
    PCFInitCommandDefs();
    return MQEConvertChannel(&PCFClientChannelDef, (const uint8_t *)r->clientSettings, r, cd, sco);
}
