/* Test helpers of MQSC (mqsctest.h). */
#include "mqsctest.h"

#include <cstring>

#include "cs.h"
#include "locstore.h"
#include "mq/capability.h"

using namespace cmdtest;

namespace mqsctest {

Parsed Parse(const uint8_t *data, uint32_t length)
{
    Parsed p;
    MQPP pp;
    MQLONG cc, rc, command;
    PCFInitParse(&pp, data, (int32_t)length, &command, &cc, &rc);
    if (cc)
        return p;
    memcpy(&p.head, data, sizeof p.head);
    for (;;) {
        MQLONG type, id, n, count;
        void *v;
        PCFGetNextParm(&pp, &type, &id, &v, &n, &count, &cc, &rc);
        if (cc)
            break;
        p.order.push_back(id);
        const char *s = (const char *)v;
        if (type == MQCFT_INTEGER)
            p.ints[id] = *(int32_t *)v;
        else if (type == MQCFT_STRING)
            p.strs[id] = std::string(s, (size_t)n);
        else if (type == MQCFT_INTEGER_LIST)
            p.lists[id] = std::vector<int32_t>((int32_t *)v, (int32_t *)v + count);
        else if (type == MQCFT_STRING_LIST)
            for (MQLONG i = 0; i < count; i++)
                p.strlists[id].push_back(std::string(s + i * (n / count), (size_t)(n / count)));
        else if (type == MQCFT_BYTE_STRING)
            p.bytes[id] = std::string(s, (size_t)n);
    }
    return p;
}

static void CapsFor(void *, uint8_t *caps, int32_t platform, int32_t level)
{
    CapSetForQmgr(caps, platform, level);
}

void Live::SetUp()
{
    EngineTest::SetUp();
    hooks.Install();
    hooks.onFrame = [](const FrameMsg &m) {
        if (m.message == 11383)
            RequestQmgrRefresh(m.location, (uint32_t)m.wParam, nullptr, 0);
    };
    LOCHOOKS l = {};
    l.capsForQmgr = CapsFor;
    LocSetHooks(&l);
}

void Live::TearDown()
{
    WaitFor([] { return IfcmdCount() == 0; });
    hooks.Pump();
    IfcmdPurge(0, nullptr, 1);
    for (QMS *r : locations)
        LocFreeCache(r, 0);
    hooks.Remove();
    LocSetHooks(nullptr);
    EngineTest::TearDown();
}

QMS *Live::Location(const char *qm, uint32_t flags)
{
    QMS *r = EngineTest::Location(qm);
    r->authMask = ~0ull;
    r->flags |= flags;
    return r;
}

int Live::Do(TestDialog &d, uint32_t action)
{
    return DoAction(hooks, d, action);
}

bool Live::Listed(QMS *r, std::initializer_list<const char *> queues)
{
    return WaitFor([r, queues] {
        if (!(r->refreshMarks & RM_QUEUES_DONE) || (r->refreshMarks & RM_BUSY))
            return false;
        for (const char *q : queues)
            if (!LocFindQueueInfo(r, q))
                return false;
        return true;
    });
}

std::vector<std::string> Live::Puts()
{
    std::vector<std::string> out;
    for (const MQCall &c : Rec.Of("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE"))
        out.push_back(c.data);
    return out;
}

}  // namespace mqsctest
