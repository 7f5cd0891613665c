/* Named filters: the two lists FltAddFilter keeps (a name replaced in
 * its own list, standing beside the same name in the other), the Filter
 * Manager's checks of a name and a definition, and the export of the
 * shared filters (a local filter only when marked exportable, each name
 * once). */
#include "flttest.h"
#include "prfdata.h"
#include "../config/cfgtest.h"

#include <filesystem>

using namespace flttest;

namespace {

struct Named_ : ::testing::Test {
    void TearDown() override { ClearNamed(); }
};

std::vector<std::string> Names(CSTREE *tree)
{
    std::vector<std::string> v;
    for (CSTREE *e = CSTreeFirst(tree); e; e = e->next)
        v.push_back(((FILKEY *)e)->name);
    return v;
}

TEST_F(Named_, TwoSortedListsReplacingByName)
{
    int64_t before = Blocks();
    EXPECT_EQ(FltStoreEntry("B", "curdepth > 1", 1, 0, nullptr), 0);
    EXPECT_EQ(FltStoreEntry("A", "curdepth > 2", 1, 1, nullptr), 0);
    EXPECT_EQ(FltStoreEntry("A", "curdepth > 3", 1, 0, nullptr), 1);
    FILKEY *shared = nullptr;
    EXPECT_EQ(FltStoreEntry("A", "curdepth > 4", 0, 1, &shared), 0);
    EXPECT_EQ(Names(FltLocalFilters), std::vector<std::string>({ "A", "B" }));
    EXPECT_EQ(Names(FltSharedFilters), std::vector<std::string>({ "A" }));
    EXPECT_STREQ(FltFindFilter("A")->text, "curdepth > 3");
    EXPECT_EQ(FltFindFilter("A")->flags, (uint32_t)FILKEY_LOCAL);
    EXPECT_EQ(shared->flags, (uint32_t)FILKEY_SHARED);
    EXPECT_FALSE(FltIsLocal(shared));
    /* the profile's entry point: a local flag set, a shared one cleared */
    FILKEY entry = {};
    entry.flags = FILKEY_LOCAL | FILKEY_SHARED;
    entry.text = (char *)"1";
    FILKEY *out = nullptr;
    EXPECT_EQ(FltAddFilter("C", 0, &entry, &out), 0);
    EXPECT_EQ(out->flags, (uint32_t)FILKEY_SHARED);
    FltDeleteEntry(shared);
    EXPECT_EQ(Names(FltSharedFilters), std::vector<std::string>({ "C" }));
    EXPECT_EQ(FltFindFilter("nosuch"), nullptr);
    EXPECT_EQ(FltFindFilter(std::string(150, 'n').c_str()), nullptr);
    ClearNamed();
    EXPECT_EQ(Blocks(), before);
    /* without storage nothing is stored */
    CSMemFailTag("FILTER", 1);
    EXPECT_EQ(FltStoreEntry("D", "1", 1, 0, nullptr), -1);
    CSMemFailTag("FILTER", 0);
    EXPECT_EQ(FltFindFilter("D"), nullptr);
}

TEST_F(Named_, TheManagersChecks)
{
    char message[FLT_ERROR_SIZE];
    int s, e;
    EXPECT_EQ(FltCheckEntry("  ", "1", message, &s, &e), 1);
    EXPECT_STREQ(message, "Please enter a name for this filter");
    EXPECT_EQ(FltCheckEntry("my filter", "1", message, &s, &e), 1);
    EXPECT_STREQ(message, "Sorry, filter names should not contain blank characters");
    for (const char *blank : { "", " ", "  ", "\t\r\n" }) {   /* blanks define nothing */
        message[0] = 0;
        EXPECT_EQ(FltCheckEntry(" X ", blank, message, &s, &e), 1) << "[" << blank << "]";
        EXPECT_STREQ(message, "Please enter a definition for this filter") << "[" << blank << "]";
    }
    EXPECT_EQ(FltCheckEntry("X", " 1", message, &s, &e), 0);
    EXPECT_EQ(FltCheckEntry(" X ", "nosuchfield > 1 & fgcell(1, red, 5)", message, &s, &e), 0);
    EXPECT_EQ(FltCheckEntry("X", "curdepth > 1 & $X", message, &s, &e), 1);
    EXPECT_STREQ(message, "Circular filter dependancy on filter 'X'");
    EXPECT_EQ(s, 15);
    EXPECT_EQ(e, 17);
    Named("INNER", "(curdepth");
    EXPECT_EQ(FltCheckEntry("X", "1 &\n $INNER", message, &s, &e), 1);
    EXPECT_STREQ(message, "X/INNER:Unmatched parenthesis");
    EXPECT_EQ(s, 5);
    EXPECT_EQ(e, 11);
    /* a long name in a message is bounded */
    std::string name(99, 'n');
    std::string self = "$" + name;
    EXPECT_EQ(FltCheckEntry(name.c_str(), self.c_str(), message, &s, &e), 1);
    EXPECT_EQ(std::string(message), "Circular filter dependancy on filter '" + name + "'");
}

struct Export : Named_ {
    std::string file;
    char saved[sizeof Prf.sffile];
    void SetUp() override
    {
        memcpy(saved, Prf.sffile, sizeof saved);
        file = (std::filesystem::temp_directory_path() / "ravolt-shared-filters.txt").string();
        snprintf(Prf.sffile, sizeof Prf.sffile, "%s", file.c_str());
    }
    void TearDown() override
    {
        memcpy(Prf.sffile, saved, sizeof saved);
        std::filesystem::remove(file);
        Named_::TearDown();
    }
    /* The file as text: the host's line ends as LF. */
    std::string Read() { return cfgtest::Slurp(file); }
};

TEST_F(Export, OnlyExportableLocalsAndEveryShared)
{
    Named("A", "curdepth > 1", true, true);
    Named("B", "local only", true, false);
    Named("A", "the shared A", false, false);
    Named("C", "say \"hi\" ~", false, true);
    char message[400];
    EXPECT_EQ(PrfExportFilters(message), 2);
    EXPECT_EQ(std::string(message), "2 filters exported to '" + file + "'");
    EXPECT_EQ(Read(), "FLK:\n  n =\"A\"\n  shr\n  v =\"curdepth > 1\"\n"
                      "  n =\"C\"\n  shr\n  v =\"say ~\"hi~\" ~~\"\n");
    Prf.sffile[0] = 0;
    EXPECT_EQ(PrfExportFilters(message), 0);
    EXPECT_STREQ(message, "Can not open file ''");
}

}  // namespace
