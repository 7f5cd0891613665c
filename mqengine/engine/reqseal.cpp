/* The seal of the program's own requests.  A location's reply queue is a
 * queue others may be allowed to put to, and the get thread hands what
 * it reads there to the command agent; the agent must run only the
 * requests this program put there itself.  Each such request carries a
 * fresh random correlation id, remembered until the get thread reads it
 * back: a request whose seal is not outstanding is discarded, counted
 * and reported once per location.  A seal is good once, so a copy of a
 * request seen on the queue cannot be replayed.  Seals of requests that
 * never come back (expired, put failed) give way to new ones, the oldest
 * first. */
#include "engint.h"

#include <cstring>
#include <random>

#include "cslock.h"

#define SEAL_SLOTS 256

struct Seal {
    QMS *location;
    uint8_t correlId[24];
};

static Seal Seals[SEAL_SLOTS];
static uint32_t NextSlot;
static CSLOCK SealLock;

/* 24 bytes from the system's random source. */
static void random_id(uint8_t *out)
{
    static std::random_device source;
    for (int i = 0; i < 24; i += 4) {
        uint32_t v = (uint32_t)source();
        memcpy(out + i, &v, 4);
    }
}

void EngSealRequest(QMS *location, MQMD *md)
{
    CSLock(&SealLock);
    Seal *s = &Seals[NextSlot++ % SEAL_SLOTS];
    random_id(s->correlId);
    s->location = location;
    memcpy(md->CorrelId, s->correlId, sizeof md->CorrelId);
    CSUnlockIt(&SealLock);
}

int EngTakeSeal(QMS *location, const MQMD *md)
{
    static const uint8_t none[24] = {};
    if (!location || !memcmp(md->CorrelId, none, sizeof none))
        return 0;
    int found = 0;
    CSLock(&SealLock);
    for (Seal &s : Seals)
        if (s.location == location && !memcmp(s.correlId, md->CorrelId, sizeof s.correlId)) {
            memset(&s, 0, sizeof s);
            found = 1;
            break;
        }
    CSUnlockIt(&SealLock);
    return found;
}

int EngDiscardStranger(QMS *location, const MQMD *md)
{
    MQELOC *e = location ? MQELocOf(location) : nullptr;
    if (!e)
        return 0;
    if (e->strangers++)
        return 0;
    char user[13], appl[29], text[300];
    EngTrimName(user, md->UserIdentifier, 12);
    EngTrimName(appl, md->PutApplName, 28);
    EngFormat(text, sizeof text,
              "Message on reply queue '%s' discarded: not a request of this program"
              " (user '%s', application '%s')",
              e->replyQ, user, appl);
    MQEOpError(nullptr, location, 6, text);
    return 0;
}
