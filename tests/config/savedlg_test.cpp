/* Saved dialogs through the program's own dialog commands: requests built
 * as PCF, answers walked; the parts copied by a change; capture. */
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mq/pcf.h"
#include "cfgdefs.h"
#include "prfdata.h"
#include "savedlg.h"
#include "cs.h"

namespace {

struct Answer {
    MQCFH cfh;
    std::map<int32_t, int32_t> ints;
    std::map<int32_t, std::string> texts;
    std::vector<int32_t> order;
    int last;
};

std::vector<Answer> answers;
int staleMarks;
std::vector<uint32_t> posts;

void take(void *, const void *message, int32_t length, int last)
{
    Answer a = {};
    memcpy(&a.cfh, message, sizeof a.cfh);
    a.last = last;
    MQPP pp;
    MQLONG cmd, cc, rc;
    PCFInitParse(&pp, message, length, &cmd, &cc, &rc);
    for (;;) {
        MQLONG type, id, len, count;
        void *v;
        PCFGetNextParm(&pp, &type, &id, &v, &len, &count, &cc, &rc);
        if (cc)
            break;
        a.order.push_back(id);
        if (type == MQCFT_INTEGER)
            a.ints[id] = *(int32_t *)v;
        else
            a.texts[id] = std::string((const char *)v, (size_t)len);
    }
    answers.push_back(a);
}

/* A request: integers, texts and an attribute list. */
struct Request {
    alignas(8) char buffer[2000];
    void *area = buffer;
    MQPP pp;
    MQLONG cc, rc;
    explicit Request(int32_t command)
    {
        PCFInitArea(&pp, &area, 0, sizeof buffer, 0, command, &cc, &rc);
    }
    Request &Int(int32_t id, int32_t v)
    {
        PCFAddParm(&pp, MQCFT_INTEGER, id, &v, 4, 1, &cc, &rc);
        return *this;
    }
    Request &Text(int32_t id, const char *s)
    {
        PCFAddParm(&pp, MQCFT_STRING, id, s, -1, 1, &cc, &rc);
        return *this;
    }
    Request &Attrs(std::vector<int32_t> ids)
    {
        PCFAddParm(&pp, MQCFT_INTEGER_LIST, 10106, ids.data(), (int32_t)(4 * ids.size()),
                   (int32_t)ids.size(), &cc, &rc);
        return *this;
    }
    int Run(int32_t command)
    {
        answers.clear();
        DLGREPLY reply = { nullptr, take };
        return DialogCommand(&reply, command, buffer, pp.position);
    }
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrfSetDefaults();
        SavedDialogFreeAll();
        staleMarks = 0;
        posts.clear();
        SAVEDDLGHOOKS h = {};
        h.markDialogsStale = [](void *, int32_t command) {
            EXPECT_EQ(command, 10020);
            staleMarks++;
        };
        h.post = [](void *, uint32_t message, uintptr_t, SAVEDDIALOG *) { posts.push_back(message); };
        SavedDialogSetHooks(&h);
    }
    void TearDown() override
    {
        SavedDialogSetHooks(nullptr);
        DlgDeveloperMode = 0;
    }
    int32_t Create(const char *qm, int32_t type, const char *desc)
    {
        Request r(10025);
        r.Int(10096, type).Text(10105, qm).Text(10109, desc).Text(10108, "2 minutes")
            .Text(10198, "07:30").Int(10099, 10).Int(10125, 1);
        EXPECT_EQ(r.Run(10025), 100004);
        EXPECT_EQ(answers.size(), 1u);
        EXPECT_EQ(answers.back().texts[10084], "Dialog created");
        return answers.back().ints[10095];
    }
};

TEST_F(Dialogs, CreateInquireChangeDelete)
{
    int32_t one = Create("QM1", 1, "first");
    int32_t two = Create("QM2", 9, "second");
    EXPECT_EQ(one, 1);
    EXPECT_EQ(two, 2);
    EXPECT_EQ(staleMarks, 2);
    /* by id without a list: that one record, as the last answer */
    Request byId(10020);
    EXPECT_EQ(byId.Int(10095, two).Run(10020), 0);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].last);
    EXPECT_EQ(answers[0].cfh.Control, MQCFC_LAST);
    EXPECT_EQ(answers[0].ints[10095], two);
    EXPECT_EQ(answers[0].texts[10105], "QM2");
    EXPECT_EQ(answers[0].texts[10109], "second");
    EXPECT_EQ(answers[0].texts[10108], "2 minutes");
    EXPECT_EQ(answers[0].ints[10199], 120);
    EXPECT_EQ(answers[0].texts[10198], "07:30:00");
    EXPECT_EQ(answers[0].ints[10125], 1);
    EXPECT_EQ(answers[0].ints[10099], 10);
    EXPECT_EQ(answers[0].ints.count(10100), 0u);              /* unset positions stay out */
    EXPECT_EQ(answers[0].ints[10098], 1);
    /* with an attribute list every match answers and the id does not restrict */
    Request listed(10020);
    EXPECT_EQ(listed.Int(10095, two).Text(10105, "QM*").Attrs({10109}).Run(10020), 0);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_FALSE(answers[0].last);
    EXPECT_TRUE(answers[2].last);
    EXPECT_EQ(answers[0].texts.count(10097), 0u);             /* not asked for */
    /* a change copies the given parts */
    Request change(10022);
    EXPECT_EQ(change.Int(10095, one).Text(10097, "curdepth > 5").Int(10126, 99).Run(10022), 100004);
    EXPECT_EQ(answers[0].texts[10084], "Dialog changed");
    EXPECT_STREQ(SavedDialogFind(one)->st.fil, "curdepth > 5");
    EXPECT_EQ(SavedDialogFind(one)->st.x2, PD_UNSET);       /* 10126 is never copied */
    Request start(10024);
    EXPECT_EQ(start.Int(10095, one).Run(10024), 100004);
    EXPECT_EQ(posts, std::vector<uint32_t>{ 11348 });
    Request del(10021);
    EXPECT_EQ(del.Int(10095, one).Run(10021), 100004);
    EXPECT_EQ(answers[0].texts[10084], "Dialog deleted");
    EXPECT_EQ(SavedDialogFind(one), nullptr);
    Request again(10021);
    EXPECT_EQ(again.Int(10095, one).Run(10021), 100009);
    EXPECT_EQ(answers[0].texts[10050], "No matching dialog found");
}

TEST_F(Dialogs, RefusedRequests)
{
    Create("QM1", 1, "x");
    Request wild(10020);
    EXPECT_EQ(wild.Text(10105, "QM*").Run(10020), 100004);
    EXPECT_EQ(answers[0].cfh.CompCode, 2);
    EXPECT_EQ(answers[0].texts[10050], "Queue Manager can not contain wildcard.");
    Request unknown(10020);
    EXPECT_EQ(unknown.Int(10095, 1).Int(12345, 1).Run(10020), 3014);
    EXPECT_EQ(answers[0].ints[1014], 12345);
    Request badAttr(10020);
    EXPECT_EQ(badAttr.Attrs({10109, 777}).Run(10020), 4005);
    EXPECT_EQ(answers[0].ints[1013], 777);
    Request noId(10021);
    EXPECT_EQ(noId.Run(10021), 3014);
    EXPECT_EQ(answers[0].ints[1014], 10095);
    Request noType(10025);
    EXPECT_EQ(noType.Text(10105, "QM1").Run(10025), 3014);
    EXPECT_EQ(answers[0].ints[1014], 10096);
    Request noQm(10025);
    EXPECT_EQ(noQm.Int(10096, 1).Run(10025), 3228);
    EXPECT_EQ(answers[0].ints[1014], 10105);
    Request group(10025);                                     /* a group needs neither */
    EXPECT_EQ(group.Int(10159, 1).Text(10160, "G").Run(10025), 100004);
    Request outside(10030);
    EXPECT_EQ(outside.Run(10030), 3007);
    std::string longText(100, 'm');
    Request tooLong(10025);
    EXPECT_EQ(tooLong.Int(10096, 1).Text(10105, "Q").Text(10108, longText.c_str()).Run(10025), 3014);
    Request badAlign(10025);                                  /* a bad time stays unset */
    EXPECT_EQ(badAlign.Int(10096, 1).Text(10105, "Q").Text(10198, "25:99").Run(10025), 100004);
    EXPECT_EQ(SavedDialogFind(answers[0].ints[10095])->st.align, -1);
}

TEST_F(Dialogs, DeveloperDialogsAndCapture)
{
    Create("QM1", 1, "#");
    Request all(10020);
    EXPECT_EQ(all.Text(10105, "QM1").Run(10020), 100009);    /* "#" only with "-d" */
    DlgDeveloperMode = 2;
    EXPECT_EQ(all.Run(10020), 0);
    /* capture of an open queue list: once as a new record, then updated */
    DLGCAPTURE c = {};
    c.def = DefFindCommand("Queue List");
    c.qmName = "QMCAP";
    c.normal[0] = 5;
    c.filterText = "f";
    c.caption = "Queue List - QMCAP";
    c.nameValue = "APP.*";
    SAVEDDIALOG *r = SavedDialogCapture(1, &c, "My list");
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->type, 1);
    EXPECT_STREQ(r->desc, "My list");
    EXPECT_STREQ(r->saved.obj, "APP.*");
    EXPECT_EQ(SavedDialogCapture(0, &c, "other"), r);
    c.noSave = 1;
    c.record = nullptr;
    EXPECT_EQ(SavedDialogCapture(0, &c, "x"), nullptr);
    c.noSave = 0;
    c.def = DefFindCommand("Queue Manager");           /* not in the type table */
    EXPECT_EQ(SavedDialogCapture(0, &c, "x"), nullptr);
    EXPECT_EQ(DlgTypeValue1(1), 2016);
    EXPECT_EQ(DlgTypeValue2(1), 20);
    EXPECT_EQ(DlgTypeValue3(9), DefFindCommand("Message List"));
    EXPECT_EQ(DlgTypeValue1(5), 0);
}

}  // namespace
