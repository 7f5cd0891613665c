/* The PCF request from a dialog's data: a byte image per field type
 * against messages built independently, which fields take part, the
 * texts of failed checks, the request fields beside the message, the
 * WHERE filters of the refresh inquiries, string lists, the filter
 * structures of PCFAddParm, and a message that does not fit its buffer. */
#include "cmdtest.h"

#include <algorithm>
#include <cstring>

#include "prfdata.h"

using namespace cmdtest;

namespace {

const int32_t Command = 999;
const PCFCommandUse Use[] = { { Command, nullptr, 0 }, { 0, nullptr, 0 } };
const PCFCommandUse Required[] = { { Command, nullptr, 1 }, { 0, nullptr, 0 } };
const PCFCommandUse Mandatory[] = { { Command, nullptr, 4 }, { 0, nullptr, 0 } };
const PCFValueDef Types[] = { { 0, 0, 0, 1, "Local", "QLOCAL" }, { 0, 0, 0, 3, "Alias", "QALIAS" },
                              { 0, 0, 0, 0, nullptr, nullptr } };
const PCFValueDef Flags[] = { { 0, 0, 0, 0x1, "One", "ONE" }, { 0, 0, 0, 0x40, "Two", "TWO" },
                              { 0, 0, 0, 0x200, "Three", "THREE" }, { 0, 0, 0, 0, nullptr, nullptr } };

#define FIELD(name, uses, id, type, min, max, values) \
    const PCFFieldDef name = { 0, 0, 0, #name, #name, uses, 0, nullptr, #name, id, type, min, max, values, 0 }
FIELD(FName, Use, MQCA_Q_NAME, PCFT_NAME, 0, 48, nullptr);
FIELD(FInt, Use, MQIA_MAX_Q_DEPTH, PCFT_INT, 0, 999999999, nullptr);
FIELD(FEnum, Use, MQIA_Q_TYPE, PCFT_ENUM, 0, 999999999, Types);
FIELD(FString, Use, MQCA_Q_DESC, PCFT_STRING, 0, 64, nullptr);
FIELD(FMulti, Use, 3011, PCFT_MULTISTR, 0, 8, nullptr);
FIELD(FHex, Use, MYPCFA_MSGID, PCFT_HEX, 0, 24, nullptr);
FIELD(FBytes, Use, 3044, PCFT_BYTES, 0, 10, nullptr);
FIELD(FShow, Use, 10061, PCFT_SHOWINT, 0, 0, nullptr);
FIELD(FFixed, Use, 1083, PCFT_SHOWINT, 7, 7, nullptr);
FIELD(FNone, Use, 1002, PCFT_NOVALUE, MQIACF_ALL, 0, nullptr);
FIELD(FInts, Use, 1261, PCFT_INTLIST, 0, 999, nullptr);
FIELD(FWide, Use, 7007, PCFT_WIDEHEX, 0, 24, nullptr);
FIELD(FFlags, Use, 1081, PCFT_FLAGSET, 0, 0, Flags);
FIELD(FUnused, nullptr, MQCA_BASE_Q_NAME, PCFT_STRING, 0, 48, nullptr);
FIELD(FRequired, Required, MQCA_XMIT_Q_NAME, PCFT_STRING, 0, 48, nullptr);
FIELD(FMandatory, Mandatory, MQCA_PROCESS_NAME, PCFT_STRING, 0, 48, nullptr);
FIELD(FReqInt, Required, MQIA_USAGE, PCFT_ENUM, 0, 999, Types);
FIELD(FStop, Use, 10161, PCFT_INT, 0, 1, nullptr);

#define ENTRY(f, flags) { 0, 0, 0, nullptr, &f, 0, flags, nullptr, 0xFFFFFFFF, 0 }
PCFFieldEntry AllFields[] = {
    ENTRY(FName, 0), ENTRY(FInt, 0), ENTRY(FEnum, 0), ENTRY(FString, 0), ENTRY(FMulti, 0), ENTRY(FHex, 0),
    ENTRY(FBytes, 0), ENTRY(FShow, 0), ENTRY(FFixed, 0), ENTRY(FNone, 0), ENTRY(FInts, 0), ENTRY(FWide, 0),
    ENTRY(FFlags, 0), ENTRY(FUnused, 0), { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
PCFFieldEntry CheckedFields[] = {
    ENTRY(FName, 0), ENTRY(FRequired, 0), ENTRY(FMandatory, 0), ENTRY(FReqInt, 0),
    { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
PCFFieldEntry StopFields[] = {
    ENTRY(FName, 0), ENTRY(FStop, 0x10000), ENTRY(FInt, 0), { 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, 0xFFFFFFFF, 0 },
};
const PCFActionDef Actions[] = {
    { 0, 0, 0, Command, 1, nullptr, "&Go", 0x400000, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, Command, 2, nullptr, "&All", 0x2000000, 0, nullptr, nullptr, nullptr, nullptr },
    { 0, 0, 0, 0, 0, nullptr, nullptr, 0, 0, nullptr, nullptr, nullptr, nullptr },
};
PCFCommandDef AllDef = { 0, 0, 0, "Every Type", Actions, AllFields, 1002, 0, nullptr, nullptr, 0, 0, 0, 0,
                         nullptr, nullptr, nullptr };
PCFCommandDef CheckedDef = { 0, 0, 0, "Checked", Actions, CheckedFields, 1002, 0, nullptr, nullptr, 0, 0, 0, 0,
                             nullptr, nullptr, nullptr };
PCFCommandDef StopDef = { 0, 0, 0, "Stopped", Actions, StopFields, 1002, 0, nullptr, nullptr, 0, 0, 0, 0,
                          nullptr, nullptr, nullptr };

struct Input : CmdFixture {
    Loc qm{ "QMINPUT" };
    uint8_t *area = nullptr;
    PCFCommandDef *def = nullptr;
    uint8_t buffer[4096];
    SELECTIONINFO sel = {};
    char name[500] = "";
    CHECKINPUT in = {};
    void Use(PCFCommandDef *d)
    {
        def = d;
        PCFPrepareDef(d);
        area = PCFNewData(d, "TESTAREA");
    }
    void TearDown() override
    {
        if (area)
            PCFFreeData(def, area, 1);
        Prf.ccsid = 0;
        CmdFixture::TearDown();
    }
    uint8_t *Rec(uint32_t id)
    {
        PCFFieldEntry *e = PCFFindField(nullptr, nullptr, def->fields, id);
        return area + e->offset;
    }
    void Int(uint32_t id, int32_t v)
    {
        PCFSetRecInt(Rec(id), v);
        PCFSetState(Rec(id), PCFS_PRESENT);
    }
    void Text(uint32_t id, const char *t)
    {
        strcpy(PCFRecText(Rec(id)), t);
        PCFSetState(Rec(id), PCFS_PRESENT);
    }
    int Build(uint32_t action = 1, int32_t size = sizeof(uint8_t[4096]))
    {
        memset(&in, 0, sizeof in);
        in.location = &qm.q;
        in.definition = def;
        in.columns = def->list ? def->list->current : nullptr;
        in.action = PCFFindActionDef(def->actions, action);
        in.area = area;
        in.index = -1;
        in.buffer = buffer;
        in.size = size;
        in.request = &sel;
        in.objectName = name;
        in.qualifier = 0x5A;
        return PCFCheckInput(&in);
    }
    std::string Built() { return std::string((const char *)buffer, in.length); }
};

/* Where a byte pattern occurs in a message, or null. */
const uint8_t *Find(const uint8_t *in, size_t n, const char *pattern, size_t m)
{
    for (size_t i = 0; i + m <= n; i++)
        if (!memcmp(in + i, pattern, m))
            return in + i;
    return nullptr;
}

Reply Request(int32_t command)
{
    Reply r(command);
    r.Put32At(0, MQCFT_COMMAND);
    r.Put32At(24, 0);
    return r;
}

TEST_F(Input, AByteImagePerFieldType)
{
    Use(&AllDef);
    Text(MQCA_Q_NAME, "APP.ONE   ");
    Int(MQIA_MAX_Q_DEPTH, 5000);
    Int(MQIA_Q_TYPE, 3);
    Text(MQCA_Q_DESC, "described");
    PCFSTRLIST *l = PCFNewStrList(5, 8, "TESTLIST");
    l->count = 3;
    memcpy(PCFStrListItem(l, 8, 0), "A       ", 8);
    memcpy(PCFStrListItem(l, 8, 1), "BBB     ", 8);
    PCFSetRecPtr(Rec(3011), l);
    PCFSetState(Rec(3011), PCFS_PRESENT);
    PCFSetRecBytes(Rec(MYPCFA_MSGID), &FHex, "\x01\x02\x03", 3);
    PCFSetState(Rec(MYPCFA_MSGID), PCFS_PRESENT);
    PCFSetRecBytes(Rec(3044), &FBytes, "hello", 5);
    PCFSetState(Rec(3044), PCFS_PRESENT);
    PCFINTLIST *ints = PCFNewIntList(10, "TESTINTS");
    ints->count = 2;
    PCFIntListItems(ints)[0] = 4;
    PCFIntListItems(ints)[1] = -9;
    PCFSetRecPtr(Rec(1261), ints);
    PCFSetState(Rec(1261), PCFS_PRESENT);
    PCFSetRecBytes(Rec(7007), &FWide, "\xAA\xBB", 2);
    PCFSetState(Rec(7007), PCFS_PRESENT);
    PCFINTLIST *flags = PCFNewIntList(10, "TESTFLAGS");
    flags->count = 2;
    PCFIntListItems(flags)[0] = 0x1;
    PCFIntListItems(flags)[1] = 0x200;
    PCFSetRecPtr(Rec(1081), flags);
    PCFSetState(Rec(1081), PCFS_PRESENT);
    Text(MQCA_BASE_Q_NAME, "NOT.SENT");              /* no command-use row */
    Prf.ccsid = 1208;
    ASSERT_EQ(Build(1), 0) << in.error;
    Reply want = Request(Command);
    want.Str(MQCA_Q_NAME, "APP.ONE").Int(MQIA_MAX_Q_DEPTH, 5000).Int(MQIA_Q_TYPE, 3).Str(MQCA_Q_DESC, "described");
    want.Strs(3011, { "A", "BBB", "" }, 3).Put({ MQCFT_STRING, 24, MYPCFA_MSGID, 0, 3, 0x030201 });
    want.Str(3044, "hello").Int(10061, 1208).Int(1083, 7).Ints(1002, { MQIACF_ALL }).Ints(1261, { 4, -9 });
    want.Bytes(7006, "\xAA\xBB").Int(1081, 0x201).Int(MYPCFA_DIALOG_QUALIFIER, 0x5A);
    EXPECT_EQ(Built(), want.data);
    EXPECT_STREQ(name, "APP.ONE");
    EXPECT_EQ(in.count, 1);
    /* no conversion CCSID: the parameter is left out; an attribute list of
     * everything at the end */
    Prf.ccsid = 0;
    ASSERT_EQ(Build(2), 0);
    auto p = Parms(buffer, in.length);
    EXPECT_EQ(std::count(p.begin(), p.end(), std::make_pair((int32_t)MQCFT_INTEGER, (int32_t)10061)), 0);
    EXPECT_EQ(p.back(), std::make_pair((int32_t)MQCFT_INTEGER_LIST, (int32_t)1002));
}

TEST_F(Input, WhatTakesPartAndTheTextsOfFailedChecks)
{
    Use(&CheckedDef);
    /* an empty name goes as "*"; a required text field that is blank stays
     * out; a mandatory one fails with an empty text */
    Text(MQCA_PROCESS_NAME, " ");
    EXPECT_EQ(Build(), 1);
    EXPECT_STREQ(in.error, "");
    Text(MQCA_PROCESS_NAME, "PROC");
    EXPECT_EQ(Build(), 1);
    EXPECT_STREQ(in.error, "Please enter a valid value for 'FReqInt'.");
    Int(MQIA_USAGE, 1);
    ASSERT_EQ(Build(), 0) << in.error;
    Reply want = Request(Command);
    want.Str(MQCA_Q_NAME, "*").Str(MQCA_PROCESS_NAME, "PROC").Int(MQIA_USAGE, 1).Int(MYPCFA_DIALOG_QUALIFIER, 0x5A);
    EXPECT_EQ(Built(), want.data);
    /* without a location the definition needs flag 0x200 */
    memset(&in, 0, sizeof in);
    in.definition = def;
    in.action = def->actions;
    in.index = -1;
    EXPECT_EQ(PCFCheckInput(&in), 1);
    EXPECT_STREQ(in.error, "Please associate this dialog with a Queue Manager before issuing this command");
    /* a message that does not fit fails with 2071, never writing past it */
    memset(buffer, 0xEE, sizeof buffer);
    EXPECT_EQ(Build(1, 60), 1);
    EXPECT_NE(std::string(in.error).find("RC(2071)"), std::string::npos);
    for (size_t i = 60; i < sizeof buffer; i++)
        ASSERT_EQ(buffer[i], 0xEE) << i;
    /* attribute 10161 set to 1 ends a list's message there: no later
     * field, no qualifier, no column list */
    PCFFreeData(def, area, 1);
    StopDef.list = PCFQueueListDef.list;
    Use(&StopDef);
    Text(MQCA_Q_NAME, "APP.*");
    Int(MQIA_MAX_Q_DEPTH, 7);
    using P = std::pair<int32_t, int32_t>;
    const struct { int32_t stop; std::vector<P> parms; } stops[] = {
        { 1, { P(MQCFT_STRING, MQCA_Q_NAME) } },
        { 0, { P(MQCFT_STRING, MQCA_Q_NAME), P(MQCFT_INTEGER, MQIA_MAX_Q_DEPTH),
               P(MQCFT_INTEGER, MYPCFA_DIALOG_QUALIFIER), P(MQCFT_INTEGER_LIST, MQIACF_Q_ATTRS) } },
    };
    for (const auto &t : stops) {
        Int(10161, t.stop);
        ASSERT_EQ(Build(), 0) << in.error;
        EXPECT_EQ(Parms(buffer, in.length), t.parms) << t.stop;
    }
}

TEST_F(Input, QueueListNamesUnderAuthorityRestrictions)
{
    Use(&PCFQueueListDef);
    Text(MQCA_Q_NAME, "*");
    ASSERT_EQ(Build(1), 0);
    qm.q.authWords[0] = 0x1;
    EXPECT_EQ(Build(1), 1);
    EXPECT_STREQ(in.error, "Field 'Queue Name' can not contain just a single asterisk.");
    Text(MQCA_Q_NAME, "APP.*");
    snprintf(qm.q.queueList, sizeof qm.q.queueList, "APP.PAY*");
    ASSERT_EQ(Build(1), 0);                             /* the permitted mask's prefix */
    EXPECT_STREQ(name, "APP.PAY*");
    qm.q.authWords[0] = 0x2;
    EXPECT_EQ(Build(1), 1);
    EXPECT_STREQ(in.error, "Wildcards are not allowed in field 'Queue Name'.");
}

TEST_F(Input, TheRefreshInquiriesAndTheirFilters)
{
    /* without a data area: the object name given, the WHERE filter of each
     * queue-list kind, the download columns asked for */
    memset(&in, 0, sizeof in);
    for (int kind = 0; kind < 4; kind++) {
        in = {};
        strcpy(name, "APP.*");
        in.location = &qm.q;
        in.definition = &PCFQueueNamesDef[kind];
        in.columns = kind < 3 ? PCFQueueNamesDef[kind].list->current : nullptr;
        in.action = PCFQueueNamesDef[kind].actions;
        in.index = -1;
        in.buffer = buffer;
        in.size = sizeof buffer;
        in.objectName = name;
        ASSERT_EQ(PCFCheckInput(&in), 0) << kind;
        MQCFH h;
        memcpy(&h, buffer, sizeof h);
        auto p = Parms(buffer, in.length);
        SCOPED_TRACE(kind);
        if (kind == 3) {
            EXPECT_EQ(h.Command, MQCMD_INQUIRE_Q_NAMES);
            EXPECT_EQ(h.Version, 3);
            EXPECT_EQ(Built(), Request(MQCMD_INQUIRE_Q_NAMES).Str(MQCA_Q_NAME, "APP.*").data.replace(8, 4, "\x03\0\0\0", 4));
            continue;
        }
        EXPECT_EQ(h.Command, MQCMD_INQUIRE_Q);
        ASSERT_GE(p.size(), 2u);
        EXPECT_EQ(p[0], std::make_pair((int32_t)MQCFT_STRING, (int32_t)MQCA_Q_NAME));
        EXPECT_EQ(p.back(), std::make_pair((int32_t)MQCFT_INTEGER_LIST, (int32_t)MQIACF_Q_ATTRS));
        int32_t filter[5] = {};
        const uint8_t *at = Find(buffer, in.length, "\x0d\0\0\0\x14\0\0\0", 8);
        if (kind == 2) {
            EXPECT_EQ(at, nullptr);
            continue;
        }
        ASSERT_NE(at, nullptr);
        memcpy(filter, at, sizeof filter);
        if (kind == 0)
            EXPECT_EQ(std::vector<int32_t>(filter + 2, filter + 5),
                      (std::vector<int32_t>{ MQIA_Q_TYPE, MQCFOP_NOT_EQUAL, MQQT_LOCAL }));
        else
            EXPECT_EQ(std::vector<int32_t>(filter + 2, filter + 5),
                      (std::vector<int32_t>{ MQIA_DEFINITION_TYPE, MQCFOP_EQUAL, MQQDT_PREDEFINED }));
    }
    Prf.opt1 |= 0x4;                                     /* dynamic queues listed */
    in.definition = &PCFQueueNamesDef[1];
    in.action = PCFQueueNamesDef[1].actions;
    in.columns = nullptr;
    in.index = -1;
    ASSERT_EQ(PCFCheckInput(&in), 0);
    EXPECT_NE(Find(buffer, in.length, "\x0d\0\0\0\x14\0\0\0\x07\0\0\0\x05\0\0\0\x03\0\0\0", 20), nullptr);
    Prf.opt1 &= ~0x4u;
}

TEST_F(Input, StringListsAndFilterStructures)
{
    uint8_t area[256];
    void *slot = area;
    MQPP pp;
    MQLONG cc, rc;
    PCFInitArea(&pp, &slot, 0, sizeof area, 0, 1, &cc, &rc);
    PCFSTRLIST *l = PCFNewStrList(5, 10, "TESTLIST");
    l->count = 3;
    memcpy(PCFStrListItem(l, 10, 0), "A         ", 10);
    memcpy(PCFStrListItem(l, 10, 1), "BBB       ", 10);
    ASSERT_EQ(PCFPackStringList(&pp, 3011, l, 10), 0);
    ASSERT_EQ(PCFPackStringList(&pp, 3012, nullptr, 10), 0);
    int32_t n = 7;
    PCFAddParm(&pp, MQCFT_INTEGER_FILTER, MQIA_CURRENT_Q_DEPTH, &n, 4, MQCFOP_GREATER, &cc, &rc);
    PCFAddParm(&pp, MQCFT_STRING_FILTER, MQCA_Q_DESC, "pay*", -1, MQCFOP_LIKE, &cc, &rc);
    PCFAddParm(&pp, MQCFT_BYTE_STRING_FILTER, 7006, "\x01\x02\x03\x04\x05", 5, MQCFOP_EQUAL, &cc, &rc);
    ASSERT_EQ(cc, 0);
    Reply want = Request(1);
    want.Strs(3011, { "A", "BBB", "" }, 3).Strs(3012, { " " }, 1);
    want.Put({ MQCFT_INTEGER_FILTER, 20, MQIA_CURRENT_Q_DEPTH, MQCFOP_GREATER, 7 });
    want.Put({ MQCFT_STRING_FILTER, 28, MQCA_Q_DESC, MQCFOP_LIKE, 0, 4 }).data += "pay*";
    want.Put({ MQCFT_BYTE_STRING_FILTER, 28, 7006, MQCFOP_EQUAL, 5 }).data += std::string("\x01\x02\x03\x04\x05\0\0\0", 8);
    EXPECT_EQ(std::string((const char *)area, (size_t)pp.position), want.data);
    EXPECT_EQ(Parms(area, (uint32_t)pp.position).size(), 5u);     /* the walker reads them back */
    CSFreeMem(l);
}

/* A Message dialog's received descriptor and message go back only with
 * the commands that put them (Update, Add), never with its Refresh. */
TEST_F(Input, AMessageGoesOnlyWithTheCommandsThatPutIt)
{
    Use(&PCFMessageDef);
    Text(MQCA_Q_NAME, "APP.MSG");
    for (uint32_t id : { (uint32_t)MYPCFA_MSGDESCRIPTOR, (uint32_t)MYPCFA_FULLMESSAGE }) {
        PCFMSGBUF *b = PCFNewMsgBuf(16, "PHEX Data");
        ASSERT_NE(b, nullptr);
        memcpy(PCFMsgBufBytes(b), "received", 8);
        b->length = 8;
        PCFSetRecPtr(Rec(id), b);
        PCFSetState(Rec(id), PCFS_PRESENT | PCFS_RECEIVED);
    }
    auto has = [&](int32_t id) {
        auto p = Parms(buffer, in.length);
        return std::count(p.begin(), p.end(), std::make_pair((int32_t)MQCFT_BYTE_STRING, id)) == 1;
    };
    ASSERT_EQ(Build(1), 0) << in.error;                    /* Refresh */
    EXPECT_FALSE(has(MYPCFA_MSGDESCRIPTOR));
    EXPECT_FALSE(has(MYPCFA_FULLMESSAGE));
    ASSERT_EQ(Build(946), 0) << in.error;                  /* Update */
    EXPECT_TRUE(has(MYPCFA_MSGDESCRIPTOR));
    EXPECT_TRUE(has(MYPCFA_FULLMESSAGE));
}

}  // namespace
