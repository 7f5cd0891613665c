/* MQSC text of commands: golden lines for PCF commands of the real
 * definitions and of a small definition with every value form, the WHERE
 * clauses, the bounded text, and the commands PCFCheckInput builds for an
 * mvs location. */
#include "mqsctest.h"

#include <cstring>

#include "cs.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

/* A PCF command being built. */
struct Msg {
    void *area = nullptr;
    MQPP pp;
    explicit Msg(int32_t command)
    {
        MQLONG cc, rc;
        PCFInitArea(&pp, &area, 1, 0, 0, command, &cc, &rc);
    }
    ~Msg() { CSFreeMemAndClear(&area); }
    Msg &Int(int32_t id, int32_t v)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, MQCFT_INTEGER, id, &v, 4, 1, &cc, &rc);
        return *this;
    }
    Msg &Str(int32_t id, const std::string &s)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, MQCFT_STRING, id, s.data(), (int32_t)s.size(), 1, &cc, &rc);
        return *this;
    }
    Msg &Ints(int32_t id, std::vector<int32_t> v)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, MQCFT_INTEGER_LIST, id, v.data(), (int32_t)v.size() * 4, (int32_t)v.size(), &cc, &rc);
        return *this;
    }
    Msg &Strs(int32_t id, int32_t each, const std::string &all)
    {
        MQLONG cc, rc;
        int32_t n = each ? (int32_t)all.size() / each : 0;
        PCFAddParm(&pp, MQCFT_STRING_LIST, id, all.data(), (int32_t)all.size(), n, &cc, &rc);
        return *this;
    }
    /* An MQCFSL without strings (the builder writes none). */
    Msg &EmptyStrs(int32_t id)
    {
        const int32_t sl[] = { MQCFT_STRING_LIST, 24, id, 0, 0, 48 };
        memcpy((uint8_t *)area + pp.position, sl, sizeof sl);
        pp.position += (int32_t)sizeof sl;
        PCFHeader(&pp)->ParameterCount++;
        return *this;
    }
    Msg &Bytes(int32_t id, const std::string &b)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, MQCFT_BYTE_STRING, id, b.data(), (int32_t)b.size(), 1, &cc, &rc);
        return *this;
    }
    Msg &Filter(int32_t type, int32_t id, int32_t op, const void *v, int32_t n)
    {
        MQLONG cc, rc;
        PCFAddParm(&pp, type, id, v, n, op, &cc, &rc);
        return *this;
    }
    /* The text, or "rc=N". */
    std::string Text(const PCFCommandDef *def, DialogWords *d = nullptr, const uint8_t *caps = nullptr,
                     const PCFCommandDef *dialogDef = nullptr)
    {
        MQSCPcf s = {};
        s.definition = def;
        void *message = CSGetMem((size_t)pp.position, "test");
        memcpy(message, area, (size_t)pp.position);
        uint32_t length = (uint32_t)pp.position;
        int rc = PCFBuildMQSC(d, caps, dialogDef ? dialogDef : def, &s, &message, &length);
        std::string out = rc ? "rc=" + std::to_string(rc) : std::string((const char *)message, length);
        CSFreeMem(message);
        return out;
    }
};

/* A definition with one field of each value form. */
const PCFValueDef Hidden[] = { { 0, 0, 0, 1, "One", "!ONE" }, { 0, 0, 0, 2, "Two", "!TWO" }, { 0, 0, 0, 0, "", nullptr } };
const PCFValueDef Colours[] = { { 0, 0, 0, 1, "Red", "RED" }, { 0, 0, 0, 2, "Blue", "BLUE" }, { 0, 0, 0, 0, "", nullptr } };
const PCFFieldDef FName = { 0, 0, 0, "Name", "name", nullptr, 0, "THING/OBJ", "Name", 2016, 5, 0, 48, nullptr, 0 };
const PCFFieldDef FList = { 0, 0, 0, "Names", "names", nullptr, 0, "NAMES", "Names", 2020, 7, 0, 48, nullptr, 0 };
const PCFFieldDef FBytes = { 0, 0, 0, "Id", "id", nullptr, 0, "ID", "Id", 7001, 23, 0, 24, nullptr, 0 };
const PCFFieldDef FScope = { 0, 0, 0, "Scope", "scope", nullptr, 0, "CMDSCOPE", "Scope", MYPCFA_CMDSCOPE, 4, 0, 48, nullptr, 0 };
const PCFFieldDef FHidden = { 0, 0, 0, "Hidden", "hidden", nullptr, 0, "HIDDEN", "Hidden", 1001, 19, 0, 9, Hidden, 0 };
const PCFFieldDef FColours = { 0, 0, 0, "Colours", "colours", nullptr, 0, "COLOURS", "Colours", 1002, 19, 0, 9, Colours, 0 };
const PCFFieldDef FDesc = { 0, 0, 0, "Desc", "desc", nullptr, 0, "DESCR", "Desc", 2013, 4, 0, 2000, nullptr, 0 };
const PCFFieldDef FColour = { 0, 0, 0, "Colour", "colour", nullptr, 0, "COLOUR", "Colour", 3, 2, 0, 9, Colours, 0 };
PCFFieldEntry Fields[] = {
    { 0, 0, 0, nullptr, &FName, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FList, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FBytes, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FScope, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FHidden, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FColours, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FDesc, 0, 0, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, &FColour, 0, 0x100000, nullptr, 0xFFFFFFFF, 0 },
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef Actions[] = {
    { 0, 0, 0, 203, 1, "SET THING", "&Set", 0, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef Thing = { 0, 0, 0, "Thing", Actions, Fields, 1234, 0, nullptr, Fields, 0, 0, 0, 0, nullptr, nullptr,
                        nullptr };

struct Text : CmdFixture {};

TEST_F(Text, CommandsOfTheQueueDefinitions)
{
    PCFInitCommandDefs();
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.A").Text(&PCFQueueDef), "DISPLAY QUEUE('APP.A') ALL");
    EXPECT_EQ(Msg(MQCMD_CREATE_Q).Str(MQCA_Q_NAME, "APP.A").Int(MQIA_Q_TYPE, MQQT_LOCAL).Int(MQIA_MAX_Q_DEPTH, 7)
                  .Text(&PCFQueueDef),
              "DEFINE QLOCAL('APP.A') MAXDEPTH(7) ");
    EXPECT_EQ(Msg(MQCMD_DELETE_Q).Str(MQCA_Q_NAME, "APP.B").Int(MQIA_Q_TYPE, MQQT_ALIAS).Text(&PCFQueueDef),
              "DELETE QALIAS('APP.B') ");
    EXPECT_EQ(Msg(MQCMD_CLEAR_Q).Str(MQCA_Q_NAME, "APP.A").Int(MQIA_QSG_DISP, MQQSGD_Q_MGR).Text(&PCFQueueDef),
              "CLEAR QLOCAL('APP.A') ");
    EXPECT_EQ(Msg(MQCMD_CLEAR_Q).Str(MQCA_Q_NAME, "APP.A").Int(MQIA_QSG_DISP, MQQSGD_SHARED).Text(&PCFQueueDef),
              "CLEAR QLOCAL('APP.A') QSGDISP(SHARED) ");
    /* a copy (its names in the Queue dialog's order) defines the new
       queue like its source */
    EXPECT_EQ(Msg(MQCMD_COPY_Q).Str(MQCACF_TO_Q_NAME, "APP.C").Str(MQCACF_FROM_Q_NAME, "APP.A")
                  .Int(MQIA_Q_TYPE, MQQT_LOCAL).Text(&PCFQueueDef),
              "DEFINE QLOCAL('APP.C') LIKE('APP.A') ");
    /* quotes doubled: the description is stored as written, nothing added */
    EXPECT_EQ(Msg(MQCMD_CHANGE_Q).Str(MQCA_Q_NAME, "A").Int(MQIA_Q_TYPE, MQQT_LOCAL)
                  .Str(MQCA_Q_DESC, "Bob's queue') PUT(DISABLED").Text(&PCFQueueDef),
              "ALTER QLOCAL('A') DESCR('Bob''s queue'') PUT(DISABLED') ");
    /* NOTRIGGER stands alone; the queue type of an inquiry is a filter */
    EXPECT_EQ(Msg(MQCMD_CHANGE_Q).Str(MQCA_Q_NAME, "A").Int(MQIA_TRIGGER_CONTROL, 0).Text(&PCFQueueDef),
              "ALTER QUEUE('A') NOTRIGGER ");
    /* an attribute list: keywords, the name and selectors left out */
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "*").Int(MQIA_Q_TYPE, MQQT_ALL)
                  .Ints(1002, { MQCA_Q_NAME, MQIA_BASE_TYPE, MQIA_QSG_DISP, MQIA_CURRENT_Q_DEPTH, MQCA_Q_DESC })
                  .Text(&PCFQueueListDef),
              "DISPLAY QUEUE('*') TYPE(ALL) CURDEPTH DESCR ");
    /* no action of the definition carries the command */
    EXPECT_EQ(Msg(MQCMD_INQUIRE_CHANNEL).Text(&PCFQueueDef), "rc=1");
}

TEST_F(Text, ValueFormsOfEveryParameterType)
{
    PCFPrepareDef(&Thing);
    std::string twoNames = std::string("A'B") + std::string(45, ' ') + std::string(48, ' ');
    EXPECT_EQ(Msg(203).Str(2016, "X").Strs(2020, 48, twoNames).Text(&Thing), "SET THING OBJ('X') NAMES('A''B',' ') ");
    EXPECT_EQ(Msg(203).EmptyStrs(2020).Text(&Thing), "SET THING NAMES(' ') ");
    EXPECT_EQ(Msg(203).Bytes(7001, std::string("\x01\xAB", 2)).Bytes(7001, "").Text(&Thing), "SET THING ID(01AB) ID(*) ");
    EXPECT_EQ(Msg(203).Str(MYPCFA_CMDSCOPE, "*").Str(MYPCFA_CMDSCOPE, "QM1").Text(&Thing),
              "SET THING CMDSCOPE(*) CMDSCOPE('QM1') ");
    EXPECT_EQ(Msg(203).Ints(1001, { 1, 2 }).Ints(1002, { 2, 9, 1 }).Text(&Thing),
              "SET THING HIDDEN() COLOURS(BLUE,9,RED) ");
    EXPECT_EQ(Msg(203).Int(1526, 2).Int(1526, 1).Int(1086, 5).Int(1086, 6).Int(1086, 7).Int(1086, 8).Text(&Thing),
              "SET THING CHLTABLE(CLNTTBL) ACTION(ADD) ACTION(REPLACE) ACTION(REMOVE) ");
    EXPECT_EQ(Msg(203).Int(3, 2).Int(3, 7).Text(&Thing), "SET THING COLOUR(BLUE) COLOUR(7) ");
    /* a text that leaves less than 300 bytes before a parameter */
    std::string big(1680, 'x');
    EXPECT_EQ(Msg(203).Str(2013, big).Text(&Thing).size(), 1700u);
    EXPECT_EQ(Msg(203).Str(2013, big).Str(2016, "X").Text(&Thing).size(), 1709u);
    EXPECT_EQ(Msg(203).Str(2013, big + "y").Str(2016, "X").Text(&Thing), "rc=2071");
    /* a value that does not fit at all */
    EXPECT_EQ(Msg(203).Str(2013, std::string(1999, '\'')).Text(&Thing), "rc=2071");
}

TEST_F(Text, WhereClausesOfEveryFormAndOperator)
{
    PCFPrepareDef(&Thing);
    const struct { int32_t op; const char *text; } ops[] = {
        { MQCFOP_LESS, "LT" }, { MQCFOP_EQUAL, "EQ" }, { MQCFOP_GREATER, "GT" }, { MQCFOP_NOT_LESS, "GE" },
        { MQCFOP_NOT_EQUAL, "NE" }, { MQCFOP_NOT_GREATER, "LE" }, { MQCFOP_LIKE, "LK" }, { MQCFOP_NOT_LIKE, "NL" },
        { MQCFOP_CONTAINS, "CT" }, { MQCFOP_EXCLUDES, "EX" }, { MQCFOP_CONTAINS_GEN, "CTG" },
        { MQCFOP_EXCLUDES_GEN, "EXG" },
    };
    int32_t two = 2, seven = 7;
    for (const auto &o : ops)
        EXPECT_EQ(Msg(203).Filter(MQCFT_INTEGER_FILTER, 3, o.op, &seven, 4).Text(&Thing),
                  std::string("SET THING  WHERE(COLOUR ") + o.text + " 7) ");
    EXPECT_EQ(Msg(203).Filter(MQCFT_INTEGER_FILTER, 3, MQCFOP_EQUAL, &two, 4).Text(&Thing),
              "SET THING  WHERE(COLOUR EQ BLUE) ");
    EXPECT_EQ(Msg(203).Filter(MQCFT_STRING_FILTER, 2013, MQCFOP_LIKE, "it's*", 5).Text(&Thing),
              "SET THING  WHERE(DESCR LK 'it''s*') ");
    EXPECT_EQ(Msg(203).Filter(MQCFT_BYTE_STRING_FILTER, 7001, MQCFOP_EQUAL, "\x0A\xFF", 2).Text(&Thing),
              "SET THING  WHERE(ID EQ '0AFF') ");
    /* an operator or attribute without a text writes nothing */
    EXPECT_EQ(Msg(203).Filter(MQCFT_INTEGER_FILTER, 3, 99, &two, 4).Text(&Thing), "SET THING  ");
    EXPECT_EQ(Msg(203).Filter(MQCFT_INTEGER_FILTER, 4444, MQCFOP_EQUAL, &two, 4).Text(&Thing), "SET THING  ");
    /* a queue list's filter kept by the dialog (SetWhereFilter), whose
       inquiry the Queue definition carries: the list's detail fields name
       it, after the attribute list */
    TestDialog d(&PCFQueueListDef, nullptr);
    const int32_t ten = 10;
    ASSERT_EQ(SetWhereFilter(d.d, 1, MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, &ten, 4), 0);
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "APP.*").Text(&PCFQueueDef, d.d, nullptr, &PCFQueueListDef),
              "DISPLAY QUEUE('APP.*') ALL WHERE(CURDEPTH GT 10)");
    ASSERT_EQ(SetWhereFilter(d.d, 1, MQCFT_STRING_FILTER, MQCA_Q_DESC, MQCFOP_LIKE, "pay*", -1), 0);
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "*").Text(&PCFQueueDef, d.d, nullptr, &PCFQueueListDef),
              "DISPLAY QUEUE('*') ALL WHERE(DESCR LK 'pay*')");
    PCFFreeWhereFilter(d.d);
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "*").Text(&PCFQueueDef, d.d, nullptr, &PCFQueueListDef),
              "DISPLAY QUEUE('*') ALL");
    /* a filter carried in the request: its clause, a blank, then ALL */
    EXPECT_EQ(Msg(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "*")
                  .Filter(MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, &ten, 4)
                  .Text(&PCFQueueDef, nullptr, nullptr, &PCFQueueListDef),
              "DISPLAY QUEUE('*')  WHERE(CURDEPTH GT 10) ALL");
}

TEST_F(Text, DialogCommandsOfAnMvsLocationGoAsText)
{
    Loc qm("QMTEXT");
    qm.q.flags |= LF_MVS;
    hooks.swallow = 1;
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.Q");
    ASSERT_EQ(PCFDoCommand(q.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 1u);
    EXPECT_EQ(hooks.sent[0].flags & TRF_TEXT, (uint32_t)TRF_TEXT);
    EXPECT_EQ(hooks.sent[0].data, "DISPLAY QUEUE('APP.Q') TYPE(QLOCAL) ALL");
    TestDialog list(&PCFQueueListDef, &qm);
    ASSERT_EQ(PCFDoCommand(list.d, 0, 1, 1, nullptr, nullptr, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr), 0);
    ASSERT_EQ(hooks.sent.size(), 2u);
    EXPECT_EQ(hooks.sent[1].data.compare(0, 29, "DISPLAY QUEUE('*') TYPE(ALL) "), 0) << hooks.sent[1].data;
    EXPECT_EQ(hooks.sent[1].data.find("ALL", 29), std::string::npos) << hooks.sent[1].data;
}

}  // namespace
