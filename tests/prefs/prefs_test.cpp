/* The Preferences dialog without windows: the checks and stores of the
 * apply with their texts and bounds, sound times, option rows with
 * inverted rows and exclusive groups, the repaint mask and the other
 * announcements, and the time-format samples at the sample moment. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "cmddlg.h"
#include "cs.h"
#include "pcflists.h"
#include "prfdata.h"
#include "prffile.h"
#include "prefs.h"
#include "pwcache.h"
#ifdef _WIN32
#include "modeless.h"
#endif

namespace {

struct Calls {
    std::vector<std::string> names;
    std::vector<uint32_t> masks;
    int loadResult = 1;
};
Calls *calls;

void Record(const char *name) { calls->names.push_back(name); }

static int OneHourEast(int64_t, CSZoneInfo *zone)
{
    zone->offset = zone->standardOffset = 3600;
    zone->isDst = 0;
    return 1;
}

/* The row of an option list with the text shown, or null. */
const PrefOptionRow *RowNamed(const PrefOptionList *list, const char *text)
{
    for (int i = 0; list && i < list->count; i++)
        if (!strcmp(list->rows[i].text, text))
            return &list->rows[i];
    return nullptr;
}

struct Prefs : ::testing::Test {
    Calls c;
    PREFINPUT in;
    PREFCOPY copy;
    PREFERROR e;
    void SetUp() override
    {
        calls = &c;
        CSSetTimeZoneProc(OneHourEast);
        PrfLoadText("AP:\n", 4);
        PREFHOOKS h = {};
        h.repaint = [](void *, uint32_t mask) { calls->masks.push_back(mask); };
        h.locNotifyWindows = [](void *) { Record("locNotify"); };
        h.ufLoadFormats = [](void *, void *, uint32_t) { Record("ufLoad"); return calls->loadResult; };
        h.ufReapplyFormats = [](void *) { Record("ufReapply"); };
        h.tabsChanged = [](void *) { Record("tabs"); };
        h.filterManagerRefresh = [](void *) { Record("filters"); };
        h.locListCommand = [](void *) { Record("locList"); };
        h.programIcon = [](void *) { Record("icon"); };
        h.dropQueueUserName = [](void *) { Record("userName"); };
        h.configChanged = [](void *) { Record("config"); };
        h.pwcRefresh = [](void *) { Record("pwcRefresh"); };
        PrefSetHooks(&h);
        PrefLoad(&in);
        PrefTakeCopy(&copy);
    }
    void TearDown() override
    {
        PrefSetHooks(nullptr);
        CSSetTimeZoneProc(nullptr);
    }
    /* One field changed and applied: the error text, "" when it passed. */
    std::string Apply()
    {
        c.names.clear();
        c.masks.clear();
        return PrefApply(&in, &copy, nullptr, &e) ? std::string(e.text) : std::string();
    }
};

TEST_F(Prefs, ChecksAndTheirBounds)
{
    EXPECT_EQ(Apply(), "");
    EXPECT_STREQ(in.maxhdb, "No limit");
    snprintf(in.maxhdb, sizeof in.maxhdb, "30");
    EXPECT_EQ(Apply(), "Maximum number of bytes per hex dump line should be a multiple of four.");
    EXPECT_EQ(e.field, PF_MAXHDB);
    snprintf(in.maxhdb, sizeof in.maxhdb, "32");
    EXPECT_EQ(Apply(), "");
    EXPECT_EQ(Prf.maxhdb, 32);

    const struct { char *field; const char *text; const char *error; } cases[] = {
        { in.maxb, "9", "Maximum number of browse messages must be at least 10" },
        { in.maxb, "30001", "Maximum number of browse messages can be no greater than 30000" },
        { in.msgsms, "107", "Message summary size must be at least 108" },
        { in.msgsms, "501", "Message summary size can be no greater than 500" },
        { in.msgdsp, "9", "Message summary size must be at least 10" },
        { in.msgdsp, "201", "Message summary size can be no greater than 200" },
        { in.disr, "0,5", "The browse message display range is invalid" },
        { in.disr, "x", "The browse message display range is invalid" },
        { in.locale, "no such locale at all", "Invalid locale" },
    };
    for (const auto &k : cases) {
        char saved[60];
        snprintf(saved, sizeof saved, "%s", k.field);
        strcpy(k.field, k.text);
        EXPECT_EQ(Apply(), k.error) << k.text;
        strcpy(k.field, saved);
    }
    snprintf(in.maxb, sizeof in.maxb, "10");
    snprintf(in.msgdsp, sizeof in.msgdsp, "200");
    snprintf(in.disr, sizeof in.disr, "5");
    EXPECT_EQ(Apply(), "");
    EXPECT_EQ(Prf.maxb, 10);
    EXPECT_EQ(Prf.msgdsp, 200);
    EXPECT_EQ(Prf.disrFirst, 1);
    EXPECT_EQ(Prf.disrLast, 5);
    snprintf(in.maxb, sizeof in.maxb, "30000");
    EXPECT_EQ(Apply(), "");

    /* what came before a failed check stays applied */
    snprintf(in.csvsep, sizeof in.csvsep, ";");
    snprintf(in.msgsms, sizeof in.msgsms, "99");
    snprintf(in.wsnd, sizeof in.wsnd, "%s", "");
    EXPECT_NE(Apply(), "");
    EXPECT_EQ(Prf.csvsep, ';');
    EXPECT_STREQ(Prf.wsnd, "beep");                    /* a cleared sound beeps */
    EXPECT_TRUE(c.names.empty() || c.names == std::vector<std::string>({ "pwcRefresh" }));
}

TEST_F(Prefs, StoresAndNormalisedTexts)
{
    const struct { const char *in, *out; } times[] = {
        { "5:0:0", "5" }, { "0:5:5", "0:5:5" }, { "5:3", "5:3" }, { "5:0:2", "5:0:2" }, { "", "" },
        { "12", "12" }, { "7:0", "7" }, { "0:0:60", "0:0:60" }, { "0", "" }, { "0:0:0", "" }, { "0:4", "0:4" } };
    char out[40];
    for (const auto &t : times) {
        PrefNormaliseSoundTimes(t.in, out, sizeof out);
        EXPECT_STREQ(out, t.out) << t.in;
    }
    snprintf(in.st, sizeof in.st, "5:0:0");
    snprintf(in.cmdexp, sizeof in.cmdexp, "2 minutes");
    snprintf(in.autod, sizeof in.autod, "0");
    snprintf(in.prgdelay, sizeof in.prgdelay, "Never");
    snprintf(in.fint, sizeof in.fint, "0");
    snprintf(in.hso, sizeof in.hso, "-4");
    snprintf(in.timeZone, sizeof in.timeZone, "1.5");
    in.systemZone = 0;                                  /* the configured zone counts */
    snprintf(in.csvsep, sizeof in.csvsep, "%s", "");
    snprintf(in.sffile, sizeof in.sffile, "  shared.flt  ");
    snprintf(in.timeFormat, sizeof in.timeFormat, "%s", "");
    snprintf(in.locale, sizeof in.locale, "Default");
    snprintf(in.eosdl, sizeof in.eosdl, "Medium");
    snprintf(in.iuctx, sizeof in.iuctx, "Pass All");
    snprintf(in.iactx, sizeof in.iactx, "Nonsense");
    snprintf(in.notify, sizeof in.notify, "Never");
    snprintf(in.sep1000, sizeof in.sep1000, ".");
    in.useCacheFile = 1;
    in.accessOnStart = 1;
    uint32_t iactx = Prf.iactx;
    ASSERT_EQ(Apply(), "");
    EXPECT_STREQ(Prf.st, "5");
    EXPECT_EQ(Prf.cmdexp, 120);
    EXPECT_EQ(Prf.autod, 60);
    EXPECT_EQ(Prf.prgdelay, -1);
    EXPECT_EQ(Prf.fint, 1);
    EXPECT_EQ(Prf.hso, 0);
    EXPECT_EQ(Prf.tz, 90);
    EXPECT_EQ(Prf.csvsep, ',');
    EXPECT_STREQ(Prf.sffile, "shared.flt");
    EXPECT_STREQ(Prf.fmtdate, "%DD %MM %YY %TT");
    EXPECT_STREQ(Prf.loc, "C");
    EXPECT_EQ(Prf.eosdl, 2);
    EXPECT_EQ(Prf.iuctx, 0x200u);
    EXPECT_EQ(Prf.iactx, iactx);                        /* no row of that text */
    EXPECT_EQ(Prf.vct, 'N');
    EXPECT_STREQ(Prf.sep1000, ".");
    EXPECT_EQ(Prf.sepLength[0], 1);
    EXPECT_TRUE(Prf.po[3] & 0x200);
    EXPECT_TRUE(Prf.po[3] & 0x400);                     /* kept, no other effect */
    snprintf(in.timeZone, sizeof in.timeZone, "-5000");
    ASSERT_EQ(Apply(), "");
    EXPECT_EQ(Prf.tz, -999 * 60);
    /* the system's own zone, when asked and known, replaces the zone entered */
    int32_t bias = 0, daylight = 0;
    Prf.po[1] |= PO2_SYSTEM_ZONE;
    PrfGetTimeZone();
    EXPECT_EQ(Prf.tz, PrfHostTimeZone(&bias, &daylight) > 0 ? -bias : -999 * 60);
    Prf.po[1] &= ~(uint32_t)PO2_SYSTEM_ZONE;
    PREFINPUT back;
    PrefLoad(&back);
    EXPECT_STREQ(back.locale, "Default");
    EXPECT_STREQ(back.prgdelay, "Never");
    EXPECT_STREQ(back.notify, "Never");
}

TEST_F(Prefs, OptionRowsInvertedAndExclusive)
{
    const PrefOptionList *dialogs = PrefFindOptionList(344), *display = PrefFindOptionList(346);
    ASSERT_TRUE(dialogs && display);
    const PrefOptionRow *integral = RowNamed(dialogs, "Integral monitor positioning");
    ASSERT_NE(integral, nullptr);
    PREFWORDS w;
    PrefTakeWords(&w);
    w.word[PW_PO2] &= ~0x80000u;
    EXPECT_TRUE(PrefRowOn(integral, &w));               /* shown selected while clear */
    PrefRowSet(integral, &w, 0);
    EXPECT_TRUE(w.word[PW_PO2] & 0x80000);

    /* the toolbar's "Below Edge" rows exclude each other */
    std::vector<const PrefOptionRow *> below;
    for (int i = 0; i < display->count; i++)
        if (display->rows[i].group == 0xF8)
            below.push_back(&display->rows[i]);
    ASSERT_EQ(below.size(), 5u);
    w.word[PW_TB] = 0x420;
    PrefRowSet(below[3], &w, 1);                        /* Bump */
    EXPECT_EQ(w.word[PW_TB], 0x440u);
    PrefRowSet(below[3], &w, 0);                        /* the one on stays on */
    EXPECT_EQ(w.word[PW_TB], 0x440u);
    int on = 0;
    for (const PrefOptionRow *r : below)
        on += PrefRowOn(r, &w);
    EXPECT_EQ(on, 1);
    EXPECT_EQ(PrefRowOn(&display->rows[0], &w), 0);     /* a heading */
    int shown = 0;
    for (int l = 0; l < PrefOptionListCount; l++)
        shown += PrefOptionLists[l].count;
    EXPECT_EQ(shown, 10 + 19 + 22 + 3 + 2 + 25 + 28 + 3 + 4);
}

/* What the user ticks on the Lists and Dialogs pages reaches the lists,
 * and on the Confirmations page the questions: each row alone turns its
 * own setting on, and no other row does. */
TEST_F(Prefs, ListRowsReachTheListSettings)
{
    struct Want {
        int list;
        const char *row;
        const int *flag;               /* or null: the grid bits */
        uint32_t grid;
    };
    const Want wants[] = {
        { 347, "Lists should be striped", &PcfListPrefs.stripes, 0 },
        { 347, "Show rule lines on lists", &PcfListPrefs.focusLine, 0 },
        { 347, "Right justify numeric columns", &PcfListPrefs.digitAlign, 0 },
        { 347, "Select first entry on refresh", &PcfListPrefs.selectFirst, 0 },
        { 347, "Size columns by data portion only", &PcfListPrefs.valuesOnly, 0 },
        { 347, "Use global filter history", &PcfWinPrefs.filterListGlobal, 0 },
        { 344, "Show tooltips as balloons", &PcfListPrefs.balloonTips, 0 },
        { 344, "Ticks should be green", &PcfListPrefs.checkStyle, 0 },
        { 347, "Raised", nullptr, PCFG_RAISED },
        { 347, "Softer", nullptr, PCFG_SOFT },
        { 347, "3D Selection", nullptr, PCFG_FRAMEBLOCK },
    };
    uint32_t saved[5];
    memcpy(saved, Prf.po, sizeof saved);
    const PCFWINPREFS savedWin = PcfWinPrefs;
    PREFWORDS none;
    PrefTakeWords(&none);
    for (int i = PW_PO; i <= PW_PO5; i++)
        none.word[i] = 0;
    for (const Want &w : wants) {
        const PrefOptionRow *row = RowNamed(PrefFindOptionList(w.list), w.row);
        ASSERT_NE(row, nullptr) << w.row;
        PREFWORDS words = none;
        PrefRowSet(row, &words, 1);
        PrefStoreWords(&words);
        PCFListPrefsFromProfile();
        PCFWinPrefsFromProfile();
        for (const Want &o : wants) {
            int on = o.flag ? *o.flag != 0 : (PcfListPrefs.grid & o.grid) != 0;
            EXPECT_EQ(on, &o == &w) << "ticked " << w.row << ", setting of " << o.row;
        }
    }
    /* each row of the Confirmations page switches its own question alone */
    const struct {
        const char *row;
        uint32_t co;
    } confirms[] = {
        { "Show confirmation dialogs", 0x80000000u }, { "Confirm message copy", 0x1 },
        { "Confirm message move", 0x4 }, { "Confirm message delete", 0x10 },
        { "Confirm message 'copy all'", 0x2 }, { "Confirm message 'move all'", 0x8 },
        { "Confirm message 'delete all'", 0x20 }, { "Confirm message add", 0x80 },
        { "Confirm message update", 0x40 }, { "Confirm unapplied edit", 0x100 },
        { "Confirm retrieval of full message", 0x200 }, { "Confirm add of truncated message", 0x400 },
        { "Confirm edit of converted message", 0x800 },
        { "Confirm edit of message in character substitution mode", 0x2000 },
        { "Confirm put of a message with formatting error", 0x1000 },
    };
    const uint32_t savedCo = Prf.co;
    none.word[PW_CO] = 0;
    for (const auto &want : confirms) {
        const PrefOptionRow *row = RowNamed(PrefFindOptionList(523), want.row);
        ASSERT_NE(row, nullptr) << want.row;
        PREFWORDS words = none;
        PrefRowSet(row, &words, 1);
        PrefStoreWords(&words);
        EXPECT_EQ(Prf.co, want.co) << want.row;
    }
    Prf.co = savedCo;
    /* rows of other pages leave the grid alone */
    PREFWORDS words = none;
    words.word[PW_PO3] = ~0u;
    PrefStoreWords(&words);
    PCFListPrefsFromProfile();
    EXPECT_EQ(PcfListPrefs.grid, 0u);
    memcpy(Prf.po, saved, sizeof saved);
    PCFListPrefsDefaults();
    PcfWinPrefs = savedWin;
}

TEST_F(Prefs, RepaintMaskAndAnnouncements)
{
    in.localTimes = !in.localTimes;                     /* "Show local times" alone */
    ASSERT_EQ(Apply(), "");
    EXPECT_EQ(c.masks, std::vector<uint32_t>({ 0x200 }));
    EXPECT_EQ(c.names, std::vector<std::string>({ "pwcRefresh", "filters", "locNotify", "config" }));

    in.words.word[PW_TB] ^= 0x8;
    in.words.word[PW_PO2] ^= 0x2;
    in.words.word[PW_PO4] ^= 0x10000000 | 0x400000;
    in.words.word[PW_PO] ^= 0x80000000u | 0x40 | 0x10000000;
    in.words.word[PW_TDS] ^= 0x1;
    snprintf(in.eosdl, sizeof in.eosdl, "Never");
    ASSERT_EQ(Apply(), "");
    EXPECT_EQ(c.masks, std::vector<uint32_t>({ 0x40 | 0x10 | 0x400 | 0x100 | 0x20 }));
    EXPECT_EQ(c.names, std::vector<std::string>({ "pwcRefresh", "ufReapply", "tabs", "filters", "locNotify",
                                                  "locList", "userName", "config" }));
    /* "po" bit 0x10 going off brings the program icon back */
    in.words.word[PW_PO] |= 0x10;
    ASSERT_EQ(Apply(), "");
    in.words.word[PW_PO] &= ~0x10u;
    ASSERT_EQ(Apply(), "");
    EXPECT_NE(std::find(c.names.begin(), c.names.end(), "icon"), c.names.end());

    /* a user format file that does not load stops the rest */
    c.loadResult = 0;
    snprintf(in.userfmtfile, sizeof in.userfmtfile, "other.fmt");
    snprintf(in.maxb, sizeof in.maxb, "77");
    EXPECT_NE(PrefApply(&in, &copy, nullptr, &e), 0);
    EXPECT_EQ(e.field, PF_UFFILE);
    EXPECT_NE(Prf.maxb, 77);
}

/* Without the shell's hooks the apply reaches the password cache itself:
 * the cache file name follows the template, and the state it reports. */
TEST_F(Prefs, DefaultHooksReachThePasswordCache)
{
    PrefSetHooks(nullptr);
    PWCResetState();
    snprintf(in.pwc, sizeof in.pwc, "%s", "cachedir/MY.PWC");
    EXPECT_EQ(Apply(), "");
    char expect[PWC_PATH_MAX + 1], name[PWC_PATH_MAX + 1];
    PWCResolveFileName("cachedir/MY.PWC", expect);
    EXPECT_STREQ(PWCFileName(), expect);
    int open = 1;
    EXPECT_EQ(PrefHooks()->pwcState(nullptr, &open, name, sizeof name), 1);
    EXPECT_EQ(open, 0);
    EXPECT_STREQ(name, expect);
    snprintf(in.pwc, sizeof in.pwc, "%s", "");
    EXPECT_EQ(Apply(), "");
#ifdef _WIN32
    /* the Preferences window joins the program's one modeless list */
    int before = ModelessCount();
    HWND window = (HWND)(uintptr_t)0x5150;
    PrefHooks()->addModeless(nullptr, window);
    EXPECT_EQ(ModelessNext(nullptr), window);
    PrefHooks()->removeModeless(nullptr, window);
    EXPECT_EQ(ModelessCount(), before);
#endif
}

TEST_F(Prefs, TimeFormatSamples)
{
    int64_t moment = PrefSampleMoment();
    EXPECT_EQ(moment, 1613587034);                      /* 19:37:14 one hour east of UTC */
    char format[80], sample[120];
    PrefTimeTemplate(0, '/', format, sizeof format);
    EXPECT_STREQ(format, "%D/%M/%YY %TT");
    PrefTimeTemplate(5, '-', format, sizeof format);
    EXPECT_STREQ(format, "%E-%Mm-%YY %TT");
    PrefTimeSample(format, moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "17-02-2021 19:37:14");
    PrefTimeTemplate(7, '.', format, sizeof format);
    PrefTimeSample(format, moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "17.02.21  7:37:14 pm");
    PrefTimeTemplate(11, '/', format, sizeof format);
    PrefTimeSample(format, moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "17th February 2021 19:37:14");
    PrefTimeTemplate(3, '\\', format, sizeof format);
    PrefTimeSample(format, moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "2\\17\\2021 19:37:14");
    EXPECT_GE(DateFormatMeasure(PrefTimeTemplates, PrefTimeTemplateCount), 20);
    PrefDateExample(2, '-', moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "02-17-2021");
    PrefDateExample(1, 0, moment, sample, sizeof sample);
    EXPECT_STREQ(sample, "17/02/21");
    PrefTimeZoneText(-90, 1, sample, sizeof sample);
    EXPECT_STREQ(sample, "-1.50 hours (DST)");
    PrefTitleSample("RAVOLT %m{Qm: %m }%c Export - %DD %MMM %YY\\n", 0, sample, sizeof sample);
    EXPECT_EQ(std::string(sample).compare(0, 37, "RAVOLT Qm: QMGR1 Queue List Export - "), 0) << sample;
}

}  // namespace
