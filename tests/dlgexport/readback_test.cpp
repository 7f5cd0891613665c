/* Exports read back: objects defined in a stand-in queue manager are
 * exported as MQSC from a queue list of every Queue field, from each
 * Queue dialog and from the Queue Manager dialog, run into a fresh queue
 * manager and asked for again; the XML and CSV exports are read back by
 * small readers and give the same names and values. */
#include "exptest.h"

#include <algorithm>
#include <set>

#include "mqsim.h"
#include "mqsc.h"
#include "prfdata.h"

using namespace exptest;

namespace {

const std::string LongDescr = "A description of sixty-four characters: it's \"long\" & <wide>; ok";
/* 128 characters: its MQSC line of about 150 is split twice */
const std::string Custom = "custom" + std::string(114, 'c') + "&<;\"end\"";

std::string Script()
{
    std::string quoted;
    for (char ch : LongDescr)
        quoted += ch == '\'' ? std::string("''") : std::string(1, ch);
    return "DEFINE QLOCAL('app.lower') DESCR('a queue with a lower-case name')\n"
           "DEFINE QLOCAL(APP.TRIG) TRIGGER TRIGTYPE(DEPTH) TRIGDPTH(5) TRIGMPRI(3) INITQ(APP.INIT) +\n"
           "  PROCESS(APP.PROC) TRIGDATA('start it') DESCR('" + quoted + "') MAXDEPTH(1234) +\n"
           "  DEFPSIST(YES) NOSHARE DEFSOPT(EXCL) BOTHRESH(3) BOQNAME(APP.BACKOUT) HARDENBO\n"
           "DEFINE QLOCAL(APP.INIT) GET(DISABLED) PUT(DISABLED) DEFPRTY(7) CUSTOM('" + Custom + "')\n"
           "DEFINE QLOCAL(FARQM.XQ) USAGE(XMITQ) MSGDLVSQ(FIFO)\n"
           "DEFINE QALIAS(APP.ALIAS) TARGET(APP.TRIG) DESCR('alias; of <trig>')\n"
           "DEFINE QREMOTE(APP.REMOTE) RNAME(FAR.Q) RQMNAME(FARQM) XMITQ(FARQM.XQ)\n"
           "DEFINE QMODEL(APP.MODEL) DEFTYPE(PERMDYN) MAXDEPTH(100) DESCR('model & co')\n"
           "ALTER QMGR DESCR('export read back') MAXUMSGS(5000) TRIGINT(60000)\n";
}

/* Attributes that differ between two queue managers whatever was exported. */
const std::set<int32_t> Volatile = {
    MQCA_CREATION_DATE, MQCA_CREATION_TIME, MQCA_ALTERATION_DATE, MQCA_ALTERATION_TIME,
    MQCA_Q_MGR_IDENTIFIER, MQCA_Q_MGR_NAME, MQIACF_Q_MGR_ATTRS, MQIACF_Q_ATTRS,
};

std::map<std::string, Attrs> Queues(const char *qm, const char *pattern)
{
    Reply q = Request(MQCMD_INQUIRE_Q);
    q.Str(MQCA_Q_NAME, pattern).Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
    std::map<std::string, Attrs> out;
    for (const std::string &r : StandinAsk(qm, q)) {
        Attrs a = ReplyAttrs(r);
        if (a.count(MQCA_Q_NAME))
            out[a[MQCA_Q_NAME]] = a;
    }
    return out;
}

/* The replies of queue inquiries by several names, as one list fill. */
std::vector<std::string> Inquiry(std::initializer_list<const char *> patterns)
{
    std::vector<std::string> all;
    for (const char *p : patterns) {
        Reply q = Request(MQCMD_INQUIRE_Q);
        q.Str(MQCA_Q_NAME, p).Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
        for (const std::string &r : StandinAsk("QMEXP", q))
            all.push_back(r);
    }
    /* one reply set: only the very last reply is the last */
    for (size_t i = 0; i + 1 < all.size(); i++) {
        MQLONG control = MQCFC_NOT_LAST;
        memcpy(&all[i][20], &control, 4);
    }
    return all;
}

template <class... T> std::vector<std::string> Inquiry(T... patterns) { return Inquiry({ patterns... }); }

Attrs Qmgr(const char *qm)
{
    Reply q = Request(MQCMD_INQUIRE_Q_MGR);
    q.Ints(MQIACF_Q_MGR_ATTRS, { MQIACF_ALL });
    auto replies = StandinAsk(qm, q);
    return replies.empty() ? Attrs() : ReplyAttrs(replies[0]);
}

void Same(const Attrs &want, const Attrs &got, const std::string &what)
{
    for (const auto &a : want) {
        if (Volatile.count(a.first))
            continue;
        auto g = got.find(a.first);
        ASSERT_NE(g, got.end()) << what << " lacks attribute " << a.first;
        EXPECT_EQ(g->second, a.second) << what << " attribute " << a.first;
    }
}

/* Runs a script into a new queue manager; no command may fail. */
void RunInto(const char *qm, const std::string &script)
{
    std::string out = StandinMqsc(qm, script);
    EXPECT_EQ(out.find("AMQ8405I"), std::string::npos) << out;
    EXPECT_EQ(out.find("E:"), std::string::npos) << out;
}

struct Readback : ::testing::Test {
    static void SetUpTestSuite()
    {
        StandinMqsc("QMEXP", Script());
        PCFPrefsDefaults();
    }
    void SetUp() override { FixZone(); }
    void TearDown() override { FreeZone(); }
};

TEST_F(Readback, QueueListAsMqscRecreatesEveryQueue)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMEXP");
    list.Fill(Inquiry("APP*", "FARQM*", "app*", "SYSTEM.DEFAULT.*"));
    std::string path = TempPath("queues.mqs");
    Exported e = ExportFile(list.get(), EXP_MQSC, 0, path, "wb");
    ASSERT_EQ(e.count, 7) << e.message << e.text;
    int split = 0;
    for (const std::string &l : Lines(e.text)) {
        EXPECT_LE(l.size(), 71u) << l;
        split += l.size() == 71 && l.back() == '-';
    }
    EXPECT_GE(split, 3);                            /* DESCR once, CUSTOM twice */
    EXPECT_NE(e.text.find("DEFINE QLOCAL('app.lower')"), std::string::npos);
    EXPECT_EQ(e.text.find("SYSTEM."), std::string::npos);
    RunInto("QMEXP1", e.text);
    auto want = Queues("QMEXP", "*"), got = Queues("QMEXP1", "*");
    int compared = 0;
    for (const auto &w : want) {
        if (!w.first.compare(0, 7, "SYSTEM.") || !w.first.compare(0, 4, "AMQ."))
            continue;
        ASSERT_TRUE(got.count(w.first)) << w.first;
        Same(w.second, got[w.first], w.first);
        compared++;
    }
    EXPECT_EQ(compared, 7);
}

TEST_F(Readback, EachQueueDialogAndTheQueueManagerAsMqsc)
{
    auto want = Queues("QMEXP", "*");
    QMS location = {};
    snprintf(location.qmName, sizeof location.qmName, "QMEXP");
    std::string script;
    for (const auto &w : want) {
        if (!w.first.compare(0, 7, "SYSTEM.") || !w.first.compare(0, 4, "AMQ."))
            continue;
        Dialog q(&PCFQueueDef);
        q->first.location = &location;
        FieldHWNDData(q.get(), 0, nullptr, 0, q.Field(MQCA_Q_NAME), w.first.c_str(), -1, 0);
        Reply ask = Request(MQCMD_INQUIRE_Q);
        ask.Str(MQCA_Q_NAME, w.first).Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
        for (const std::string &r : StandinAsk("QMEXP", ask))
            PCFSetDialogData(q.get(), &location, nullptr, nullptr, 1, (const uint8_t *)r.data(),
                             (uint32_t)r.size(), nullptr);
        Exported e = ExportText(q.get(), EXP_MQSC, EXPO_SYSTEM | EXPO_DEFAULTS);
        ASSERT_EQ(e.count, 1) << e.message << w.first << e.text << q.Text(MQIA_Q_TYPE);
        script += e.text;
    }
    Dialog qm(&PCFQueueManagerDef);
    qm->first.location = &location;
    Reply ask = Request(MQCMD_INQUIRE_Q_MGR);
    ask.Ints(MQIACF_Q_MGR_ATTRS, { MQIACF_ALL });
    auto replies = StandinAsk("QMEXP", ask);
    ASSERT_EQ(replies.size(), 1u);
    PCFSetDialogData(qm.get(), &location, nullptr, nullptr, 0, (const uint8_t *)replies[0].data(),
                     (uint32_t)replies[0].size(), nullptr);
    Exported e = ExportText(qm.get(), EXP_MQSC, EXPO_SYSTEM | EXPO_DEFAULTS);
    ASSERT_EQ(e.count, 1) << e.message;
    auto lines = Lines(e.text);
    EXPECT_TRUE(std::find(lines.begin(), lines.end(), "ALTER  QMGR  +") != lines.end()) << e.text;
    script += e.text;
    RunInto("QMEXP2", script);
    auto got = Queues("QMEXP2", "*");
    for (const auto &w : want)
        if (w.first.compare(0, 7, "SYSTEM.") && w.first.compare(0, 4, "AMQ."))
            Same(w.second, got[w.first], w.first);
    Same(Qmgr("QMEXP"), Qmgr("QMEXP2"), "queue manager");
}

/* ---- small readers ------------------------------------------------------------ */

std::string Unescape(const std::string &s)
{
    static const std::pair<const char *, const char *> refs[] = {
        { "&amp;", "&" }, { "&lt;", "<" }, { "&gt;", ">" }, { "&apos;", "'" }, { "&quot;", "\"" },
        { "&#9;", "\t" }, { "&#10;", "\n" }, { "&#13;", "\r" } };
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool done = false;
        for (const auto &r : refs)
            if (!s.compare(i, strlen(r.first), r.first)) {
                out += r.second;
                i += strlen(r.first);
                done = true;
                break;
            }
        if (!done)
            out += s[i++];
    }
    return out;
}

/* Objects of an XML export: name to the elements' texts. */
std::map<std::string, std::map<std::string, std::string>> ReadXml(const std::string &text)
{
    std::map<std::string, std::map<std::string, std::string>> objects;
    std::string current;
    for (const std::string &l : Lines(text)) {
        size_t name = l.find(" Name='");
        if (l.size() > 1 && l[0] == '<' && l[1] != '/' && name != std::string::npos &&
            l.compare(0, 12, "<QMGREXPORT ")) {
            current = Unescape(l.substr(name + 7, l.rfind('\'') - name - 7));
            objects[current];
            continue;
        }
        size_t close = l.find("</");
        if (l[0] == '<' && close != std::string::npos && close > 0) {
            std::string tag = l.substr(1, l.find('>') - 1);
            objects[current][tag] = Unescape(l.substr(tag.size() + 2, close - tag.size() - 2));
        }
    }
    return objects;
}

/* Rows of a CSV export, each value unquoted. */
std::vector<std::vector<std::string>> ReadCsv(const std::string &text, char sep)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string v;
    bool quoted = false, any = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                v += '"', i++;
            else if (c == '"')
                quoted = false;
            else
                v += c;
        } else if (c == '"') {
            quoted = any = true;
        } else if (c == sep) {
            rows.back().push_back(v);
            v.clear();
        } else if (c == '\n') {
            rows.back().push_back(v);
            v.clear();
            rows.emplace_back();
        } else if (c != '\r') {
            v += c;
        }
    }
    if (rows.back().empty())
        rows.pop_back();
    return rows;
}

TEST_F(Readback, XmlAndCsvGiveTheSameNamesAndValues)
{
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMEXP");
    Reply q = Request(MQCMD_INQUIRE_Q);
    q.Str(MQCA_Q_NAME, "APP.*").Ints(MQIACF_Q_ATTRS, { MQIACF_ALL });
    list.Fill(StandinAsk("QMEXP", q));
    auto want = Queues("QMEXP", "APP.*");

    Exported x = ExportText(list.get(), EXP_XML, 0);
    ASSERT_EQ(x.count, 5) << x.message << x.text;
    auto objects = ReadXml(x.text);
    EXPECT_EQ(objects.size(), 5u);
    EXPECT_EQ(objects["APP.TRIG"]["DESCR"], LongDescr);
    EXPECT_EQ(objects["APP.INIT"]["CUSTOM"], Custom);
    EXPECT_EQ(objects["APP.TRIG"]["TRIGDPTH"], "5");
    EXPECT_EQ(objects["APP.TRIG"]["TRIGGER"], "TRIGGER");
    EXPECT_EQ(objects["APP.ALIAS"]["DESCR"], "alias; of <trig>");
    EXPECT_EQ(objects["APP.ALIAS"]["TARGQ"], "APP.TRIG");
    EXPECT_EQ(objects["APP.REMOTE"]["RQMNAME"], "FARQM");
    EXPECT_EQ(objects["APP.MODEL"]["MAXDEPTH"], want["APP.MODEL"][MQIA_MAX_Q_DEPTH]);

    Prf.csvsep = ';';
    Exported c = ExportText(list.get(), EXP_CSV, 0);
    Prf.csvsep = ',';
    ASSERT_EQ(c.count, 5) << c.message;
    auto rows = ReadCsv(c.text, ';');
    ASSERT_EQ(rows.size(), 6u);                        /* the headings and five queues */
    const std::vector<std::string> &head = rows[0];
    size_t nameAt = 0, descAt = 0, depthAt = 0;
    for (size_t i = 0; i < head.size(); i++) {
        if (head[i] == "Name") nameAt = i;
        if (head[i] == "Queue Description") descAt = i;
        if (head[i] == "Maximum Queue Depth") depthAt = i;
    }
    ASSERT_TRUE(nameAt != descAt && descAt && depthAt) << c.text.substr(0, 600);
    std::set<std::string> names;
    for (size_t r = 1; r < rows.size(); r++) {
        ASSERT_EQ(rows[r].size(), head.size());
        const std::string &name = rows[r][nameAt];
        names.insert(name);
        EXPECT_EQ(rows[r][descAt], want[name][MQCA_Q_DESC]) << name;
    }
    EXPECT_EQ(names, std::set<std::string>({ "APP.ALIAS", "APP.INIT", "APP.MODEL", "APP.REMOTE", "APP.TRIG" }));
}


/* The commands of an MQSC file as the console's command-file reader
 * collects them, each as its queue's name and its DESCR (quotes undone). */
std::map<std::string, std::string> ConsoleDescriptions(const std::string &path)
{
    std::map<std::string, std::string> out;
    MQSCFILEREADER r = {};
    std::vector<char> command(MQSC_FILE_BUFFER);
    r.command = command.data();
    r.file = fopen(path.c_str(), "rb");
    auto quoted = [](const std::string &c, const std::string &keyword) {
        size_t i = c.find(keyword + "('");
        if (i == std::string::npos)
            return std::string("<none>");
        std::string v;
        for (i += keyword.size() + 2; i < c.size(); i++) {
            if (c[i] == '\'' && (i + 1 == c.size() || c[++i] != '\''))
                return v;
            v += c[i];
        }
        return std::string("<open>");
    };
    while (r.file && MQSCNextFileCommand(&r)) {
        std::string c(r.command, r.used);
        EXPECT_EQ(c.compare(0, 14, "DEFINE QLOCAL("), 0) << c;
        out[quoted(c, "QLOCAL")] = quoted(c, "DESCR");
    }
    if (r.file)
        fclose(r.file);
    CSFreeMemAndClear(&r.line);
    return out;
}

/* Values a queue manager's reply may hold, however its objects were
 * made: a description with line ends and a command after them, tabs, a
 * bell, a "*" where a long line is split, quotes across a split, a name
 * with a line end.  No value ends an MQSC command: what MQSC can carry is
 * read back by the console's command-file reader as it was, an object
 * with anything else is left out and named; XML carries tabs and line
 * ends as references and leaves out the rest; CSV quotes every value. */
TEST_F(Readback, ValuesNeverEndACommand)
{
    struct Row {
        std::string name, descr;
        bool mqsc, xml;
    };
    std::vector<Row> rows = {
        { "EVIL.Q", "a\r\nDELETE QLOCAL(VICTIM) PURGE\r\n*", false, true },
        { "LF.Q", "a\nDELETE QLOCAL(VICTIM) PURGE", false, true },
        { "TAB.Q", "a\tb\tc", true, true },
        { "BELL.Q", "ring\x07", false, false },
        { "STAR.Q", std::string(56, 's') + "*x') +", true, true },
        { "QUOTES.Q", std::string(64, '\''), true, true },
        { "BAD\r\nNAME", "plain", false, true },
    };
    /* enough objects that the lines held back for each cross the writes
       of the gathered output, a third of them left out */
    for (int i = 0; i < 1200; i++)
        rows.push_back(i % 3 ? Row{ "BULK.Q" + std::to_string(i), std::string(56, 'b') + std::to_string(i), true, true }
                             : Row{ "BULK.CR" + std::to_string(i), "cr\r" + std::to_string(i), false, true });
    ListDialog list(&PCFQueueListDef, AllColumns(&PCFQueueDef), "QMEXP");
    std::vector<std::string> replies;
    for (size_t i = 0; i < rows.size(); i++) {
        Reply r(MQCMD_INQUIRE_Q, i + 1 == rows.size());
        r.Str(MQCA_Q_NAME, rows[i].name, 48 - (int)rows[i].name.size())
            .Int(MQIA_Q_TYPE, MQQT_LOCAL)
            .Str(MQCA_Q_DESC, rows[i].descr, 64 - (int)rows[i].descr.size());
        replies.push_back(r.data);
    }
    list.Fill(replies);
    std::string path = TempPath("hostile.mqs");
    Exported m = ExportFile(list.get(), EXP_MQSC, 0, path, "wb");
    EXPECT_EQ(m.warning.find("404 objects left out ('"), 0u) << m.warning;
    Exported x = ExportText(list.get(), EXP_XML, 0);
    EXPECT_NE(x.warning.find("'BELL.Q' left out"), std::string::npos) << x.warning;
    /* name to description as each reader gets them back */
    std::map<std::string, std::string> mqsc = ConsoleDescriptions(path), xml, csv, want[2];
    for (auto &o : ReadXml(x.text))
        xml[o.first] = o.second["DESCR"];
    auto table = ReadCsv(ExportText(list.get(), EXP_CSV, 0).text, ',');
    ASSERT_EQ(table.size(), rows.size() + 1) << "the headings and every queue";
    auto column = [&](const char *title) {
        return (size_t)(std::find(table[0].begin(), table[0].end(), title) - table[0].begin());
    };
    for (size_t i = 1, n = column("Name"), dsc = column("Queue Description"); i < table.size(); i++)
        csv[table[i].at(n)] = table[i].at(dsc);
    for (const Row &r : rows) {
        if (r.mqsc)
            want[0][r.name] = r.descr;
        if (r.xml)
            want[1][r.name] = r.descr;
        EXPECT_EQ(csv[r.name], r.descr) << r.name;
    }
    EXPECT_EQ(m.count, (int)want[0].size());
    EXPECT_EQ(mqsc, want[0]);
    EXPECT_EQ(x.count, (int)want[1].size());
    EXPECT_EQ(xml, want[1]);
}

}  // namespace
