/* The definition tables: against the IBM MQ facts they were generated
 * from (read at test time), and each definition's shape, sizes, columns
 * and counts. */
#include "dlgtest.h"
#include "cmddlg.h"
#include "mq/mqconst.h"

#include <map>
#include <regex>
#include <set>
#include <sstream>

using namespace dlgtest;

namespace {

std::vector<std::vector<std::string>> Tsv(const std::string &path)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(ReadFile(path));
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::vector<std::string> cols;
        std::string col;
        std::istringstream l(line);
        while (std::getline(l, col, '\t'))
            cols.push_back(col);
        rows.push_back(cols);
    }
    return rows;
}

struct Facts {
    struct Line {
        std::string name, keyword, type, kinds, desc;
        int max;
    };
    std::map<int, std::vector<Line>> byId;
    std::map<int, std::string> own;                       /* own parameter ids */
    std::set<std::tuple<int, int, std::string>> values;   /* id, value, keyword */
    std::map<std::string, int> constants;
    std::map<int, std::string> commands;

    bool Load()
    {
        std::string dir = FactsDir();
        const char *ownPath = getenv("RAVOLT_MQOWN");
        if (dir.empty() || !ownPath)
            return false;
        std::map<std::string, int> nameToId;
        for (auto &r : Tsv(dir + "/pcf-mqsc.tsv")) {
            if (r.size() < 7 || r[1].empty() || !isdigit((unsigned char)r[1][0]))
                continue;
            int id = atoi(r[1].c_str());
            byId[id].push_back({ r[0], r[2], r[3], r[5], r[6], atoi(r[4].c_str()) });
            nameToId[r[0]] = id;
        }
        for (auto &r : Tsv(dir + "/mqsc-values.tsv"))
            if (r.size() >= 4 && nameToId.count(r[0]))
                values.insert({ nameToId[r[0]], atoi(r[2].c_str()), r[3] });
        for (auto &r : Tsv(dir + "/mq-constants.tsv"))
            if (r.size() >= 4 && r[3] == "int32")
                constants[r[0]] = atoi(r[1].c_str());
        for (auto &r : Tsv(dir + "/pcf-commands.tsv"))
            if (r.size() >= 2)
                commands[atoi(r[1].c_str())] = r[0];
        for (auto &r : Tsv(ownPath))
            if (r.size() >= 3 && r[0] == "parm")
                own[atoi(r[2].c_str())] = r[1];
        return !byId.empty();
    }
};

bool TypeAgrees(const std::string &fact, int type)
{
    static const std::map<std::string, std::set<int>> agree = {
        { "int", { 1, 2, 3, 11, 13, 14, 15, 24 } }, { "string", { 4, 5, 25 } },
        { "stringlist", { 6, 7 } },                  { "intlist", { 19, 22, 24 } },
        { "bytes", { 8, 9, 23 } },
    };
    auto it = agree.find(fact);
    return it != agree.end() && it->second.count(type);
}

std::vector<std::string> Alternatives(const char *keyword)
{
    std::vector<std::string> out;
    std::istringstream s(keyword ? keyword : "");
    std::string k;
    while (std::getline(s, k, '/'))
        out.push_back(k);
    return out;
}

TEST(Tables, AgreeWithTheFacts)
{
    Facts facts;
    if (!facts.Load())
        GTEST_SKIP() << "RAVOLT_MQFACTS not set";
    int checked = 0;
    for (const PCFFieldDef *const *p = PCFAllDescriptors; *p; p++) {
        const PCFFieldDef *f = *p;
        if (f->type == PCFT_HEADING)
            continue;
        SCOPED_TRACE(f->title);
        auto lines = facts.byId.find((int)f->attrId);
        if (lines == facts.byId.end()) {
            bool constant = false;
            for (auto &c : facts.constants)
                constant |= c.second == (int)f->attrId && c.first.rfind("MQCA", 0) == 0;
            EXPECT_TRUE(facts.own.count((int)f->attrId) || constant) << "id " << f->attrId;
            EXPECT_EQ(f->keyword, nullptr);
            continue;
        }
        bool ro = false;
        for (const std::string &k : Alternatives(f->keyword)) {
            bool found = false;
            for (auto &l : lines->second)
                found |= l.keyword == k;
            EXPECT_TRUE(found) << k << " is not a keyword of " << f->attrId;
        }
        bool typeOk = false, lengthOk = f->type != 4 && f->type != 5 && f->type != 25;
        for (auto &l : lines->second) {
            typeOk |= TypeAgrees(l.type, f->type);
            lengthOk |= l.max == f->maximum;
            ro |= l.desc.find("[ro]") != std::string::npos;
        }
        EXPECT_TRUE(typeOk) << "type " << f->type;
        EXPECT_TRUE(lengthOk) << "maximum " << f->maximum;
        for (const PCFValueDef *v = f->values; v && v->name && *v->name; v++) {
            std::string kw = v->keyword ? v->keyword : "-";
            EXPECT_TRUE(facts.values.count({ (int)f->attrId, v->value, kw }))
                << v->name << " " << v->value << " " << kw;
        }
        for (const PCFCommandUse *u = f->uses; ro && u && u->command; u++) {
            std::string cmd = facts.commands[(int)u->command];
            EXPECT_TRUE(cmd.find("CREATE") == std::string::npos && cmd.find("CHANGE") == std::string::npos &&
                        cmd.find("COPY") == std::string::npos)
                << "read-only attribute used by " << cmd;
        }
        checked++;
    }
    EXPECT_GT(checked, 250);
}

TEST(Tables, OwnValueTablesAreConstantFamilies)
{
    Facts facts;
    if (!facts.Load())
        GTEST_SKIP() << "RAVOLT_MQFACTS not set";
    /* the message attributes take their values from MQ's own families */
    struct { uint32_t id; const char *prefix; } own[] = {
        { 10010, "MQRO_" }, { 10011, "MQMT_" }, { 10013, "MQFB_" }, { 10018, "MQPER_" },
        { 10025, "MQAT_" }, { 10032, "MQMF_" },
    };
    for (auto &o : own) {
        const PCFFieldDef *f = nullptr;
        for (const PCFFieldDef *const *p = PCFAllDescriptors; *p; p++)
            if ((*p)->attrId == o.id)
                f = *p;
        ASSERT_NE(f, nullptr);
        ASSERT_NE(f->values, nullptr);
        for (const PCFValueDef *v = f->values; v->name && *v->name; v++) {
            bool found = false;
            for (auto &c : facts.constants)
                found |= c.first.rfind(o.prefix, 0) == 0 && c.second == v->value;
            EXPECT_TRUE(found) << o.prefix << v->value;
        }
    }
}

/* Every reason, command and parameter code the facts publish has its row
 * in the constant tables, so that none shows as a bare number; the
 * families' markers (FIRST, LAST, structure lengths) and the values the
 * monitoring family names beside its parameters are no codes. */
TEST(Tables, ConstantTablesNameEveryPublishedCode)
{
    Facts facts;
    if (!facts.Load())
        GTEST_SKIP() << "RAVOLT_MQFACTS not set";
    const struct { int table; std::vector<std::string> prefixes; } families[] = {
        { MQTAB_REASONS, { "MQRC_", "MQRCCF_" } },
        { MQTAB_COMMANDS, { "MQCMD_" } },
        { MQTAB_PARAMETERS, { "MQCA_", "MQIA_", "MQBACF_", "MQCACF_", "MQIACF_", "MQCACH_", "MQIACH_", "MQGACF_",
                              "MQCAMO_", "MQIAMO_", "MQIAMO64_" } },
    };
    std::regex marker("_(FIRST|LAST|LAST_USED|MAX_.*USED)$");
    int checked = 0;
    for (const auto &f : families)
        for (const auto &c : facts.constants) {
            bool member = false;
            for (const std::string &p : f.prefixes)
                member |= c.first.rfind(p, 0) == 0;
            if (!member || std::regex_search(c.first, marker) ||
                (c.first.rfind("MQIAMO_MONITOR_", 0) == 0 && (c.second < 701 || c.second >= 1000)) ||
                c.first.rfind("MQIASY_", 0) == 0 || c.first.rfind("MQIAV_", 0) == 0)
                continue;
            EXPECT_NE(MQFindRow(MQConstTable(f.table, nullptr), c.second), nullptr) << c.first << " " << c.second;
            checked++;
        }
    EXPECT_GT(checked, 2000);
}

/* The definitions of the two tables with their counts and attributes. */
struct DefRow {
    PCFCommandDef *def;
    const char *title;
    int actions, fields;
    uint32_t objectId, menuId, flags, second;
    const char *mqsc, *shortName;
    uint32_t dataSize, pcfBound;
};

int Count(const PCFActionDef *a)
{
    int n = 0;
    while (a && a[n].id)
        n++;
    return n;
}

int Count(const PCFFieldEntry *e)
{
    int n = 0;
    while (e && e[n].field)
        n++;
    return n;
}

TEST(Tables, DefinitionsHaveTheirShapeAndSizes)
{
    PCFInitCommandDefs();
    const DefRow rows[] = {
        { &PCFQueueManagerDef, "Queue Manager", 4, 170, 0, 0, 0x40081, 0, "QMGR", "qmgr", 5637, 8388 },
        { &PCFQueueDef, "Queue", 13, 88, 0, 0, 0x80, 0, "QUEUE", "queue", 1537, 3448 },
        { &PCFQueueListDef, "Queue List", 14, 5, 1002, 588, 0x8080, 0, "QUEUE", "queues", 545, 2600 },
        { &PCFMessageDetailDef, "Message Detail", 31, 36, 0, 0, 0x22, 10010, "MESSAGE", "msgdet", 1113, 2344 },
        { &PCFMessageListDef, "Message List", 35, 13, 10001, 594, 0x80002, 10010, "MESSAGE", "msgs", 11162, 11875 },
        { &PCFMessageDef, "Message", 91, 11, 0, 0, 0x400166, 10010, "MSGDETAIL", "msg", 178, 840 },
        { &PCFCommandLevelDef, "Command Level", 4, 2, 0, 0, 0x1, 0, "CMDLVL", nullptr, 12, 568 },
        { &PCFMqscConsoleDef, "MQSC Commands", 3, 0, 0, 0, 0x8, 0, "QMGR", "mqsc", 0, 536 },
        { &PCFBrokerSubscribersDef, "Broker Subscribers", 3, 5, 10003, 591, 0x2, 0, "QMGR", nullptr, 1091, 1732 },
        { &PCFBrokerPublishersDef, "Broker Publishers", 3, 4, 10002, 592, 0x2, 0, "QMGR", nullptr, 832, 1452 },
        { &PCFQmgrInfoDef, "Queue Manager", 4, 0, 1001, 0, 0, 0, "QMGR", nullptr, 0, 536 },
        { &PCFQueueNamesDef[0], "Queue List", 14, 3, 1002, 0, 0, 0, "QUEUE", nullptr, 477, 1044 },
        { &PCFQueueNamesDef[1], "Queue List", 14, 4, 1002, 0, 0, 0, "QUEUE", nullptr, 483, 1060 },
        { &PCFQueueNamesDef[2], "Queue List", 14, 3, 1002, 0, 0, 0, "QUEUE", nullptr, 528, 1116 },
        { &PCFQueueNamesDef[3], "Queue List", 14, 3, 1002, 0, 0, 0, "QUEUE", nullptr, 528, 1116 },
        { &PCFClientChannelDef, "Client Channel Definition", 4, 31, 0, 0, 0x828, 0, "CHANNEL", nullptr, 2008, 12896 },
    };
    int first = 0, second = 0;
    for (PCFCommandDef *const *d = PCFCommandDefs; *d; d++)
        first++;
    for (PCFCommandDef *const *d = PCFInternalDefs; *d; d++)
        second++;
    EXPECT_EQ(first, 10);     /* the seven object kinds, the MQSC console, the broker's two lists */
    EXPECT_EQ(second, 6);     /* the four queue-name kinds make one row */
    for (const DefRow &r : rows) {
        SCOPED_TRACE(r.title);
        const PCFCommandDef *d = r.def;
        EXPECT_STREQ(d->title, r.title);
        EXPECT_EQ(Count(d->actions), r.actions);
        EXPECT_EQ(Count(d->fields), r.fields);
        EXPECT_EQ(d->objectId, r.objectId);
        EXPECT_EQ(d->menuId, r.menuId);
        EXPECT_EQ(d->flags & ~(PCFD_PREPARED | PCFD_HASKEYS), r.flags);
        EXPECT_TRUE(d->flags & PCFD_PREPARED);
        EXPECT_EQ(d->secondCommand, r.second);
        if (d->secondCommand) {
            /* the close command is an action of the kind: neither button nor menu row */
            const PCFActionDef *close = PCFFindActionDef(d->actions, d->secondCommand);
            ASSERT_NE(close, nullptr);
            EXPECT_EQ(close->command, 10010u);
            EXPECT_EQ(close->flags & (PCFA_BUTTON | PCFA_NOMENU), (uint32_t)PCFA_NOMENU);
        }
        EXPECT_STREQ(d->mqscObject, r.mqsc);
        if (r.shortName)
            EXPECT_STREQ(d->shortName, r.shortName);
        else
            EXPECT_EQ(d->shortName, nullptr);
        EXPECT_EQ(d->dataSize, r.dataSize);
        EXPECT_EQ(d->pcfBound, r.pcfBound);
        /* keywords unique within a definition (every alternative) */
        std::set<std::string> seen;
        for (const PCFFieldEntry *e = d->fields; e->field; e++)
            for (const std::string &k : Alternatives(e->field->keyword))
                EXPECT_TRUE(seen.insert(k).second) << "keyword " << k << " twice";
        /* value tables end; condition lists end */
        for (const PCFFieldEntry *e = d->fields; e->field; e++) {
            int n = 0;
            for (const PCFValueDef *v = e->field->values; v && v->name; v++)
                ASSERT_LT(++n, 200);
            for (const PCFDependency *c = e->conditions; c && c->attrId; c++)
                ASSERT_LT(++n, 200);
        }
    }
    EXPECT_EQ(PCFDescriptorCount, 322);
    EXPECT_EQ(PCFValueTableCount, 98);
    int actions = 0;
    for (const DefRow &r : rows)
        actions += r.actions;
    EXPECT_EQ(actions, 265);
    /* an action the engine carries out takes its id before the view
       commands: one of them on a view command's id would shadow it (the
       message list's Next Page once answered its View All) */
    for (const DefRow &r : rows)
        for (const PCFActionDef *a = r.def->actions; a->id; a++)
            EXPECT_FALSE(a->command && PCFIsViewCommand((int32_t)a->id))
                << r.title << ": action " << a->id << " \"" << (a->text ? a->text : "") << "\"";
    /* what an MQSC-speaking location is sent is the verb of the action's
       PCF command: a Reset Statistics that said CLEAR would empty the queue */
    const MQConstRow *commands = MQConstTable(MQTAB_COMMANDS, nullptr);
    int verbs = 0;
    for (const DefRow &r : rows)
        for (const PCFActionDef *a = r.def->actions; a->id; a++) {
            const MQConstRow *c = a->verb ? MQFindRow(commands, a->command) : nullptr;
            if (!c || !c->keyword)
                continue;
            std::string own(a->verb), mqsc(c->keyword);
            EXPECT_EQ(own.substr(0, own.find(' ')), mqsc.substr(0, mqsc.find(' ')))
                << r.title << ": action " << a->id << " \"" << (a->text ? a->text : "") << "\"";
            verbs++;
        }
    EXPECT_EQ(verbs, 49);
}

std::vector<std::string> ColumnTitles(const PCFCommandDef *def)
{
    std::vector<std::string> t;
    for (const PCFLISTENTRY *c = def->list->current; c->field; c++)
        t.push_back(c->field->shortTitle);
    return t;
}

TEST(Tables, ListDefinitionsAndTheirColumns)
{
    const std::vector<std::string> queues = { "QMgr", "Name", "Type", "Def Type", "QSG Disp",
                                              "Clus QMgr", "Clus", "Targ Type", "Depth" };
    const std::vector<std::string> messages = { "Pos", "MsgId", "Msg Tkn", "Format", "MsgLen",
                                                "MsgSum", "CCSID", "Enc" };
    EXPECT_EQ(ColumnTitles(&PCFQueueListDef), queues);
    EXPECT_EQ(ColumnTitles(&PCFMessageListDef), messages);
    EXPECT_EQ(PCFQueueListDef.list->listAttr, 1352u);
    EXPECT_EQ(PCFQueueListDef.list->kind, 1u);
    EXPECT_EQ(PCFMessageListDef.list->kind, 2u);
    EXPECT_EQ(PCFQueueListDef.list->current, PCFQueueListDef.list->defaults);
    for (int i = 0; i < 4; i++) {
        EXPECT_EQ(PCFQueueNamesDef[i].list, PCFQueueNamesDef[0].list);
        EXPECT_EQ(PCFQueueNamesDef[i].actions, PCFQueueListDef.actions);
    }
    int n = 0;
    for (const PCFLISTENTRY *c = PCFQueueNamesDef[0].list->current; c->field; c++)
        n++;
    EXPECT_EQ(n, 16);
    EXPECT_EQ(PCFQueueNamesDef[0].list->listAttr, 1511u);
    EXPECT_EQ(PCFQueueListDef.detail, PCFQueueDef.fields);
    EXPECT_EQ(Count(PCFMessageListDef.detail), 32);
}

TEST(Tables, QueueFieldsApplyByQueueType)
{
    /* a remote queue's transmission queue has a condition on the type */
    PCFFieldEntry *xmitq = PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_XMIT_Q_NAME);
    ASSERT_NE(xmitq, nullptr);
    ASSERT_NE(xmitq->conditions, nullptr);
    EXPECT_EQ(xmitq->conditions[0].attrId, (uint32_t)MQIA_Q_TYPE);
    EXPECT_EQ(xmitq->conditions[0].value, (uint32_t)MQQT_REMOTE);
    /* read-only attributes are shown only; z/OS ones need flag 19 */
    EXPECT_TRUE(PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQIA_CURRENT_Q_DEPTH)->flags & PCFE_SHOWONLY);
    EXPECT_EQ(PCFFindField(nullptr, nullptr, PCFQueueDef.fields, MQCA_STORAGE_CLASS)->field->need1, 19);
    /* the client channel's fields know their MQCD offsets */
    EXPECT_EQ(PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCACH_CONNECTION_NAME)->mqcdOffset, 1024u);
    EXPECT_EQ(PCFFindField(nullptr, nullptr, PCFClientChannelDef.fields, MQCA_ALTERATION_DATE)->mqcdOffset, 0xFFFFFFFFu);
}

}  // namespace
