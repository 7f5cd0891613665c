/* Stand-in for the client-channel definition: its fields with their MQCD
 * positions, and value records in a data area of its own layout. */
#include "clndef_standin.h"

#include <cstddef>
#include <cstring>
#include <mutex>

#include "mqi.h"

/* Field types used here. */
enum { FT_INT = 1, FT_ENUM = 3, FT_STRING = 4, FT_STRLIST = 7, FT_INTLIST = 19 };

#define AT(field) (int32_t)offsetof(MQCD, field)
#define NONE -1

/* Area offsets are filled in once (offset 0 below): each record is 4
 * bytes of state and count, then the value rounded up to 4 bytes. */
static CLNFIELD fields[] = {
    { MQCACH_CHANNEL_NAME, FT_STRING, 20, 1, AT(ChannelName), 0 },
    { MQIACH_CHANNEL_TYPE, FT_ENUM, 4, 1, AT(ChannelType), 0 },
    { MQIACH_XMIT_PROTOCOL_TYPE, FT_ENUM, 4, 1, AT(TransportType), 0 },
    { MQCACH_DESC, FT_STRING, 64, 1, AT(Desc), 0 },
    { MQCA_Q_MGR_NAME, FT_STRING, 48, 1, AT(QMgrName), 0 },
    { MQCACH_MODE_NAME, FT_STRING, 8, 1, AT(ModeName), 0 },
    { MQCACH_TP_NAME, FT_STRING, 64, 1, AT(TpName), 0 },
    { MQCACH_SEC_EXIT_NAME, FT_STRING, 128, 1, AT(SecurityExit), 0 },
    { MQCACH_SEC_EXIT_USER_DATA, FT_STRING, 32, 1, AT(SecurityUserData), 0 },
    { MQCACH_MSG_EXIT_NAME, FT_STRLIST, 128, 8, AT(MsgExit), 0 },
    { MQCACH_SEND_EXIT_NAME, FT_STRLIST, 128, 8, AT(SendExit), 0 },
    { MQCACH_RCV_EXIT_NAME, FT_STRLIST, 128, 8, AT(ReceiveExit), 0 },
    { MQCACH_MSG_EXIT_USER_DATA, FT_STRLIST, 32, 8, AT(MsgUserData), 0 },
    { MQCACH_SEND_EXIT_USER_DATA, FT_STRLIST, 32, 8, AT(SendUserData), 0 },
    { MQCACH_RCV_EXIT_USER_DATA, FT_STRLIST, 32, 8, AT(ReceiveUserData), 0 },
    { MQIACH_MAX_MSG_LENGTH, FT_INT, 4, 1, AT(MaxMsgLength), 0 },
    { MQCACH_USER_ID, FT_STRING, 12, 1, AT(UserIdentifier), 0 },
    { MQCACH_PASSWORD, FT_STRING, 12, 1, AT(Password), 0 },
    { MQCACH_CONNECTION_NAME, FT_STRING, 264, 1, AT(ConnectionName), 0 },
    { MQIACH_HB_INTERVAL, FT_INT, 4, 1, AT(HeartbeatInterval), 0 },
    { MQCACH_SSL_CIPHER_SPEC, FT_STRING, 32, 1, AT(SSLCipherSpec), 0 },
    { MQIACH_KEEP_ALIVE_INTERVAL, FT_INT, 4, 1, AT(KeepAliveInterval), 0 },
    { MQCACH_LOCAL_ADDRESS, FT_STRING, 48, 1, AT(LocalAddress), 0 },
    { MQIACH_HDR_COMPRESSION, FT_INTLIST, 4, 2, AT(HdrCompList), 0 },
    { MQIACH_MSG_COMPRESSION, FT_INTLIST, 4, 16, AT(MsgCompList), 0 },
    { MQIACH_SHARING_CONVERSATIONS, FT_INT, 4, 1, AT(SharingConversations), 0 },
    { MQIACH_CLIENT_CHANNEL_WEIGHT, FT_INT, 4, 1, AT(ClientChannelWeight), 0 },
    { MQIACH_CONNECTION_AFFINITY, FT_ENUM, 4, 1, AT(ConnectionAffinity), 0 },
    { MQIACH_DEF_RECONNECT, FT_ENUM, 4, 1, AT(DefReconnect), 0 },
    { MQCA_CERT_LABEL, FT_STRING, 64, 1, NONE, 0 },
    { MQCACH_SSL_SHORT_PEER_NAME, FT_STRING, 256, 1, NONE, 0 },
    { MQCA_SSL_KEY_REPOSITORY, FT_STRING, 256, 1, NONE, 0 },
    { MQCA_AUTH_INFO_CONN_NAME, FT_STRING, 264, 1, NONE, 0 },
    { MQCA_LDAP_USER_NAME, FT_STRING, 100, 1, NONE, 0 },
    { MQCA_LDAP_PASSWORD, FT_STRING, 32, 1, NONE, 0 },
    { 10297, FT_INT, 4, 1, NONE, 0 },
    { 0, 0, 0, 0, 0, 0 },
};

static int32_t areaSize;
static std::once_flag laidOut;

static int32_t value_size(const CLNFIELD *f)
{
    switch (f->type) {
    case FT_STRING: return f->length + 1;
    case FT_STRLIST: return f->length * f->elements;
    case FT_INTLIST: return 4 * f->elements;
    default: return 4;
    }
}

/* Lays the records out, once. */
static void layout(void)
{
    std::call_once(laidOut, [] {
        int32_t at = 0;
        for (CLNFIELD *f = fields; f->parameter; f++) {
            f->areaOffset = at;
            at += 4 + ((value_size(f) + 3) & ~3);
        }
        areaSize = at;
    });
}

const CLNFIELD *ClientChannelFields(void)
{
    layout();
    return fields;
}

int32_t ClientChannelAreaSize(void)
{
    layout();
    return areaSize;
}

const CLNFIELD *ClnFind(int32_t parameter)
{
    for (const CLNFIELD *f = ClientChannelFields(); f->parameter; f++)
        if (f->parameter == parameter)
            return f;
    return nullptr;
}

uint16_t *ClnState(void *area, const CLNFIELD *field)
{
    return (uint16_t *)((uint8_t *)area + field->areaOffset);
}

void *ClnValue(void *area, const CLNFIELD *field, int32_t *count)
{
    uint8_t *record = (uint8_t *)area + field->areaOffset;
    if (count) {
        uint16_t n;
        memcpy(&n, record + 2, 2);
        *count = n > field->elements ? field->elements : n;
    }
    return record + 4;
}

int ClnSetInt(void *area, int32_t parameter, int32_t value)
{
    const CLNFIELD *f = ClnFind(parameter);
    if (!f || f->type == FT_STRING || f->type == FT_STRLIST || f->type == FT_INTLIST)
        return -1;
    memcpy(ClnValue(area, f, nullptr), &value, 4);
    *ClnState(area, f) = CLN_PRESENT;
    return 0;
}

int ClnSetString(void *area, int32_t parameter, const char *value)
{
    const CLNFIELD *f = ClnFind(parameter);
    if (!f || f->type != FT_STRING || strlen(value) > (size_t)f->length)
        return -1;
    char *v = (char *)ClnValue(area, f, nullptr);
    memset(v, 0, (size_t)f->length + 1);
    memcpy(v, value, strlen(value));
    *ClnState(area, f) = CLN_PRESENT;
    return 0;
}

int ClnSetList(void *area, int32_t parameter, const char *const *strings, const int32_t *ints,
               int32_t count)
{
    const CLNFIELD *f = ClnFind(parameter);
    if (!f || (f->type != FT_STRLIST && f->type != FT_INTLIST) || count < 0 || count > f->elements)
        return -1;
    uint8_t *v = (uint8_t *)ClnValue(area, f, nullptr);
    memset(v, f->type == FT_STRLIST ? ' ' : 0, (size_t)value_size(f));
    for (int32_t i = 0; i < count; i++) {
        if (f->type == FT_INTLIST) {
            memcpy(v + 4 * i, &ints[i], 4);
            continue;
        }
        size_t n = strlen(strings[i]);
        if (n > (size_t)f->length)
            return -1;
        memcpy(v + (size_t)f->length * i, strings[i], n);
    }
    uint16_t n = (uint16_t)count;
    memcpy((uint8_t *)area + f->areaOffset + 2, &n, 2);
    *ClnState(area, f) = CLN_PRESENT;
    return 0;
}
