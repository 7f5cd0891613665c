/* The profile sections: a golden file with every section read and written
 * back byte for byte, the order rule, the lists and their odd tags, the
 * column-list merges, entries of unknown dialogs kept, damaged counts, the
 * shared filter file with its export, and the readers against damage. */
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cfgdialog.h"
#include "cfgtest.h"
#include "prffile.h"
#include "prfsect.h"
#include "savedlg.h"
#include "cs.h"
#include "mqsc.h"

namespace {

void Load(const std::string &text)
{
    PrfLoadText(text.data(), text.size());
}

std::string Save()
{
    std::string path = cfgtest::TempDir("sections") + "/p.txt";
    FILE *f = fopen(path.c_str(), "w");
    SavePrfData(f);
    fclose(f);
    return cfgtest::Slurp(path);
}

int Items(const CSLIST &list) { return list.count; }

std::string Item(const CSLIST &list, int n)
{
    CSLISTELEM *e = list.first;
    while (e && n--)
        e = e->next;
    return e ? (const char *)(e + 1) : "";
}

const FILKEY *Filter(CSTREE *list, const char *name)
{
    char key[FILKEY_NAME] = { 0 };
    snprintf(key, sizeof key, "%s", name);
    return (const FILKEY *)CSTreeFind(list, key, FILKEY_NAME);
}

TEST(Sections, GoldenFileRoundTripsByteForByte)
{
    std::string input = cfgtest::Slurp(cfgtest::DataFile("sections.cfg"));
    std::string golden = cfgtest::Slurp(cfgtest::DataFile("sections.golden"));
    Load(input);
    EXPECT_EQ(Save(), golden);
    Load(golden + "\nQM:X \"\" 0 0\n");
    EXPECT_EQ(Save(), golden);
    /* what was read */
    EXPECT_STREQ(PrfSections.layouts[0].left, "Left text");
    EXPECT_EQ(PrfSections.layouts[0].margin, 50);
    EXPECT_EQ(PrfSections.layouts[1].margin, 100);
    ASSERT_NE(Filter(FltLocalFilters, "two_lines"), nullptr);   /* blank as "_" */
    EXPECT_STREQ(Filter(FltLocalFilters, "two_lines")->text, "a = 1;\r\nb = 2");
    EXPECT_EQ(Filter(FltLocalFilters, "big_depth")->flags, (uint32_t)(FILKEY_LOCAL | FILKEY_SHARED));
    const FRENTRY *fr = (const FRENTRY *)PrfSections.findList.last;
    EXPECT_STREQ(fr->text, "0A 0B");
    EXPECT_EQ(fr->hexDigits, 4);
    EXPECT_STREQ(((const FRENTRY *)PrfSections.replaceList.first)->text, "replace \"x\"");
    EXPECT_EQ(Item(PrfSections.qPrefix, 0), "ENDS:");                 /* quoted: an item */
    EXPECT_EQ(Item(*MQSCGlobalHistory(), 0), "DISPLAY QMGR");        /* the console's own */
    EXPECT_EQ(Items(PrfSections.objectNames[0]), 3);                  /* OBQ: twice */
    EXPECT_EQ(Item(PrfSections.objectNames[21], 0), "OBJ1");          /* "OBJ" has no colon */
    EXPECT_EQ(Item(PrfSections.objectNames[31], 0), "EM1");           /* "OEEM:" */
    DLGINFO *d = DlgInfoFind(DlgInfoGlobal, "Queue List");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->x2, 11);
    EXPECT_EQ(d->align, 60);
    EXPECT_STREQ(d->dftFilter, "curdepth > 5");
    EXPECT_STREQ(d->autoexpfile, "c:\\exp\\q.txt");
    ASSERT_NE(DlgInfoFind(DlgInfoGlobal, "Unknown Kind"), nullptr);   /* kept as read */
    SAVEDDIALOG *pd = SavedDialogFind(1);
    ASSERT_NE(pd, nullptr);
    EXPECT_STREQ(pd->qm, "QM1");
    EXPECT_EQ(pd->st.typ, 1);
    EXPECT_EQ(pd->saved.x2, 1);                                       /* s_x sets s_x2 */
    EXPECT_EQ(pd->st.flags & (PDF_BUTTONS | PDF_FIELDS), (uint32_t)(PDF_BUTTONS | PDF_FIELDS));
    /* a "#" dialog is written without its state and positions */
    EXPECT_EQ(golden.find("rest=1 x=5"), std::string::npos);
    EXPECT_NE(golden.find("desc=\"#\"\n  type=9 \n  qm=\"QM2\"\n\n"), std::string::npos);
}

TEST(Sections, OrderStopsTheProfile)
{
    Load("AP:\nMNU:\n(1 2 3)\nFLK:\n n=\"a\" v=\"x\"\nQPFX:\n\"P\"\n");
    EXPECT_EQ(FltLocalFilters, nullptr);
    EXPECT_EQ(Items(PrfSections.qPrefix), 0);
    Load("AP:\nQPFX:\n\"P\"\nQPFX:\n\"Q\"\n");                    /* a second QPFX: */
    EXPECT_EQ(Items(PrfSections.qPrefix), 1);
    Load("AP:\nOBQ:\n\"Q\"\nMQS:\n\"M\"\n");                      /* back to step 9 */
    EXPECT_EQ(Items(*MQSCGlobalHistory()), 0);
    Load("AP:\nOBQ:\n\"Q\"\nword \"R\"\n");                       /* a bare word ends */
    EXPECT_EQ(Items(PrfSections.objectNames[0]), 1);
    Load("AP:\nQPFX:\n\"P\"\nOBJ\n\"O\"\n");                       /* OBJ ends QPFX: */
    EXPECT_EQ(Items(PrfSections.qPrefix), 1);
    EXPECT_EQ(Item(PrfSections.objectNames[21], 0), "O");
    Load("AP:\nPDG:\n gtype=1\nOBU:\nOBJ\n\"O\"\n");                 /* OBJ written first reads back */
    for (int i = 0; i < 2; i++)
        Load(Save());
    EXPECT_EQ(Item(PrfSections.objectNames[21], 0), "O");
    Load("AP:\nDLG:\"Queue List\"\nx=10\nPDG:\n gtype=0 type=1 x=10\n");
    EXPECT_EQ(DlgInfoFind(DlgInfoGlobal, "Queue List")->x2, 10);      /* x sets x2 */
    EXPECT_TRUE(DlgInfoFind(DlgInfoGlobal, "Queue List")->optA & DLGA_POSSAVED);
    EXPECT_EQ(SavedDialogFind(1)->st.x2, 10);
}

TEST(Sections, ColumnListsMergeWithTheDefaults)
{
    /* saved columns without sort marks take the default list's; the
       always-present columns (the queue name) join */
    Load("AP:\nDLG:\"Queue List\"\nLST: 3 3 0 3 7 20 1\n");
    DLGINFO *d = DlgInfoFind(DlgInfoGlobal, "Queue List");
    ASSERT_EQ(DlgColumnCount(d->columns), 3);
    EXPECT_EQ(DefFieldAttribute(d->columns[0].field), 3);
    EXPECT_EQ(d->columns[0].flags, 0u);
    EXPECT_EQ(DefFieldAttribute(d->columns[1].field), 20);
    EXPECT_EQ(DefFieldAttribute(d->columns[2].field), 2016);
    EXPECT_EQ(d->columns[2].flags, 0x14u);                            /* its sort mark too */
    /* with a sort mark of its own the list keeps it */
    Load("AP:\nDLG:\"Queue List\"\nLST: 1 3 4\n");
    d = DlgInfoFind(DlgInfoGlobal, "Queue List");
    EXPECT_EQ(d->columns[0].flags, 4u);
    EXPECT_EQ(d->columns[1].flags, (uint32_t)DLGCOL_ALWAYS);
    /* "GDG:": repeated ids once, unknown ids left out, default bits */
    Load("AP:\nGDG:\"Queue List\"\nLST: 4 63 1 63 2 4000 0 3 0\n");
    const void *def = DefFindCommand("Queue List");
    const DLGCOLUMN *c = DefCurrentColumns(def);
    ASSERT_NE(c, DefDefaultColumns(def));
    ASSERT_EQ(DlgColumnCount(c), 3);
    EXPECT_EQ(DefFieldAttribute(c[0].field), 63);
    EXPECT_EQ(c[0].flags, 0x201u);                                    /* 0x200 from the default */
    EXPECT_EQ(DefFieldAttribute(c[1].field), 3);
    EXPECT_EQ(DefFieldAttribute(c[2].field), 2016);
    EXPECT_NE(Save().find("GDG:\"Queue List\"\nLST: 3 63 513 3 0 2016 20 \n"), std::string::npos);
}

/* Entries of dialog kinds no definition knows are kept as read, and what
 * follows them is still read; damaged counts keep the default columns. */
TEST(Sections, UnknownKindsAndDamagedCounts)
{
    Load("AP:\nDLG:\"Gone Kind\"\nfields LST: 2 1 2 3 4\nFLT:\n\"f\"\n"
         "DLG:\"Queue List\"\nrefresh=9\n"
         "GDG:\"Gone List\"\nLST: 1 5 0\nGDG:\"\"\nLST: 1 2 3\nPDG:\n gtype=0 type=1\n"
         "QPFX:\n\"P\"\n");
    EXPECT_EQ(DlgInfoFind(DlgInfoGlobal, "Queue List")->refresh, 9);
    EXPECT_EQ(Items(PrfSections.keptColumns), 2);
    EXPECT_NE(SavedDialogFind(1), nullptr);
    EXPECT_EQ(Items(PrfSections.qPrefix), 1);
    std::string out = Save();
    EXPECT_NE(out.find("DLG:\"Gone Kind\"\nfields LST: 2 1 2 3 4\nFLT:\n\"f\"\n"), std::string::npos);
    EXPECT_NE(out.find("GDG:\"Gone List\"\nLST: 1 5 0\n"), std::string::npos);
    for (const char *count : { "99999999999", "-1", "4001", "x" }) {
        Load(std::string("AP:\nDLG:\"Queue List\"\nLST: ") + count + " 2016 0\n"
             "GDG:\"Message List\"\nLST: " + count + " 10033 0\nQPFX:\n\"P\"\n");
        DLGINFO *d = DlgInfoFind(DlgInfoGlobal, "Queue List");
        ASSERT_NE(d, nullptr) << count;
        EXPECT_EQ(d->columns, nullptr) << count;
        const void *def = DefFindCommand("Message List");
        EXPECT_EQ(DefCurrentColumns(def), DefDefaultColumns(def)) << count;
        EXPECT_EQ(Items(PrfSections.qPrefix), 1) << count;
    }
}

TEST(Sections, SharedFilterFileAndExport)
{
    std::string dir = cfgtest::TempDir("shared-filters");
    static std::vector<std::string> posted;
    posted.clear();
    PrfPostText = [](const char *text, uintptr_t value) {
        EXPECT_EQ(value, 48u);
        posted.push_back(text);
    };
    std::string file = dir + "/shared.flt";
    cfgtest::Spit(file, "; shared\nFLK:\n  n =\"common\"\n  v =\"curdepth > 1\"\n"
                        "  n =\"team\"\n  shr\n  v =\"curdepth > 2\"\n");
    Load("AP:\npo4m=80 po4=0 sffile=\"" + file + "\"\n");        /* not asked for: not read */
    EXPECT_EQ(Filter(FltSharedFilters, "team"), nullptr);
    Load("AP:\npo4m=80 po4=80 sffile=\"" + file + "\"\n"
         "FLK:\n n=\"common\" shr v=\"local version\"\n n=\"mine\" v=\"x\"\n"
         " n=\"marked\" shr v=\"y\"\n");
    ASSERT_NE(Filter(FltSharedFilters, "team"), nullptr);
    EXPECT_EQ(Filter(FltSharedFilters, "team")->flags, (uint32_t)FILKEY_SHARED);
    EXPECT_TRUE(posted.empty());
    /* marked local filters and the shared list, a name held twice once */
    std::string out = dir + "/export.flt";
    snprintf(Prf.sffile, sizeof Prf.sffile, "%s", out.c_str());
    char message[400];
    EXPECT_EQ(PrfExportFilters(message), 3);
    EXPECT_EQ(std::string(message), "3 filters exported to '" + out + "'");
    std::string text = cfgtest::Slurp(out);
    EXPECT_EQ(text, "FLK:\n  n =\"common\"\n  shr\n  v =\"local version\"\n"
                    "  n =\"marked\"\n  shr\n  v =\"y\"\n"
                    "  n =\"team\"\n  shr\n  v =\"curdepth > 2\"\n");
    /* a file without the tag, a file that is not there */
    cfgtest::Spit(file, "nothing here\n");
    Load("AP:\npo4m=80 po4=80 sffile=\"" + file + "\"\n");
    Load("AP:\npo4m=80 po4=80 sffile=\"" + dir + "/none.flt\"\n");
    /* a filter without a name or text is told by its line, never kept
       (it would not be written) nor dropped in silence */
    cfgtest::Spit(file, "FLK:\n  v =\"curdepth > 1\"\n");
    Load("AP:\npo4m=80 po4=80 sffile=\"" + file + "\"\nFLK:\n n=\"blank\" v=\" \"\n");
    ASSERT_EQ(posted.size(), 4u);
    EXPECT_EQ(posted[0], "Shared filter file '" + file +
                             "' does not appear to be in the correct format");
    EXPECT_EQ(posted[1], "Can not open shared filter file '" + dir + "/none.flt'");
    EXPECT_EQ(posted[2].rfind("A filter without a text at line 4 of '", 0), 0u) << posted[2];
    EXPECT_EQ(posted[3], "A filter without a name at line 2 of '" + file + "' is not read");
    EXPECT_EQ(Filter(FltLocalFilters, "blank"), nullptr);
    snprintf(Prf.sffile, sizeof Prf.sffile, "%s", (dir + "/no/such/dir/x.flt").c_str());
    EXPECT_EQ(PrfExportFilters(message), 0);
    EXPECT_EQ(std::string(message).rfind("Can not open file '", 0), 0u);
    PrfPostText = nullptr;
}

/* Every prefix of the golden input and random mutations of it load and
 * save without harm; a filter file the same way. */
TEST(Sections, DamagedSections)
{
    const std::string input = cfgtest::Slurp(cfgtest::DataFile("sections.cfg"));
    for (size_t n = 0; n <= input.size(); n += 3) {
        Load(input.substr(0, n));
        Save();
    }
    std::mt19937 rng(5122);
    const char alphabet[] = "\"~=:;# \n(){}LSTDLGGDGPDGFLTOBJ0123456789-";
    int count = getenv("RAVOLT_LONG_FUZZ") ? 20000 : 300;
    std::string dir = cfgtest::TempDir("filter-fuzz");
    for (int i = 0; i < count; i++) {
        std::string t = input;
        for (int k = 0, n = 1 + (int)(rng() % 8); k < n; k++)
            t[rng() % t.size()] = alphabet[rng() % (sizeof alphabet - 1)];
        Load(t);
        Save();
        size_t flk = t.find("FLK:");
        cfgtest::Spit(dir + "/f.flt", t.substr(flk == std::string::npos ? 0 : flk));
        snprintf(Prf.sffile, sizeof Prf.sffile, "%s/f.flt", dir.c_str());
        PrfReadSharedFilters();
    }
    Load("AP:\n");
}

}  // namespace
