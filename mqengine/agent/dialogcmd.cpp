/* The saved-dialog commands (MYCMD_INQUIRE_DIALOG to MYCMD_CREATE_DIALOG):
 * the configuration's saved dialogs answer them, and each response they
 * build goes back as one part of the reply. */
#include "agentint.h"

#include <cstring>

#include "cs.h"
#include "savedlg.h"

/* Where the parts go: the request being answered. */
struct DLGSENDER {
    QMS *location;
    MQHCONN hconn;
    void **cache;
    MQMD *md;
};

/* One built response sent as a part of the reply (SendResponse sets its
 * type and control words, so it goes out from a copy). */
static void send_part(void *ctx, const void *message, int32_t length, int last)
{
    DLGSENDER *s = (DLGSENDER *)ctx;
    if (length < (int32_t)sizeof(MQCFH))
        return;
    uint8_t *copy = (uint8_t *)CSGetMem((size_t)length, "DLGRESPONSE");
    if (!copy)
        return;
    memcpy(copy, message, (size_t)length);
    MQPP pp;
    memset(&pp, 0, sizeof pp);
    memcpy(pp.signature, "MQPP", 4);
    pp.message = copy;
    pp.position = pp.size = length;
    SendResponse(s->location, s->hconn, s->cache, s->md, &pp, last);
    CSFreeMem(copy);
}

int DialogCommand(QMS *r, int32_t command, MQHCONN h, void **cache, MQMD *md, MQPP *request)
{
    DLGSENDER s = { r, h, cache, md };
    DLGREPLY reply = { &s, send_part };
    return DialogCommand(&reply, command, request->message, request->size);
}
