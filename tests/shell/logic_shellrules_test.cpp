/* The application shell's window-free rules: the command line, where the
 * configuration lives, the queue prefix, searches and histories, tiling,
 * the Windows menu's entries, the tree's texts and queue places, the
 * search delay, and the file viewer's text check, find and MQ files. */
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "cs.h"
#include "shellrules.h"

/* ---- the command line ---- */

struct Args {
    std::vector<std::string> words;
    std::vector<char *> argv;
    explicit Args(std::initializer_list<const char *> list)
    {
        words.push_back("ravolt.exe");
        for (const char *w : list)
            words.push_back(w);
        for (std::string &w : words)
            argv.push_back(w.data());
        argv.push_back(nullptr);
    }
    int argc() const { return (int)words.size(); }
};

static std::string Scan(Args &a, const char *options)
{
    GetOptReset();
    std::string out;
    int c;
    while ((c = GetOpt(a.argc(), a.argv.data(), options)) != -1) {
        out += (char)c;
        if (GetOptState.arg)
            out += std::string("=") + GetOptState.arg + ";";
    }
    return out;
}

TEST(ShellOptions, ScannerGroupsLettersTakesArgumentsAndStopsAtAWord)
{
    Args grouped{"-rT", "/mQM1", "-q", ":APP.Q", "rest", "-D"};
    EXPECT_EQ(Scan(grouped, SHELL_OPTIONS), "rTm=QM1;q=APP.Q;");
    Args unknown{"-x", "-r"};
    EXPECT_EQ(Scan(unknown, SHELL_OPTIONS), "?r");
    Args missing{"-m"};
    EXPECT_EQ(Scan(missing, SHELL_OPTIONS), "?");
    Args dashOnly{"-", "-r"};
    EXPECT_EQ(Scan(dashOnly, SHELL_OPTIONS), "");
}

static std::vector<std::string> notices;
static void Notice(void *, const char *text, const char *caption)
{
    notices.push_back(std::string(caption) + ": " + text);
}

TEST(ShellOptions, ParsedOptionsCutNamesCheckTheTokenAndTheDumpKind)
{
    SHELLOPTIONS o = {};
    std::string longName(60, 'Q');
    Args a{"-m", "QM1 trailing", "-q", longName.c_str(), "-F", "full", "-r", "-D"};
    EXPECT_EQ(ShellParseOptions(0, a.argc(), a.argv.data(), &o, Notice, nullptr), 1);
    EXPECT_STREQ(o.qmName, "QM1");
    EXPECT_EQ(std::string(o.queue), std::string(48, 'Q'));
    EXPECT_EQ(o.dumpFull, 1);
    EXPECT_EQ(o.readOnly, 1);
    EXPECT_EQ(o.debugWindow, 1);
    EXPECT_EQ(o.diagnostics, 0);

    SHELLOPTIONS f = {};
    Args capital{"-F", "Full"};
    EXPECT_EQ(ShellParseOptions(0, capital.argc(), capital.argv.data(), &f, Notice, nullptr), 0);
    Args stray{"-r", "extra"};
    EXPECT_EQ(ShellParseOptions(0, stray.argc(), stray.argv.data(), &f, Notice, nullptr), 0);

    notices.clear();
    SHELLOPTIONS t = {};
    std::string shortToken(31, 'A'), goodToken = "0123456789abcdef0123456789ABCDEF";
    Args badToken{"-t", shortToken.c_str()};
    EXPECT_EQ(ShellParseOptions(1, badToken.argc(), badToken.argv.data(), &t, Notice, nullptr), 1);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("32 characters of HEX"), std::string::npos);
    EXPECT_STREQ(t.token, "");
    Args good{"-t", goodToken.c_str()};
    EXPECT_EQ(ShellParseOptions(1, good.argc(), good.argv.data(), &t, Notice, nullptr), 1);
    EXPECT_EQ(std::string(t.token), goodToken);

    SHELLOPTIONS p = {};
    std::string tooLong(SHELL_PATH + 5, 'x');
    Args path{"-f", tooLong.c_str()};
    EXPECT_EQ(ShellParseOptions(0, path.argc(), path.argv.data(), &p, Notice, nullptr), 0);
}

/* ---- the configuration path ---- */

static std::set<std::string> dirs;
static int IsDir(const char *path)
{
    return dirs.count(path) != 0;
}

static std::pair<std::string, std::string> CfgPath(const char *given, const char *cwd = "C:\\work")
{
    char file[SHELL_PATH], dir[SHELL_PATH];
    if (ShellConfigPath(given, cwd, IsDir, '\\', file, dir) != 0)
        return {"(error)", ""};
    return {file, dir};
}

TEST(ShellConfigPath, DirectoriesFilesAndDottedFolders)
{
    dirs = {"C:\\users\\me\\.wine", "C:\\cfg.d", "C:\\cfg.d\\"};
    EXPECT_EQ(CfgPath(".").first, "C:\\work\\RAVOLT.CFG");
    EXPECT_EQ(CfgPath(".").second, "C:\\work");
    /* an existing directory whose name has a dot stays a directory */
    EXPECT_EQ(CfgPath("C:\\users\\me\\.wine").first, "C:\\users\\me\\.wine\\RAVOLT.CFG");
    EXPECT_EQ(CfgPath("C:\\cfg.d\\").first, "C:\\cfg.d\\RAVOLT.CFG");
    EXPECT_EQ(CfgPath("C:\\cfg.d\\").second, "C:\\cfg.d");
    /* a path that does not exist: its name when it holds ".CFG" */
    EXPECT_EQ(CfgPath("C:\\other\\mine.cfg").first, "C:\\other\\mine.cfg");
    EXPECT_EQ(CfgPath("C:\\other\\ravolt.exe").first, "C:\\other\\RAVOLT.CFG");
    std::string tooLong = "C:\\" + std::string(SHELL_PATH, 'a');
    EXPECT_EQ(CfgPath(tooLong.c_str()).first, "(error)");
}

/* ---- queue prefix, histories and searches ---- */

TEST(ShellPanel, PrefixCheckAddsTheAsteriskAndNamesEachError)
{
    char out[50], error[100];
    EXPECT_EQ(ShellCheckPrefix("APP.", 0, out, error), 1);
    EXPECT_STREQ(out, "APP.*");
    EXPECT_EQ(ShellCheckPrefix("", 0, out, error), 1);
    EXPECT_STREQ(out, "*");
    EXPECT_EQ(ShellCheckPrefix("A*B", 0, out, error), 0);
    EXPECT_STREQ(error, "Asterisk can only be at the end of the Queue prefix");
    EXPECT_EQ(ShellCheckPrefix("A B", 0, out, error), 0);
    EXPECT_STREQ(error, "Queue Prefix contains invalid characters");
    EXPECT_EQ(ShellCheckPrefix("AB*", 3, out, error), 0);
    EXPECT_STREQ(error, "The Queue Prefix must be at least 3 characters");
    std::string full(48, 'Q');
    EXPECT_EQ(ShellCheckPrefix(full.c_str(), 0, out, error), 1);
    EXPECT_EQ(std::string(out), full + "*");
}

TEST(ShellPanel, HistoriesKeepTwentyNewestFirstWithoutRepeats)
{
    CSLIST h = {};
    for (int i = 0; i < 25; i++)
        ShellHistoryAdd(&h, ("text" + std::to_string(i)).c_str());
    ShellHistoryAdd(&h, "");
    ShellHistoryAdd(&h, "text10");
    const char *texts[30];
    int n = ShellHistoryTexts(&h, texts, 30);
    ASSERT_EQ(n, SHELL_HISTORY_MAX);
    EXPECT_STREQ(texts[0], "text10");
    EXPECT_STREQ(texts[1], "text24");
    int tens = 0;
    for (int i = 0; i < n; i++)
        tens += !strcmp(texts[i], "text10");
    EXPECT_EQ(tens, 1);
    while (h.first)
        CSListRemove(h.first);
}

TEST(ShellPanel, SearchesMatchAnyTermInTheFieldsAsked)
{
    SHELLSEARCH s = {nullptr, -1};
    ShellSearchBuild(&s, " demo , prod,", 1);   /* comma-separated terms */
    EXPECT_EQ(s.fields, -1);
    EXPECT_TRUE(ShellSearchText(&s, "RAVOLT.DEMO"));
    EXPECT_TRUE(ShellSearchText(&s, "QM.PROD.1"));
    EXPECT_FALSE(ShellSearchText(&s, "QM.TEST"));
    EXPECT_TRUE(QMatchesSearch(&s, "APP.DEMO.IN"));
    ShellSearchBuild(&s, "demo <qm, loc>", 1);
    EXPECT_EQ(s.fields, SF_QMNAME | SF_LOCATION);
    ShellSearchBuild(&s, "demo <qm>", 0);
    EXPECT_EQ(s.fields, -1);
    EXPECT_FALSE(ShellSearchText(&s, "RAVOLT.DEMO"));   /* "<qm>" is searched for */
    ShellSearchFree(&s);
}

TEST(ShellTimer, SearchIsDueOnlyAfterTheDelayOfQuiet)
{
    EXPECT_FALSE(ShellSearchDue(1000, 0, 250));          /* nothing typed */
    EXPECT_FALSE(ShellSearchDue(1250, 1000, 250));
    EXPECT_TRUE(ShellSearchDue(1251, 1000, 250));
    EXPECT_TRUE(ShellSearchDue(5, 0xFFFFFF00u, 250));  /* across the tick counter's wrap */
}

/* ---- tiling and the Windows menu ---- */

static std::vector<int> Bands(int n)
{
    int counts[64];
    int k = ShellTileBands(n, counts, 64);
    return std::vector<int>(counts, counts + k);
}

TEST(ShellTiling, BandsHoldEveryWindowOnce)
{
    EXPECT_EQ(Bands(5), (std::vector<int>{1, 2, 2}));
    EXPECT_EQ(Bands(10), (std::vector<int>{2, 2, 3, 3}));
    EXPECT_TRUE(Bands(0).empty());
    for (int n = 1; n <= 100; n++) {
        int sum = 0;
        for (int c : Bands(n))
            sum += c;
        EXPECT_EQ(sum, n) << n;
    }
    AreaRect area = {0, 0, 1200, 900};
    PlaceRect one[1];
    ShellTile(&area, 1, 1, one);
    EXPECT_EQ(one[0].x, 0);
    EXPECT_EQ(one[0].cx, 1200);
    EXPECT_EQ(one[0].cy, 900);
    PlaceRect five[5];
    ShellTile(&area, 5, 0, five);                       /* columns of 1, 2, 2 */
    EXPECT_EQ(five[0].cy, 900);
    EXPECT_EQ(five[1].x, 400);
    EXPECT_EQ(five[2].y, 450);
}

TEST(ShellWindowsMenu, EntryTexts)
{
    char out[300];
    WINENTRY e = {0, 0, "QM1", "", "Queue", "APP.Q", 1};
    ShellWindowEntryText(&e, out, sizeof out);
    EXPECT_STREQ(out, "QM1/Queue(APP.Q)");
    WINENTRY via = {1, 1, "QM1", "GATE", "Queue List", nullptr, 3};
    ShellWindowEntryText(&via, out, sizeof out);
    EXPECT_STREQ(out, "HTTP:QM1[Multi QMgr]-GATE/Queue List:3");
    std::string shortName(48, 'S'), longName(49, 'N');
    WINENTRY fits = {0, 0, "QM1", nullptr, "Queue", shortName.c_str(), 1};
    ShellWindowEntryText(&fits, out, sizeof out);
    EXPECT_EQ(std::string(out), "QM1/Queue(" + shortName + ")");
    WINENTRY named = {0, 0, "QM1", nullptr, "Queue", longName.c_str(), 1};
    ShellWindowEntryText(&named, out, sizeof out);
    EXPECT_EQ(std::string(out), "QM1/Queue(" + std::string(20, 'N') + "...)");
}

/* ---- the tree's lines ---- */

TEST(ShellTree, VersionTexts)
{
    char v[32];
    MQVersionText(0, 0, v, sizeof v);
    EXPECT_STREQ(v, "(MQ?)");
    MQVersionText(915, 0, v, sizeof v);
    EXPECT_STREQ(v, "(MQ9.1.5)");
    MQVersionText(900, 1, v, sizeof v);
    EXPECT_STREQ(v, " - MQ9.0");
}

TEST(ShellTree, QueuePlacesHiddenDynamicQueuesAndIcons)
{
    EXPECT_EQ(ShellQueuePlace(QT_LOCAL, 0, "APP.Q"), QP_DIRECT);
    EXPECT_EQ(ShellQueuePlace(QT_ALIAS, 0, "APP.A"), QP_OTHER);
    EXPECT_EQ(ShellQueuePlace(QT_REMOTE, 0, "APP.R"), QP_OTHER);
    EXPECT_EQ(ShellQueuePlace(QT_LOCAL, 1, "APP.CL"), QP_OTHER);
    EXPECT_EQ(ShellQueuePlace(QT_LOCAL, 0, "SYSTEM.DEFAULT.LOCAL.QUEUE"), QP_SYSTEM);
    EXPECT_EQ(ShellQueuePlace(QT_MODEL, 0, "APP.MODEL"), QP_NONE);
    EXPECT_EQ(ShellQueuePlace(QT_MODEL, 0, "SYSTEM.DEFAULT.MODEL.QUEUE"), QP_NONE);

    EXPECT_TRUE(ShellQueueHidden(QT_LOCAL, 3, 0x2000000));     /* temporary dynamic */
    EXPECT_TRUE(ShellQueueHidden(QT_LOCAL, 2, 0));             /* permanent dynamic */
    EXPECT_FALSE(ShellQueueHidden(QT_LOCAL, 2, 0x2000000));
    EXPECT_FALSE(ShellQueueHidden(QT_LOCAL, 1, 0));

    const int byClass[] = {36, 16, 17, 18, 19, 20};
    for (uint32_t c = 0; c < 6; c++)
        EXPECT_EQ(ShellQueueIcon(QT_LOCAL, 0, 1, c), byClass[c]) << c;
    EXPECT_EQ(ShellQueueIcon(QT_LOCAL, 0, 0, 3), 15);
    EXPECT_EQ(ShellQueueIcon(QT_MODEL, 0, 0, 0), 12);
    EXPECT_EQ(ShellQueueIcon(QT_ALIAS, 0, 0, 0), 13);
    EXPECT_EQ(ShellQueueIcon(QT_REMOTE, 0, 0, 0), 14);
    EXPECT_EQ(ShellQueueIcon(QT_LOCAL, 1, 1, 2), 27);
    EXPECT_EQ(ShellQueueIcon(QT_ALIAS, 1, 0, 0), 25);
    EXPECT_EQ(ShellQueueIcon(QT_REMOTE, 1, 0, 0), 26);
    EXPECT_EQ(ShellQueueIcon(QT_CLUSTER, 1, 0, 0), 15);

    char name[49];
    ShellQueueLineName("QM1/APP.Q", name);
    EXPECT_STREQ(name, "APP.Q");
    ShellQueueLineName("APP.Q", name);
    EXPECT_STREQ(name, "APP.Q");
}

/* ---- the file viewer ---- */

TEST(ShellFileViewer, TextCheckTakesTabsAndHighBytesButNoControls)
{
    const unsigned char ini[] = "[Channels]\r\n\tMaxChannels=100\r\n# caf\xe9 \x80\xff\n";
    EXPECT_EQ(ShellIsText(ini, sizeof ini - 1), 1);
    const unsigned char nul[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(ShellIsText(nul, sizeof nul), 0);
    const unsigned char bell[] = {'a', 7, 'b'};
    EXPECT_EQ(ShellIsText(bell, sizeof bell), 0);
    /* only the first 100 bytes are looked at */
    std::string late(100, 'x');
    late += '\x01';
    EXPECT_EQ(ShellIsText((const unsigned char *)late.data(), late.size()), 1);
    EXPECT_EQ(FILEVIEW_LIMIT, 50u * 1024 * 1024);
}

TEST(ShellFileViewer, FindGoesOnAfterTheSelectionAndWraps)
{
    std::string t = "alpha beta alpha gamma";
    size_t at = 0;
    EXPECT_EQ(ShellFindText(t.data(), t.size(), 0, "alpha", &at), 1);
    EXPECT_EQ(at, 11u);
    EXPECT_EQ(ShellFindText(t.data(), t.size(), 11, "alpha", &at), 2);
    EXPECT_EQ(at, 0u);
    EXPECT_EQ(ShellFindText(t.data(), t.size(), 0, "delta", &at), 0);
    EXPECT_EQ(ShellFindText(t.data(), t.size(), 0, "", &at), 0);
    EXPECT_EQ(ShellFindText(t.data(), 3, 0, "alpha", &at), 0);
}

TEST(ShellFileViewer, ErrorLogAndIniPaths)
{
    char path[SHELL_PATH], title[100];
    SHELLMQFILES local = {0, nullptr, nullptr, "C:\\mqm\\qmgrs\\QM1\\", "QM1", '\\'};
    ASSERT_EQ(ShellErrorLogPath(&local, path, title), 1);
    EXPECT_STREQ(path, "C:\\mqm\\qmgrs\\QM1\\errors\\amqerr01.log");
    EXPECT_STREQ(title, "QM1 Error Log");
    ASSERT_EQ(ShellIniPath(&local, path, title), 1);
    EXPECT_STREQ(path, "C:\\mqm\\qmgrs\\QM1\\qm.ini");
    EXPECT_STREQ(title, "QM1 Local INI file");

    SHELLMQFILES client = {1, "D:\\logs", "D:\\cfg\\my.ini", "C:\\mqm", "QM1", '\\'};
    ASSERT_EQ(ShellErrorLogPath(&client, path, title), 1);
    EXPECT_STREQ(path, "D:\\logs\\amqerr01.log");
    EXPECT_STREQ(title, "Client Error Log");
    ASSERT_EQ(ShellIniPath(&client, path, title), 1);
    EXPECT_STREQ(path, "D:\\cfg\\my.ini");

    SHELLMQFILES none = {0, nullptr, nullptr, nullptr, "QM1", '\\'};
    EXPECT_EQ(ShellErrorLogPath(&none, path, title), 0);
    EXPECT_EQ(ShellIniPath(&none, path, title), 0);
}
