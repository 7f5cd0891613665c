/* The MQSC console headless against the stand-in on the engine's real
 * threads: escape requests, splitting, comments, redirection, command
 * files (the large configuration export among them), wrapped reply lines,
 * the search, the histories, and plain text to a z/OS queue manager. */
#include "mqsctest.h"
#include "sampletest.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cs.h"
#include "locstore.h"
#include "mqsim.h"
#include "prfdata.h"
#include "pcflists.h"

using namespace cmdtest;
using namespace mqsctest;

namespace {

const PCFActionDef ConsoleAction = { 0, 0, 0, 0, 900, nullptr, "&Execute", 0, 0x800, nullptr, "Command sent",
                                     nullptr, nullptr };

std::string ReadAll(const std::string &path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

void Write(const std::string &path, const std::string &text)
{
    std::ofstream f(path, std::ios::binary);
    f << text;
}

std::vector<std::string> Lines(DialogWords *d, uint32_t type = 99)
{
    std::vector<std::string> out;
    MQSCCONSOLE *c = MQSCConsoleFind(d);
    char text[2000];
    uint32_t t;
    for (int32_t i = 0; c && MQSCLineText(c, i, text, sizeof text, &t); i++)
        if (type == 99 || t == type)
            out.push_back(text);
    return out;
}

struct Console : Live {
    QMS *r = nullptr;
    TestDialog *d = nullptr;
    std::filesystem::path was;
    /* The console is given names relative to the test's own folder, its
       current one meanwhile: no name depends on where the checkout or
       the temporary folder lies (the console takes names of up to 127
       characters). */
    void SetUp() override
    {
        Live::SetUp();
        was = std::filesystem::current_path();
        std::filesystem::current_path(home);
    }
    void Open(const char *qm, uint32_t flags = 0)
    {
        r = Location(qm, flags);
        d = new TestDialog(&PCFQueueManagerDef, r);
        MQSCConsoleOf(d->d)->lineWidth = 60;
        MQSCConsoleOf(d->d)->charWidth = 1;
    }
    void TearDown() override
    {
        if (d) {
            MQSCConsoleFree(d->d);
            delete d;
        }
        MQSCSetFileRunner(nullptr, nullptr);
        std::filesystem::current_path(was);
        Live::TearDown();
    }
    /* Typed once the window has taken its posts, as a user types (into
       the test's console, or another). */
    void Type(const std::string &input, TestDialog *into = nullptr)
    {
        DialogWords *w = (into ? into : d)->d;
        hooks.Pump();
        CmdCopy(MQSCConsoleOf(w)->input, input.c_str(), MQSC_INPUT_SIZE + 1);
        IssueMQSC(w, &ConsoleAction);
    }
    /* Every command of the console answered. */
    bool Answered(TestDialog *of = nullptr)
    {
        DialogWords *w = (of ? of : d)->d;
        return WaitFor([w] {
            CSLockGlobal(CSLOCK_DIALOGS);
            IFCMD *c = IfcmdFind(w, MQSCResponseLines);
            bool done = !c || c->consoleCommands.count == 0;
            CSUnlockGlobal(CSLOCK_DIALOGS);
            return done;
        });
    }
    std::vector<MQCall> Sent() { return Rec.Of("MQPUT", "SYSTEM.ADMIN.COMMAND.QUEUE"); }
    /* The commands the consoles posted: the window's own thread posts
       each as it is typed, so none comes later. */
    std::vector<std::string> Posted()
    {
        std::lock_guard<std::mutex> g(hooks.lock);
        std::vector<std::string> out;
        for (const cmdtest::Sent &p : hooks.sent) {
            const char *text;
            uint32_t n;
            if (p.flags & TRF_TEXT)
                out.push_back(p.data);
            else if (MQSCEscapeText((const uint8_t *)p.data.data(), (uint32_t)p.data.size(), &text, &n))
                out.push_back(std::string(text, n));
        }
        return out;
    }
    std::string Path(const char *name) { return name; }
};

TEST(ConsoleText, EscapeRequestSplittingAndRedirection)
{
    uint32_t n;
    uint8_t *m = MQSCEscapeRequest("DIS Q(X)", &n);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(n, 80u);
    const int32_t want[] = { 1, 36, 1, 38, 1, 1, 0, 0, 2, 3, 16, 1017, 1, 4, 28, 3014, 0, 8 };
    EXPECT_EQ(memcmp(m, want, sizeof want), 0);
    EXPECT_EQ(std::string((char *)m + 72, 8), "DIS Q(X)");
    const char *text;
    uint32_t length;
    ASSERT_TRUE(MQSCEscapeText(m, n, &text, &length));
    EXPECT_EQ(std::string(text, length), "DIS Q(X)");
    EXPECT_FALSE(MQSCEscapeText(m, 71, &text, &length));
    ASSERT_TRUE(MQSCEscapeText(m, 75, &text, &length));          /* the length clamped to the bytes there */
    EXPECT_EQ(length, 3u);
    int32_t wrong = 1018;
    memcpy(m + 44, &wrong, 4);
    EXPECT_FALSE(MQSCEscapeText(m, n, &text, &length));
    CSFreeMem(m);
    std::vector<std::string> parts;
    auto each = [](void *ctx, const char *p, size_t len) {
        ((std::vector<std::string> *)ctx)->push_back(std::string(p, len));
    };
    MQSCSplit("a;b;;ALTER QLOCAL(X) DESCR('a;b');", each, &parts);
    EXPECT_EQ(parts, (std::vector<std::string>{ "a", "b", "", "ALTER QLOCAL(X) DESCR('a;b')" }));
    size_t len = 0;
    char file[64];
    uint32_t flags = 0;
    ASSERT_TRUE(MQSCRedirect("DIS Q(*)>x.txt", &len, file, sizeof file, &flags));
    EXPECT_EQ(len, 8u);
    EXPECT_STREQ(file, "x.txt");
    EXPECT_EQ(flags, (uint32_t)MC_CLOSE);
    flags = 0;
    ASSERT_TRUE(MQSCRedirect("DIS Q(*)   >>  y.txt", &len, file, sizeof file, &flags));
    EXPECT_EQ(len, 8u);
    EXPECT_STREQ(file, "y.txt");
    EXPECT_EQ(flags, (uint32_t)(MC_CLOSE | MC_APPEND));
    EXPECT_FALSE(MQSCRedirect("DIS Q(A>B) DESCR('x>y') \"q>r\"", &len, file, sizeof file, &flags));
}

TEST(ConsoleText, WrappingAndHistories)
{
    std::vector<std::string> lines;
    auto each = [](void *ctx, const char *p, size_t len) {
        ((std::vector<std::string> *)ctx)->push_back(std::string(p, len));
    };
    MQSCWrapText("QUEUE(  APP.A  ) DESCR(a long description here) CURDEPTH(0)\r\n  NEXT(   )", 72, 20, each,
                 &lines);
    EXPECT_EQ(lines, (std::vector<std::string>{ "QUEUE(APP.A)", "DESCR(a long description here)", "CURDEPTH(0)",
                                                "NEXT( )" }));
    lines.clear();
    std::string word(50, 'w');
    MQSCWrapText(word.c_str(), word.size(), 20, each, &lines);
    EXPECT_EQ(lines, std::vector<std::string>{ word });
    CSLIST h = {};
    for (int i = 0; i < 25; i++)
        MQSCHistoryPush(&h, ("cmd" + std::to_string(i)).c_str());
    EXPECT_EQ(h.count, MQSC_HISTORY_SIZE);
    EXPECT_STREQ((const char *)(h.first + 1), "cmd5");
    MQSCHistoryPush(&h, "cmd24");
    EXPECT_EQ(h.count, MQSC_HISTORY_SIZE);
    MQSCHistoryPush(&h, "cmd10");
    EXPECT_STREQ((const char *)(h.last + 1), "cmd10");
    EXPECT_STREQ((const char *)(h.last->prev + 1), "cmd24");
    EXPECT_EQ(h.count, MQSC_HISTORY_SIZE);
    CSListFree(&h, nullptr, nullptr);
}

TEST_F(Console, CommandsRepliesRedirectionAndSearch)
{
    Mqsc("QMCON", "DEFINE QLOCAL(APP.A) DESCR('first')\nDEFINE QLOCAL(APP.B)\n");
    Open("QMCON");
    Type("* a comment");
    EXPECT_EQ(Posted().size(), 0u);
    Type("DISPLAY QLOCAL(APP.A) DESCR;DISPLAY QLOCAL(APP.B)");
    ASSERT_TRUE(Answered());
    std::vector<MQCall> sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    CMDKEY k1, k2;
    memcpy(&k1, sent[0].md.MsgId, sizeof k1);
    memcpy(&k2, sent[1].md.MsgId, sizeof k2);
    EXPECT_EQ(k2.sequence, k1.sequence + 1);
    EXPECT_EQ(std::string(sent[0].md.Format, 8), "MQADMIN ");
    std::vector<std::string> titles = Lines(d->d, ML_TITLE);
    EXPECT_EQ(titles, (std::vector<std::string>{ "DISPLAY QLOCAL(APP.A) DESCR", "DISPLAY QLOCAL(APP.B)" }));
    std::vector<std::string> all = Lines(d->d);
    EXPECT_NE(std::find(all.begin(), all.end(), "DESCR(first)"), all.end());
    EXPECT_EQ(MQSCConsoleFind(d->d)->input[0], 0);
    EXPECT_EQ(MQSCGlobalHistory()->last ? std::string((const char *)(MQSCGlobalHistory()->last + 1)) : "",
              "DISPLAY QLOCAL(APP.A) DESCR;DISPLAY QLOCAL(APP.B)");
    EXPECT_EQ(r->mqscCommands.count, 2);                 /* the comment too */
    /* a queue's status, as IBM MQ answers it, not a syntax error */
    Type("DISPLAY QSTATUS(APP.A)");
    ASSERT_TRUE(Answered());
    all = Lines(d->d);
    auto has = [&all](const std::string &part) {
        return std::any_of(all.begin(), all.end(), [&part](const std::string &l) { return l.find(part) != l.npos; });
    };
    EXPECT_TRUE(has("AMQ8450I: Display queue status details."));
    EXPECT_TRUE(has("CURDEPTH(0)"));
    EXPECT_FALSE(has("AMQ8405I"));
    /* ">" replaces, ">>" appends */
    std::string out = Path("out.txt");
    Write(out, "old");
    Type("DISPLAY QLOCAL(APP.A) DESCR > " + out);
    ASSERT_TRUE(Answered());
    std::string once = ReadAll(out);
    EXPECT_EQ(once.compare(0, 29, "\nDISPLAY QLOCAL(APP.A) DESCR\n"), 0) << once;
    EXPECT_NE(once.find("DESCR(first)\n"), std::string::npos) << once;
    Type("DISPLAY QLOCAL(APP.A) DESCR >> " + out);
    ASSERT_TRUE(Answered());
    EXPECT_EQ(ReadAll(out), once + once);
    /* search: found, wrapped, not found, removed */
    MQSCCONSOLE *c = MQSCConsoleFind(d->d);
    c->visibleLines = 4;
    c->topLine = 0;
    Type("/DISPLAY QLOCAL(APP.B)");
    EXPECT_EQ(Lines(d->d)[(size_t)c->foundLine], "DISPLAY QLOCAL(APP.B)");
    int32_t found = c->foundLine;
    EXPECT_EQ(MQSCConsoleFind(d->d)->input[0], '/');       /* a search keeps its input */
    Type("/DESCR(first)");
    int32_t second = c->foundLine;
    EXPECT_GT(second, found);
    Type("/DISPLAY QLOCAL(APP.B)");
    EXPECT_EQ(c->foundLine, found);
    EXPECT_EQ(hooks.LastText(d->d), "Wrapped");
    Type("/nowhere");
    EXPECT_EQ(hooks.LastText(d->d), "String not found");
    Type("/");
    EXPECT_EQ(hooks.LastText(d->d), "Search text removed");
    Type("cls");
    EXPECT_EQ(Lines(d->d).size(), 0u);
    Type("   ");
    EXPECT_EQ(hooks.LastText(d->d), "You must enter a command.");
}

TEST_F(Console, TheAutomaticExportFollowsACommandAndTheConsoleGoesWithItsDialog)
{
    Mqsc("QMEXP", "DEFINE QLOCAL(APP.X)\n");
    Open("QMEXP");
    std::string out = Path("auto.txt");
    CmdCopy(d->d->exportFile, out.c_str(), sizeof d->d->exportFile);
    /* without the dialog's option nothing is exported */
    Type("DISPLAY QLOCAL(APP.X)");
    ASSERT_TRUE(Answered());
    EXPECT_FALSE(std::ifstream(out).good());
    d->d->optionFlags |= DO_AUTO_EXPORT;
    Type("DISPLAY QLOCAL(APP.X)");
    ASSERT_TRUE(Answered());
    EXPECT_TRUE(WaitFor([&] { return std::ifstream(out).good(); }));
    EXPECT_FALSE(d->d->markFlags & DM_EXPORT_DUE);
    EXPECT_EQ(d->d->exportDue, 0);
    /* the dialog goes: its console record and reply lines go too.  The
     * reply handler may still hold the command's record (the export and
     * the dialog's update come after the lines), and then the dialog only
     * closes; dialog, command record and console go together when the
     * handler lets the record go. */
    ASSERT_FALSE(Lines(d->d).empty());
    DialogWords *gone = d->d;
    delete d;
    d = nullptr;
    EXPECT_TRUE(WaitFor([gone] { return IfcmdCount() == 0 && MQSCConsoleFind(gone) == nullptr; }));
}

/* A console closed while its command waits on a stopped command server
 * goes at once, record and reply lines with it; the late reply, when the
 * server answers, finds nothing to go to. */
TEST_F(Console, AConsoleClosedWhileItsCommandWaitsGoesWithItsDialog)
{
    Mqsc("QMLATE", "DEFINE QLOCAL(APP.L)\n");
    Open("QMLATE");
    TestDialog other(&PCFQueueManagerDef, r);
    auto repliesGot = [] {
        size_t n = 0;
        for (const MQCall &c : Rec.Of("MQGET"))
            n += c.cc == MQCC_OK && c.object != "SYSTEM.ADMIN.COMMAND.QUEUE";
        return n;
    };
    StandInFault("CMDSERVER", 1, MQSIM_CMDSERVER_STOPPED, 0);
    Type("DISPLAY QLOCAL(APP.L) DESCR");
    ASSERT_TRUE(WaitFor([this] { return Sent().size() == 1; }));
    size_t got = repliesGot();
    DialogWords *gone = d->d;
    delete d;
    d = nullptr;
    EXPECT_EQ(IfcmdCount(), 0);                       /* at once, the reply still to come */
    EXPECT_EQ(MQSCConsoleFind(gone), nullptr);
    /* the server answers in order and the get thread hands the replies
       on in order: the other console's answer comes after the late one */
    Type("DISPLAY QLOCAL(APP.L) CURDEPTH", &other);
    StandInFault("CMDSERVER", 0, 0, 0);
    ASSERT_TRUE(Answered(&other));
    EXPECT_GE(repliesGot(), got + 2) << "the late reply never came";
    EXPECT_EQ(MQSCConsoleFind(gone), nullptr);
    EXPECT_EQ(Lines(other.d, ML_TITLE), std::vector<std::string>{ "DISPLAY QLOCAL(APP.L) CURDEPTH" });
    EXPECT_EQ(IfcmdCount(), 1);                       /* the other console's record alone */
    MQSCConsoleFree(other.d);
}

TEST_F(Console, TheConfigurationExportRunsAsAFile)
{
    std::string in = "Dublin.mqsc";
    std::filesystem::copy_file(samples::File("ini-mqsc/SalaiMadhavan__MQ__Dublin_Dublin.mqsc"), in);
    std::string text = ReadAll(in);
    ASSERT_FALSE(text.empty());
    /* the commands the file holds: lines that end without "+", outside comments */
    size_t commands = 0;
    std::istringstream lines(text);
    for (std::string l; std::getline(lines, l);) {
        while (!l.empty() && (l.back() == '\r' || l.back() == ' '))
            l.pop_back();
        size_t s = l.find_first_not_of(' ');
        if (s != std::string::npos && l[s] != '*' && l.back() != '+')
            commands++;
    }
    Mqsc("QMFILE", "DEFINE QLOCAL(X)\n");
    Open("QMFILE");
    std::string out = Path("export.out");
    Type("file(" + in + "," + out + ")");
    ASSERT_TRUE(Answered());
    std::vector<MQCall> sent = Sent();
    ASSERT_EQ(sent.size(), commands);
    std::string first((const char *)sent[0].data.data() + 72);
    EXPECT_EQ(first.compare(0, 43, "ALTER QMGR ACCTCONO(DISABLED) ACCTINT(1800)"), 0) << first.substr(0, 80);
    EXPECT_EQ(first.find("ALTDATE"), std::string::npos);
    for (size_t i = 1; i < sent.size(); i++) {
        CMDKEY a, b;
        memcpy(&a, sent[i - 1].md.MsgId, sizeof a);
        memcpy(&b, sent[i].md.MsgId, sizeof b);
        EXPECT_EQ(b.sequence, a.sequence + 1);
    }
    std::string written = ReadAll(out);
    EXPECT_EQ(written.compare(0, 6 + in.size() + 1, "\nfile(" + in + ")"), 0);
    EXPECT_NE(written.find("\nALTER QMGR ACCTCONO(DISABLED) ACCTINT(1800)"), std::string::npos);
    size_t titles = 0;
    for (size_t at = written.find("\n\n"); at != std::string::npos; at = written.find("\n\n", at + 1))
        titles++;
    EXPECT_GE(titles, commands);
    EXPECT_EQ(hooks.Texts(d->d).front(), "Processing file '" + in + "'");
}

TEST_F(Console, FileErrorsAndTheNameDialog)
{
    Mqsc("QMERR", "DEFINE QLOCAL(X)\n");
    Open("QMERR");
    std::string script = Path("part.mqsc");
    Write(script, "* only a start\nDEFINE QLOCAL(PART) +\n  DESCR('never') +\n");
    Type("file(" + script + ")");
    EXPECT_EQ(hooks.LastText(d->d), "Command continuation not completed");
    EXPECT_EQ(Posted().size(), 0u);
    const struct { std::string input, text; } errors[] = {
        { "file(abc", "No closing ')' found after file command" },
        { "file(abc) junk", "File command should be 'file(infile)' or 'file(infile,outfile)'" },
        { "file(" + script + ") > " + Path("out(1).txt"), "Command continuation not completed" },
        { "file(" + std::string(127, 'n') + ")", "Can't open input file '" + std::string(127, 'n') + "'" },
        { "file(" + std::string(128, 'n') + ")", "Input file name too long" },
        { "file(a," + std::string(128, 'n') + ")", "Output file name too long" },
        { "file(" + Path("none.mqsc") + ")", "Can't open input file '" + Path("none.mqsc") + "'" },
        { "file(" + script + "," + Path("no/such/dir/x") + ")",
          "Can't open output file '" + Path("no/such/dir/x") + "'" },
    };
    for (const auto &e : errors) {
        Type(e.input);
        EXPECT_EQ(hooks.LastText(d->d), e.text) << e.input;
    }
    /* a long line is read whole; "-" continues from the first column */
    std::string big = Path("big.mqsc");
    Write(big, "DEFINE QLOCAL(LONG.ONE) DESCR('" + std::string(60, 'd') + "') -\n" +
                   "   REPLACE\nDEFINE QLOCAL(LONG.TWO) DESCR('" + std::string(20000, 'e') + "')\n" +
                   "DEFINE QLOCAL(LONG.THREE) DESCR('" + std::string(60000, 'f') + "')\nDEFINE QLOCAL(LONG.FOUR)\n");
    Type("file(" + big + ")");
    ASSERT_TRUE(Answered());
    std::vector<MQCall> sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_NE(sent[0].data.find("')    REPLACE"), std::string::npos);
    EXPECT_EQ(sent[1].length, (MQLONG)(72 + ((20000 + 36 + 3) & ~3u)));
    EXPECT_NE(std::string(sent[2].data.data() + 72).find("LONG.FOUR"), std::string::npos);
    std::vector<std::string> texts = hooks.Texts(d->d);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Command longer than 50000 bytes not issued"), texts.end());
    /* names asked for through the runner */
    struct Asked {
        std::string title, folder;
        uint32_t size;
        int mustExist;
        std::string answer;
    };
    static Asked asked;
    asked = {};
    asked.answer = big;
    MQSCSetFileRunner([](void *, MQSCFILEDIALOG *dlg, uint32_t *) {
        asked.title = dlg->title;
        asked.folder = dlg->folder ? dlg->folder : "";
        asked.size = dlg->size;
        asked.mustExist = dlg->mustExist;
        CmdCopy(dlg->name, asked.answer.c_str(), dlg->size);
        return 1;
    }, nullptr);
    Rec.Clear();
    Type("file(scripts\\?)");
    ASSERT_TRUE(Answered());
    EXPECT_EQ(asked.title, "Input MQSC file name");
    EXPECT_EQ(asked.folder, "scripts");
    EXPECT_EQ(asked.size, 128u);
    EXPECT_EQ(asked.mustExist, 1);
    EXPECT_EQ(Sent().size(), 3u);
    MQSCSetFileRunner([](void *, MQSCFILEDIALOG *, uint32_t *error) {
        *error = 0x3002;
        return 0;
    }, nullptr);
    Type("file(?)");
    EXPECT_EQ(hooks.LastText(d->d), "Dialog failed RC(3002)");
    /* with the confirming preference a file runs only after its question
       is agreed to; without it, at once */
    std::string one = Path("one.mqsc");
    Write(one, "DEFINE QLOCAL(ONE)\n");
    uint32_t po = Prf.po[2];
    const struct { uint32_t confirm; int answer; size_t questions, sent; } asks[] = {
        { PO3_CONFIRM_FILE, 0, 1, 0 }, { PO3_CONFIRM_FILE, 1, 1, 1 }, { 0, 0, 0, 1 },
    };
    for (const auto &a : asks) {
        SCOPED_TRACE(a.confirm ? (a.answer ? "asked, yes" : "asked, no") : "not asked");
        Prf.po[2] = (po & ~(uint32_t)PO3_CONFIRM_FILE) | a.confirm;
        hooks.questions.clear();
        hooks.answers = { a.answer };
        Rec.Clear();
        size_t posted = Posted().size();
        Type("file(" + one + ")");
        ASSERT_EQ(hooks.questions.size(), a.questions);
        if (a.questions) {
            EXPECT_EQ(hooks.questions[0].text, "Are you sure you want to run MQSC file '" + one + "'?");
        }
        EXPECT_EQ(Posted().size() - posted, a.sent);
        ASSERT_TRUE(Answered());
        EXPECT_EQ(Sent().size(), a.sent);
    }
    Prf.po[2] = po;
}

/* A reply of more lines than the console keeps: the newest
 * MQSC_MAX_LINES stay, in order, the dropped ones are counted (a reply
 * says its own in the status line), the view and the last find move with
 * the lines, and each kept line is read by its index at once (reading
 * them all takes no quadratic time). */
TEST_F(Console, AFloodOfReplyLinesKeepsTheNewest)
{
    Mqsc("QMFLOOD", "DEFINE QLOCAL(APP.F)\n");
    Open("QMFLOOD");
    MQSCCONSOLE *c = MQSCConsoleFind(d->d);
    c->topLine = 50;
    c->foundLine = 7;
    const int extra = 25;
    CSLockGlobal(CSLOCK_DIALOGS);
    for (int i = 0; i < MQSC_MAX_LINES + extra; i++) {
        std::string line = "LINE(" + std::to_string(i) + ")";
        MQSCAddLine(c, i % 1000 ? ML_RESP : ML_TITLE, line.data(), line.size());
    }
    CSUnlockGlobal(CSLOCK_DIALOGS);
    std::vector<std::string> all = Lines(d->d);
    ASSERT_EQ(all.size(), (size_t)MQSC_MAX_LINES);
    EXPECT_EQ(all.front(), "LINE(" + std::to_string(extra) + ")");
    EXPECT_EQ(all.back(), "LINE(" + std::to_string(MQSC_MAX_LINES + extra - 1) + ")");
    EXPECT_EQ(c->linesDropped, (uint32_t)extra);
    EXPECT_EQ(c->topLine, 25);
    EXPECT_EQ(c->foundLine, -1);
    EXPECT_EQ(Lines(d->d, ML_TITLE).size(), (size_t)(MQSC_MAX_LINES / 1000));
    Type("/LINE(" + std::to_string(MQSC_MAX_LINES + extra - 2) + ")");
    EXPECT_EQ(c->foundLine, MQSC_MAX_LINES - 2);
    /* a reply that pushes out more: the status line says how many of its
       own lines went, not the running total */
    Type("DISPLAY QLOCAL(APP.F) MAXDEPTH");
    ASSERT_TRUE(Answered());
    all = Lines(d->d);
    size_t replyLines = std::find(all.rbegin(), all.rend(), "DISPLAY QLOCAL(APP.F) MAXDEPTH") - all.rbegin();
    ASSERT_GT(replyLines, 0u);
    ASSERT_LT(replyLines, all.size());
    auto said = [this] {
        size_t n = 0;
        for (const std::string &t : hooks.Texts(d->d))
            if (t.ends_with(" lines dropped: the console keeps the last 100000"))
                n += std::stoul(t);
        return n;
    };
    EXPECT_TRUE(WaitFor([&] { return said() >= replyLines; }));
    EXPECT_EQ(said(), replyLines);
    EXPECT_EQ(c->linesDropped, extra + 1 + replyLines);            /* and the command's own line */
    Type("cls");
    EXPECT_EQ(Lines(d->d).size(), 0u);
    EXPECT_EQ(c->linesDropped, 0u);
}

TEST_F(Console, AZosQueueManagerTakesPlainText)
{
    Mqsc("ZQMCON", "ALTER QMGR PLATFORM(MVS) CMDLEVEL(910)\nDEFINE QLOCAL(APP.Z)\n");
    Open("ZQMCON", LF_MVS);
    Type("DISPLAY QLOCAL(APP.Z) MAXDEPTH;DELETE QLOCAL(APP.NONE)");
    ASSERT_TRUE(Answered());
    std::vector<MQCall> sent = Sent();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[0].data, "DISPLAY QLOCAL(APP.Z) MAXDEPTH");
    EXPECT_EQ(std::string(sent[0].md.Format, 8), "MQSTR   ");
    std::vector<std::string> all = Lines(d->d);
    auto has = [&all](const char *prefix) {
        return std::find_if(all.begin(), all.end(), [prefix](const std::string &l) {
                   return l.compare(0, strlen(prefix), prefix) == 0;
               }) != all.end();
    };
    EXPECT_TRUE(has("CSQN205I"));
    EXPECT_TRUE(has("CSQ9022I"));
    EXPECT_TRUE(has("CSQM125I"));
    EXPECT_TRUE(has("CSQ9023E"));
    EXPECT_EQ(Lines(d->d, ML_TITLE).size(), 2u);
}

}  // namespace

#ifdef _WIN32
#include "cshost.h"
#include "filedlg.h"

namespace {

/* Without a runner the common dialog is asked (its test hook here). */
OPENFILENAMEA Seen;
std::string SeenFilter, SeenTitle, SeenFolder;

TEST(ConsoleWindows, TheCommonDialogAsksForTheName)
{
    UISetFileDialogRunner([](OPENFILENAMEA *ofn) -> BOOL {
        Seen = *ofn;
        SeenFilter.assign(ofn->lpstrFilter, 31);
        SeenTitle = ofn->lpstrTitle;
        SeenFolder = ofn->lpstrInitialDir ? ofn->lpstrInitialDir : "";
        strcpy(ofn->lpstrFile, "Z:\\work\\chosen.mqs");
        return TRUE;
    });
    char name[128] = "C:\\work\\out?";
    char error[64];
    EXPECT_EQ(MQSCFileNameDialog(0, nullptr, error, name), 0);
    EXPECT_STREQ(name, CSRunningOnWine ? "/work/chosen.mqs" : "Z:\\work\\chosen.mqs");
    EXPECT_EQ(SeenTitle, "Output MQSC file name");
    EXPECT_EQ(SeenFolder, "C:\\work\\out");
    EXPECT_EQ(Seen.nMaxFile, 128u);
    EXPECT_TRUE(Seen.Flags & OFN_NOREADONLYRETURN);
    EXPECT_EQ(SeenFilter, std::string("All\0*.*\0Text\0*.TXT\0MQSC\0*.MQS\0\0", 31));
    UISetFileDialogRunner(nullptr);
}

}  // namespace
#endif
