/* Change Multiple Locations without windows: numbering of the lines,
 * search and visibility, value texts and setting each kind of row, the
 * current value over the selection, and comma lists. */
#include "locdlgtest.h"

#include <cstring>
#include <string>

#include "dialogs.h"

using namespace locdlgtest;

namespace {

struct Multi : Locations {
    MCDIALOG d = {};
    void TearDown() override
    {
        MultiChgFree(&d);
        Locations::TearDown();
    }
    void Build() { ASSERT_EQ(MultiChgBuild(&d, LocTree), 1); }
    std::vector<std::string> Lines()
    {
        std::vector<std::string> lines;
        MultiChgLines(&d, [](void *ctx, const char *text, int) { ((std::vector<std::string> *)ctx)->push_back(text); },
                      &lines);
        return lines;
    }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> names;
        for (int i = 0; i < d.count; i++)
            if (d.entries[i].visible)
                names.push_back(std::string(d.entries[i].location->qmName) + "/" + d.entries[i].location->secondName);
        return names;
    }
    void Choose(const char *name)
    {
        char title[100];
        for (int i = 0; i < MultiChgFieldCount; i++)
            if (!strcmp(MultiChgFields[i].name, name))
                MultiChgChooseField(&d, &MultiChgFields[i], title, sizeof title);
    }
    std::string Value(QMS *r)
    {
        char b[600];
        return MultiChgValueText(&d, b, sizeof b, r);
    }
    std::string Current(std::vector<std::string> *choices = nullptr)
    {
        char b[600];
        void (*add)(void *, const char *) = [](void *ctx, const char *t) {
            ((std::vector<std::string> *)ctx)->push_back(t);
        };
        MultiChgCurrent(&d, b, sizeof b, choices ? add : nullptr, choices);
        return b;
    }
    MCQMS *Entry(QMS *r)
    {
        for (int i = 0; i < d.count; i++)
            if (d.entries[i].location == r)
                return &d.entries[i];
        return nullptr;
    }
};

TEST_F(Multi, LinesAreNumberedPerQueueManager)
{
    Add("QM1", "A");
    Add("QM1", "B");
    Add("QM1", "C");
    Add("QM2");
    Build();
    EXPECT_EQ(Lines(), std::vector<std::string>({ "QM1 000", "QM1 001", "QM1 002", "QM2 000" }));
    char status[100];
    MultiChgStatusText(&d, status, sizeof status);
    EXPECT_STREQ(status, "4 of 4 (0 selected)");

    /* selected lines the search hides follow a plain line */
    MultiChgSelect(&d, 3, 1);
    MultiChgSelect(&d, 3, 3);
    MultiChgSetSearch(&d, "QM2");
    EXPECT_EQ(Lines(), std::vector<std::string>({ "QM2 000", "p", "~ QM1 000" }));
    MultiChgStatusText(&d, status, sizeof status);
    EXPECT_STREQ(status, "1 of 4 (2 selected)");
}

TEST_F(Multi, SearchPatternsAndVisibility)
{
    QMS *a = Add("ALPHA", "", "First place", "BLUE");
    QMS *b = Add("BRAVO", "", "Second", "RED");
    QMS *c = Add("CHARLIE", "", "Third", "GREEN");
    QMS *e = Add("AL", "", "Short", "");
    LocSetSharedText(b, "NET1, PHANTOM ,NET3");
    CSStringSet(&c->securityGroup, "Alpine", -1);
    e->authMask = 0x100000000ull;                     /* may not be changed */
    Build();
    EXPECT_EQ(d.count, 3);

    /* two letters anywhere, in any case: names, location, group, network names, security group */
    EXPECT_TRUE(MultiChgSetSearch(&d, "al"));
    EXPECT_EQ(Shown(), std::vector<std::string>({ "ALPHA/RAVOLT", "CHARLIE/RAVOLT" }));
    MultiChgSetSearch(&d, "ph");
    EXPECT_EQ(Shown(), std::vector<std::string>({ "ALPHA/RAVOLT", "BRAVO/RAVOLT" }));
    MultiChgSetSearch(&d, "ee");
    EXPECT_EQ(Shown(), std::vector<std::string>({ "CHARLIE/RAVOLT" }));
    /* quoted: the whole name, any case; an unclosed quote too */
    MultiChgSetSearch(&d, "'alpha'");
    EXPECT_EQ(Shown(), std::vector<std::string>({ "ALPHA/RAVOLT" }));
    MultiChgSetSearch(&d, "\"phantom");
    EXPECT_EQ(Shown(), std::vector<std::string>({ "BRAVO/RAVOLT" }));
    MultiChgSetSearch(&d, "'al'");
    EXPECT_TRUE(Shown().empty());
    EXPECT_FALSE(MultiChgSetSearch(&d, "'al'"));      /* nothing changed */

    /* Invert, Values Only and Selected */
    MultiChgSetSearch(&d, "al");
    d.invert = 1;
    MultiChgVisibility(&d);
    EXPECT_EQ(Shown(), std::vector<std::string>({ "BRAVO/RAVOLT" }));
    d.invert = 0;
    a->flags |= LF_AUTO;
    c->flags &= ~LF_AUTO;
    Choose("Auto-connect");
    Current();                                         /* sets the value marks */
    d.valuesOnly = 1;
    MultiChgVisibility(&d);
    EXPECT_EQ(Shown(), std::vector<std::string>({ "ALPHA/RAVOLT" }));
    MultiChgSetSearch(&d, "");
    EXPECT_EQ(Shown(), std::vector<std::string>({ "ALPHA/RAVOLT" }));
    d.valuesOnly = 0;
    MultiChgSelect(&d, 3, 2);
    d.selectedOnly = 1;
    MultiChgVisibility(&d);
    EXPECT_EQ(Shown(), std::vector<std::string>({ "CHARLIE/RAVOLT" }));
    d.selectedOnly = 0;
    MultiChgVisibility(&d);
    MultiChgSelect(&d, 0, -1);
    EXPECT_EQ(d.selectedCount, 3);
    MultiChgSetSearch(&d, "bravo");
    MultiChgSelect(&d, 1, -1);
    EXPECT_EQ(d.selectedCount, 2);
    MultiChgSelect(&d, 2, -1);
    EXPECT_EQ(d.selectedCount, 0);
}

TEST_F(Multi, ValuesAndTheirSettingPerKindOfRow)
{
    PCFInitCommandDefs();
    QMS *a = Add("QMA"), *b = Add("QMB");
    Build();
    MultiChgSelect(&d, 0, -1);

    Choose("Reply Queue Name");
    EXPECT_EQ(Current(), "SYSTEM.DEFAULT.MODEL.QUEUE");
    std::string longName(60, 'Q');
    EXPECT_EQ(MultiChgSetAll(&d, longName.c_str()), 2);
    EXPECT_EQ(Value(a), std::string(48, 'Q'));          /* at most the row's length */
    EXPECT_EQ(MultiChgSetAll(&d, std::string(48, 'Q').c_str()), 0);   /* equal: nothing */

    Choose("Use password cache");                        /* an inverted flag */
    EXPECT_EQ(Current(), "Yes");
    b->flags2 |= LF2_USRNPWCF;
    EXPECT_EQ(Current(), "<Multiple Values>");
    EXPECT_FALSE(d.allEqual);
    std::vector<std::string> choices;
    Current(&choices);
    EXPECT_EQ(choices, std::vector<std::string>({ "Yes", "No" }));
    EXPECT_EQ(MultiChgSetValue(&d, Entry(b), "Yes"), 1);
    EXPECT_FALSE(b->flags2 & LF2_USRNPWCF);              /* Yes clears the bit */
    EXPECT_EQ(MultiChgSetValue(&d, Entry(b), "Maybe"), 0);
    EXPECT_EQ(MultiChgSetValue(&d, Entry(b), "NO"), 1);  /* the keyword */
    EXPECT_TRUE(b->flags2 & LF2_USRNPWCF);

    Choose("Retry Interval");
    a->retryInterval = 5;
    EXPECT_EQ(Value(a), "5");
    MultiChgSetValue(&d, Entry(b), "12");
    EXPECT_EQ(b->retryInterval, 12);
    Current();
    EXPECT_TRUE(Entry(a)->matches);
    /* a text that is no number changes nothing (it used to store 0) */
    for (const char *bad : { "abc", "", "12x", "-5", "99999999999" }) {
        EXPECT_FALSE(MultiChgValueAccepted(d.field, bad)) << bad;
        EXPECT_EQ(MultiChgSetValue(&d, Entry(b), bad), 0) << bad;
        EXPECT_EQ(b->retryInterval, 12) << bad;
    }
    EXPECT_TRUE(MultiChgValueAccepted(d.field, " 30 "));

    Choose("Network Names");
    EXPECT_EQ(Value(a), "");
    MultiChgSetValue(&d, Entry(a), "N1");
    EXPECT_STREQ(a->networkNames, "N1");
    MultiChgSetValue(&d, Entry(a), "");
    EXPECT_EQ(a->networkNames, nullptr);

    /* group rows move the location into its group at once */
    Choose("Queue Manager Group");
    MultiChgSetAll(&d, "TEAM");
    ASSERT_NE(a->group, nullptr);
    EXPECT_EQ(a->group, b->group);
    EXPECT_STREQ(a->group->name, "TEAM");

    /* channel rows: no client channel, no value and nothing set */
    Choose("Channel Name");
    EXPECT_EQ(Value(a), "<No Local Channel Definition>");
    choices.clear();
    EXPECT_EQ(Current(&choices), "<No Local Channel Definition>");
    EXPECT_TRUE(choices.empty());
    EXPECT_FALSE(Entry(a)->matches);
    EXPECT_EQ(MultiChgSetValue(&d, Entry(a), "APP.SVRCONN"), 0);
    RtabClientArea(a);
    EXPECT_EQ(Value(a), "");
    EXPECT_EQ(MultiChgSetValue(&d, Entry(a), std::string(30, 'C').c_str()), 1);
    EXPECT_EQ(Value(a), std::string(20, 'C'));
    Choose("Sharing Conversations");
    MultiChgSetValue(&d, Entry(a), "10");
    EXPECT_EQ(Value(a), "10");
    PCFFieldEntry *e = PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, 1615);
    EXPECT_EQ(PCFState((uint8_t *)a->clientSettings + e->offset), PCFS_PRESENT | PCFS_SPECIFIED);
    EXPECT_EQ(MultiChgSetValue(&d, Entry(a), "ten"), 0);
    EXPECT_EQ(Value(a), "10");
    MultiChgSetValue(&d, Entry(a), "0");
    Current();
    EXPECT_FALSE(Entry(a)->matches);                     /* "0" is no value */
    MultiChgSetValue(&d, Entry(a), "");
    EXPECT_EQ(Value(a), "");
    /* the open client dialog gets the value and a refresh */
    DialogWords open = {};
    open.window = (void *)0x42;
    open.dataArea = PCFNewData(&PCFClientChannelDef, "TEST");
    a->clientDialog = &open;
    MultiChgSetValue(&d, Entry(a), "7");
    EXPECT_EQ(PCFRecInt(open.dataArea + e->offset), 7);
    EXPECT_EQ(rec.posts.back(), (uint32_t)UM_PCF_UPDATE_DIALOG);
    a->clientDialog = nullptr;
    PCFFreeData(&PCFClientChannelDef, open.dataArea, 1);
    /* an enumeration row not in the definition's fields takes no value */
    Choose("SSL/TLS Key Repos Auth Method");
    EXPECT_EQ(MultiChgSetValue(&d, Entry(a), "Prompt for Password"), 0);
}

TEST_F(Multi, CommaListsAddAndRemove)
{
    char out[300];
    EXPECT_EQ(MultiChgListAdd("A, B", " C ", out, sizeof out), 1);
    EXPECT_STREQ(out, "A, B, C");
    EXPECT_EQ(MultiChgListAdd("A, B ,C", "B", out, sizeof out), 0);
    EXPECT_STREQ(out, "A, B ,C");
    EXPECT_EQ(MultiChgListAdd("", "A", out, sizeof out), 1);
    EXPECT_STREQ(out, "A");
    EXPECT_EQ(MultiChgListAdd("AB", "A", out, sizeof out), 1);
    EXPECT_EQ(MultiChgListRemove("A, B, C", "B", out, sizeof out), 1);
    EXPECT_STREQ(out, "A, C");
    EXPECT_EQ(MultiChgListRemove("A, B, C", "A", out, sizeof out), 1);
    EXPECT_STREQ(out, "B, C");
    EXPECT_EQ(MultiChgListRemove("A, B, C", "C", out, sizeof out), 1);
    EXPECT_STREQ(out, "A, B");
    EXPECT_EQ(MultiChgListRemove("A, B", "X", out, sizeof out), 0);
    EXPECT_EQ(MultiChgListRemove("A", "A", out, sizeof out), 1);
    EXPECT_STREQ(out, "");

    QMS *a = Add("QMA"), *b = Add("QMB");
    LocSetSharedText(a, "NET1, NET2");
    Build();
    MultiChgSelect(&d, 0, -1);
    Choose("Network Names");
    MCBUTTONS buttons;
    MultiChgButtons(&d, &buttons);
    EXPECT_TRUE(buttons.add && buttons.remove && buttons.setValue);
    EXPECT_EQ(MultiChgListEdit(&d, "NET2", 1), 1);       /* a has it already */
    EXPECT_STREQ(a->networkNames, "NET1, NET2");
    EXPECT_STREQ(b->networkNames, "NET2");
    EXPECT_EQ(MultiChgListEdit(&d, "NET1", 0), 1);
    EXPECT_STREQ(a->networkNames, "NET2");
    Choose("MVS");
    MultiChgButtons(&d, &buttons);
    EXPECT_FALSE(buttons.add);
    EXPECT_EQ(MultiChgListEdit(&d, "X", 1), 0);
}

}  // namespace
