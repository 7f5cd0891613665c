/* The channel definition (MQCD) of a client location: built from the
 * location's stored client-channel values, with exit lists, compression
 * lists and the TLS structures (MQSCO, MQAIR); and the choice of the
 * lowest MQCD version that carries every value set. */
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

/* A blank-filled array of count entries of width, the stored elements
 * copied in; null when out of storage. */
static char *list_array(void *area, const CLNFIELD *f, int32_t count, int32_t width, const char *tag)
{
    char *array = (char *)CSGetMem((size_t)count * width, tag);
    if (!array)
        return nullptr;
    memset(array, ' ', (size_t)count * width);
    int32_t stored = 0;
    const char *v = f && (*ClnState(area, f) & CLN_PRESENT) ? (const char *)ClnValue(area, f, &stored) : nullptr;
    for (int32_t i = 0; v && i < stored && i < count; i++) {
        const char *element = v + (size_t)f->length * i;
        memcpy(array + (size_t)width * i, element, (size_t)UTTrimmedLength(element, f->length));
    }
    return array;
}

/* Exit names and their user data: 0 or 2071. */
static int set_exits(MQCD *cd, void *area)
{
    for (const ExitKind &k : exitKinds) {
        const CLNFIELD *names = ClnFind(k.names);
        int32_t count = 0;
        if (!names || !(*ClnState(area, names) & CLN_PRESENT))
            continue;
        ClnValue(area, names, &count);
        if (count == 0)
            continue;
        char *nameArray = list_array(area, names, count, cd->ExitNameLength, "EXITNAMESs");
        char *dataArray = list_array(area, ClnFind(k.data), count, cd->ExitDataLength, "EXITUSERAREAs");
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

static int is_exit_list(int32_t parameter)
{
    for (const ExitKind &k : exitKinds)
        if (parameter == k.names || parameter == k.data)
            return 1;
    return 0;
}

/* Copies a text of at most width characters, blank padded. */
static void copy_text(char *out, const char *text, int32_t width)
{
    EngPadName(out, text, (size_t)width);
}

/* One value with an MQCD position, by field type. */
static void set_field(MQCD *cd, void *area, const CLNFIELD *f)
{
    char *at = (char *)cd + f->mqcdOffset;
    int32_t count = 0;
    const void *v = ClnValue(area, f, &count);
    switch (f->type) {
    case 1: case 2: case 3: case 13: case 14: case 15: case 24:
        memcpy(at, v, 4);
        break;
    case 4: case 5: case 25:
        copy_text(at, (const char *)v, f->length);
        break;
    case 19: case 22: {
        int32_t capacity = f->parameter == MQIACH_HDR_COMPRESSION ? 2 : 16;
        for (int32_t i = 0; i < capacity; i++) {
            MQLONG value = -1;
            if (i < count)
                memcpy(&value, (const char *)v + 4 * i, 4);
            memcpy(at + 4 * i, &value, 4);
        }
        break;
    }
    default:          /* 8, 9 and the rest: not copied */
        break;
    }
}

/* ---- TLS ---- */

struct TlsParts {
    MQSCO sco;
    MQAIR air;
    int useSco, useAir;
};

static const char *text_of(void *area, int32_t parameter)
{
    const CLNFIELD *f = ClnFind(parameter);
    if (!f || !(*ClnState(area, f) & CLN_PRESENT))
        return nullptr;
    const char *v = (const char *)ClnValue(area, f, nullptr);
    return v[0] ? v : nullptr;
}

/* The TLS values without an MQCD position, once a cipher is set. */
static void take_tls(QMS *r, MQCD *cd, void *area, TlsParts *t)
{
    const char *label = text_of(area, MQCA_CERT_LABEL);
    const char *peer = text_of(area, MQCACH_SSL_SHORT_PEER_NAME);
    const char *repository = text_of(area, MQCA_SSL_KEY_REPOSITORY);
    const char *infoName = text_of(area, MQCA_AUTH_INFO_CONN_NAME);
    const char *ldapUser = text_of(area, MQCA_LDAP_USER_NAME);
    const char *ldapPassword = text_of(area, MQCA_LDAP_PASSWORD);
    if (label) {
        copy_text(t->sco.CertificateLabel, label, 64);
        t->sco.Version = MQSCO_VERSION_5;
        t->useSco = 1;
    }
    if (peer) {
        cd->SSLPeerNamePtr = (MQPTR)peer;
        cd->SSLPeerNameLength = (MQLONG)strlen(peer);
    }
    if (repository) {
        copy_text(t->sco.KeyRepository, repository, 256);
        t->useSco = 1;
    }
    if (infoName)
        copy_text(t->air.AuthInfoConnName, infoName, 264);
    if (ldapUser) {
        t->air.LDAPUserNamePtr = (PMQCHAR)ldapUser;
        t->air.LDAPUserNameLength = (MQLONG)strlen(ldapUser);
    }
    if (ldapPassword)
        copy_text(t->air.LDAPPassword, ldapPassword, 32);
    t->useAir = infoName || ldapUser || ldapPassword;
    const CLNFIELD *lookup = ClnFind(CLN_KDB_LOOKUP);
    int32_t wanted = 0;
    if (lookup && (*ClnState(area, lookup) & CLN_PRESENT))
        memcpy(&wanted, ClnValue(area, lookup, nullptr), 4);
    if (wanted == 1 && repository)
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

int ConvertDataMQCD(QMS *r, MQCD *cd, MQSCO **sco)
{
    MQEDefaultMQCD(cd);
    *sco = nullptr;
    void *area = r->clientSettings;
    int rc = 0, cipher = 0;
    if (area) {
        for (const CLNFIELD *f = ClientChannelFields(); f->parameter; f++) {
            if (!(*ClnState(area, f) & CLN_PRESENT) || f->mqcdOffset < 0 || is_exit_list(f->parameter))
                continue;
            set_field(cd, area, f);
            if (f->parameter == MQCACH_SSL_CIPHER_SPEC && text_of(area, f->parameter))
                cipher = 1;
        }
        rc = set_exits(cd, area);
    }
    TlsParts tls;
    tls.sco = defaultSco;
    tls.air = defaultAir;
    tls.useSco = tls.useAir = 0;
    if (area && cipher)
        take_tls(r, cd, area, &tls);
    take_key_password(r, &tls);
    ChooseMQCDVersion(cd);
    if (!rc)
        rc = make_sco(&tls, sco);
    if (rc)
        MQEFreeChannel(cd, sco);
    return rc;
}
