/* Opening a queue with recovery: a queue held exclusively by another
 * program is freed by inhibiting and allowing gets again, and options an
 * older queue manager refuses are dropped one by one.  Gets inhibited
 * here are always allowed again before the open returns. */
#include "engint.h"

#include <cstring>

/* Sets MQIA_INHIBIT_GET through a handle opened for MQOO_SET alone. */
static MQLONG set_inhibit_get(MQHCONN hconn, int client, const char *qm, const char *object,
                              MQLONG value)
{
    MQIEntryTable *t = MQTableFor(client);
    MQOD od = {MQOD_DEFAULT};
    EngPadName(od.ObjectName, object, 48);
    EngPadName(od.ObjectQMgrName, qm && qm[0] == '*' ? qm + 1 : qm, 48);
    MQHOBJ h;
    MQLONG cc, rc, selector = MQIA_INHIBIT_GET;
    t->MQOPEN(hconn, &od, MQOO_SET, &h, &cc, &rc);
    if (cc == MQCC_FAILED)
        return rc;
    t->MQSET(hconn, h, 1, &selector, 1, &value, 0, nullptr, &cc, &rc);
    MQLONG setRc = cc == MQCC_FAILED ? rc : 0;
    t->MQCLOSE(hconn, &h, MQCO_NONE, &cc, &rc);
    return setRc;
}

static MQLONG set_on_handle(MQHCONN hconn, int client, MQHOBJ h, MQLONG value)
{
    MQLONG cc, rc, selector = MQIA_INHIBIT_GET;
    MQTableFor(client)->MQSET(hconn, h, 1, &selector, 1, &value, 0, nullptr, &cc, &rc);
    return cc == MQCC_FAILED ? rc : 0;
}

/* The next option to drop after 2046, or 0 when none is left. */
static MQLONG droppable(MQLONG options)
{
    static const MQLONG order[] = { MQOO_READ_AHEAD, MQOO_NO_READ_AHEAD, MQOO_SET };
    for (MQLONG o : order)
        if (options & o)
            return o;
    return 0;
}

int MQOpenRetry(MQHCONN hconn, int client, void **cache, const char *qmName,
                const char *objectName, const char *dynamicTemplate, char *resolvedName,
                MQLONG options, MQHOBJ *hobj)
{
    if (EngNoReadAhead() && (options & MQOO_READ_AHEAD))
        options = (options & ~MQOO_READ_AHEAD) | MQOO_NO_READ_AHEAD;
    const MQLONG input = MQOO_INPUT_AS_Q_DEF | MQOO_INPUT_SHARED | MQOO_INPUT_EXCLUSIVE;
    int inhibited = 0, freed = 0;
    MQLONG cc, rc;
    for (;;) {
        MQOpenCached(hconn, client, cache, 0, qmName, objectName, dynamicTemplate, resolvedName,
                     options, MQGMO_NO_SYNCPOINT | MQGMO_CONVERT, nullptr, 0, hobj, nullptr, &cc, &rc);
        if (rc == MQRC_OBJECT_IN_USE && !freed && !EngLeaveGetInhibit()) {
            freed = 1;
            rc = set_inhibit_get(hconn, client, qmName, objectName, MQQA_GET_INHIBITED);
            if (rc)
                return rc;
            inhibited = 1;
            MQESleep(500);
            options |= MQOO_SET;
            continue;
        }
        MQLONG drop = rc == MQRC_OPTIONS_ERROR ? droppable(options) : 0;
        if (!drop)
            break;
        options &= ~drop;
    }
    MQLONG result = rc;
    if (rc == 0 && (options & MQOO_SET) && (options & input)) {
        result = set_on_handle(hconn, client, *hobj, MQQA_GET_ALLOWED);
        inhibited = 0;
    }
    if (inhibited) {
        MQLONG allowed = set_inhibit_get(hconn, client, qmName, objectName, MQQA_GET_ALLOWED);
        if (!result)
            result = allowed;
    }
    return result;
}
