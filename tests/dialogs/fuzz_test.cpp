/* Damaged replies: every prefix and random mutations of real replies of
 * the stand-in, and of a message list reply, through the list fill and
 * the data-area conversion; nothing may be read or written outside its
 * block, and every area stays consistent. */
#include "dlgtest.h"
#include "replysamples.h"

#include <random>

#include "qms.h"

using namespace dlgtest;

namespace {

struct Fuzz : ::testing::Test {
    Recorder rec;
    QMS location = {};
    void SetUp() override
    {
        PCFPrefsDefaults();
        PcfPrefs.predictive = 1;
        rec.Install();
        strcpy(location.qmName, "QMF");
        location.commandLevel = 700;
    }
    void TearDown() override
    {
        rec.ReleasePosted();
        Recorder::Clear();
    }
};

/* The rows of an area lie inside its used part. */
void CheckArea(PCFLISTAREA *a)
{
    if (!a)
        return;
    ASSERT_LE(a->used, a->size);
    uint32_t n = 0;
    for (PCFROW *r = PCFFirstRow(a); r; r = PCFNextRow(a, r)) {
        ASSERT_GE(r->length, PCFLA_ROWHEADER);
        ASSERT_LE((uint8_t *)r + r->length, (uint8_t *)a + a->used);
        n++;
    }
    ASSERT_EQ(n, a->rows);
}

void Feed(Fuzz &f, const std::string &data, Dialog &list, Dialog &queue, Dialog &qm, Dialog &msgs,
         PCFLISTREQ &req, PCFLISTREQ &msgReq)
{
    const uint8_t *p = (const uint8_t *)data.data();
    uint32_t n = (uint32_t)data.size();
    FillListArea(list.get(), &f.location, &req, p, n, 0);
    CheckArea(req.filling);
    FillListArea(msgs.get(), nullptr, &msgReq, p, n, 0);
    CheckArea(msgReq.filling);
    PCFSetDialogData(queue.get(), &f.location, nullptr, nullptr, 1, p, n, nullptr);
    PCFSetDialogData(qm.get(), &f.location, nullptr, nullptr, 0, p, n, nullptr);
    PCFTakeDialogData(qm.get());
}

TEST_F(Fuzz, EveryPrefixAndRandomMutations)
{
    int64_t before = Blocks();
    {
        auto samples = SampleReplies(2);   /* the queues and the queue manager */
        ASSERT_GE(samples.size(), 4u);
        Dialog list(&PCFQueueListDef, (void *)1), queue(&PCFQueueDef), qm(&PCFQueueManagerDef, (void *)2),
            msgs(&PCFMessageListDef, (void *)3);
        FieldHWNDData(queue.get(), 0, nullptr, 0, queue.Field(MQCA_Q_NAME), "FUZZ.Q", -1, 0);
        PCFLISTREQ req = {}, msgReq = {};
        req.location = msgReq.location = &location;
        req.columns = PCFQueueListDef.list->current;
        msgReq.columns = PCFMessageListDef.list->current;
        std::mt19937 rng(16);
        int runs = 0;
        for (const std::string &s : samples) {
            for (size_t i = 0; i <= s.size(); i++, runs++)
                Feed(*this, s.substr(0, i), list, queue, qm, msgs, req, msgReq);
            for (int k = 0; k < 1500; k++, runs++) {
                std::string m = s;
                int edits = 1 + (int)(rng() % 4);
                for (int e = 0; e < edits && !m.empty(); e++) {
                    size_t at = rng() % m.size();
                    switch (rng() % 4) {
                    case 0:
                        m[at] = (char)rng();
                        break;
                    case 1: {                     /* a word: lengths, counts, types */
                        uint32_t word = rng() % 3 ? rng() % 70000 : rng();
                        at &= ~(size_t)3;
                        if (at + 4 <= m.size())
                            memcpy(&m[at], &word, 4);
                        break;
                    }
                    case 2:
                        m.erase(at, 1 + rng() % 16);
                        break;
                    default:
                        m.insert(at, std::string(1 + rng() % 64, (char)rng()));
                    }
                }
                Feed(*this, m, list, queue, qm, msgs, req, msgReq);
                if (k % 100 == 0)
                    rec.ReleasePosted();
            }
        }
        EXPECT_GT(runs, 10000);
        rec.ReleasePosted();
        ReleaseRefBlock(&req.filling);
        ReleaseRefBlock(&msgReq.filling);
    }
    EXPECT_EQ(Blocks(), before);
}

}  // namespace
