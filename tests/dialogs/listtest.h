/* Test helpers of the list dialogs' window-free part: open list dialogs
 * (instances on the open list, freed at the end), replies fed into their
 * records and taken as the window takes them, the rows a rebuild shows
 * read back by column, and a fixed-width font for measuring. */
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dlgtest.h"
#include "pcflists.h"
#include "mq/capability.h"
#include "qms.h"
#include "wirelibs.h"

namespace listtest {

using dlgtest::Reply;

/* Every character 7 pixels wide, a margin of 2. */
inline PCFCHARWIDTHS Fixed(int width = 7)
{
    PCFCHARWIDTHS w = {};
    for (int i = 0; i < 256; i++)
        w.widths[i] = (int16_t)width;
    w.margin = 2;
    return w;
}

/* A queue reply row: name, type, depth. */
inline Reply &Queue(Reply &r, const std::string &name, int32_t depth, int32_t type = MQQT_LOCAL)
{
    if (r.count)
        r.Separator();
    return r.Str(MQCA_Q_NAME, name, 4).Int(MQIA_Q_TYPE, type).Int(MQIA_CURRENT_Q_DEPTH, depth);
}

struct Lists : ::testing::Test {
    dlgtest::Recorder rec;
    std::vector<DialogWords *> open;
    int newLists = 0;
    int64_t before = 0;
    static Lists *Current;
    static void FreeInfo(CSTREE *e, void *)
    {
        DLGINFO *info = (DLGINFO *)e;
        CSFreeMemAndClear(&info->dftFilter);
        CSFreeMemAndClear(&info->columns);
    }
    static uint8_t AllCaps[CAP_COUNT];

    void SetUp() override
    {
        WireLibraries();             /* the filters, the downloaded defaults */
        PCFInitCommandDefs();
        PCFPrefsDefaults();
        PCFWinPrefsDefaults();
        PCFListPrefsDefaults();
        rec.Install();
        CapSetAll(AllCaps);
        Current = this;
        PCFNewListSink = [](DialogWords *) { Current->newLists++; };
        before = dlgtest::Blocks();
    }
    void TearDown() override
    {
        for (DialogWords *d : open)
            FreeDialogWords(d);
        open.clear();
        rec.ReleasePosted();
        dlgtest::Recorder::Clear();
        PCFSetListFilter(nullptr);
        PCFListPrefsDefaults();
        PCFClock = nullptr;
        CSTreeFree(&DlgInfoGlobal, FreeInfo, nullptr);
        EXPECT_EQ(dlgtest::Blocks(), before);
    }
    DialogWords *Open(PCFCommandDef *def, QMS *location = nullptr, PCFLISTENTRY *columns = nullptr)
    {
        DialogWords t = {};
        t.definition = def;
        t.window = (void *)0x1000;              /* posts are recorded, never delivered */
        t.first.location = location;
        t.first.caps = location ? location->caps : AllCaps;
        t.first.columns = columns;
        t.stateFlags = DF_TITLE_AUTO;
        t.dataArea = PCFNewData(def, "TESTDATA");
        DialogWords *d = GetDialogWords(&t, 0);
        if (d)
            open.push_back(d);
        return d;
    }
    void Close(DialogWords *d)
    {
        for (size_t i = 0; i < open.size(); i++)
            if (open[i] == d)
                open.erase(open.begin() + (long)i);
        FreeDialogWords(d);
    }
    /* A reply filled into a record and taken as the window takes it. */
    void Feed(DialogWords *d, const Reply &r, PCFLISTREQ *req = nullptr)
    {
        req = req ? req : &d->first;
        ASSERT_EQ(FillListArea(d, nullptr, req, r.Bytes(), r.Length(), 0), 0);
        for (dlgtest::Post &p : rec.posts)
            if (p.message == UM_PCF_UPDATE_LIST) {
                PCFCopySortMarks(d, (PCFLISTREQ *)p.wParam, (PCFLISTAREA *)p.lParam);
                PCFTakeNewArea(d, (PCFLISTREQ *)p.wParam, (PCFLISTAREA *)p.lParam);
                p.message = 0;
            }
    }
    static int Build(DialogWords *d, const PCFSELECTION *before = nullptr)
    {
        PCFCHARWIDTHS w = Fixed();
        PCFMEASURE m = { &w, nullptr };
        return PCFBuildRows(d, 0, before, &m);
    }
    /* The shown rows' texts of a column, in order. */
    static std::vector<std::string> Shown(DialogWords *d, uint32_t attrId)
    {
        std::vector<std::string> out;
        PCFLISTSTATE *st = PCFListState(d);
        for (uint32_t i = 0; st && i < st->count; i++) {
            PCFROW *row = st->rows[i].row;
            PCFLISTAREA *a = PCFRowArea(d, row);
            PCFLISTPARTS parts;
            PCFListAreaPointers(a, &parts);
            uint8_t *v = nullptr;
            int at = -1;
            if (!PCFFindParm(parts.columns, row, attrId, &v, &at, nullptr)) {
                out.push_back("?");
                continue;
            }
            char buf[1024];
            const char *text;
            int numeric;
            int n = PCFListCellText(&parts.columns[at], v, buf, sizeof buf, &text, &numeric);
            out.push_back(std::string(text, (size_t)n));
        }
        return out;
    }
    /* Rows selected by their position in the shown order. */
    static void Select(DialogWords *d, std::vector<int> positions)
    {
        PCFLISTSTATE *st = PCFListState(d);
        for (uint32_t i = 0; i < st->count; i++)
            st->rows[i].selected = 0;
        for (int p : positions)
            st->rows[p].selected = 1;
    }
    static int Column(DialogWords *d, uint32_t attrId)
    {
        const PCFLISTENTRY *c = PCFDialogColumns(d);
        for (int i = 0; c && c[i].field; i++)
            if (c[i].field->attrId == attrId)
                return i;
        return -1;
    }
};

inline Lists *Lists::Current;
inline uint8_t Lists::AllCaps[CAP_COUNT];

}  // namespace listtest
