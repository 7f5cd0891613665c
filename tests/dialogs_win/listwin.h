/* The fixture the list windows' tests share: a stand-in queue manager
 * with the queues a test defines, a Queue List opened on it and filled
 * through the engine with the filter hooks the program installs, and a
 * user's hands on it (a filter typed, a column title or a row clicked),
 * with the queue names it shows read back top to bottom. */
#pragma once

#include "wintest.h"

#include <string>
#include <utility>
#include <vector>

#include "fltwin.h"
#include "pcflistwin.h"

namespace wintest {

struct QueueLists : Windows {
    const char *qmgr = nullptr;
    Location *loc = nullptr;

    /* The queue manager, its queues defined by an MQSC script. */
    void Start(const char *qm, const std::string &mqsc)
    {
        Windows::SetUp();
        PCFListPrefsDefaults();
        engine.standin = 1;
        qmgr = qm;
        dlgtest::StandinMqsc(qm, mqsc);
        loc = new Location(qm);
        FLTHOOKS h = {};
        PCFFilterWindowHooks(&h);
        FltInstallWindowHooks(&h);
    }
    void TearDown() override
    {
        FltCloseDialog();
        delete loc;
        Windows::TearDown();
        PCFListPrefsDefaults();
    }
    /* A Queue List of every queue, placed and refreshed. */
    DialogWords *Queues()
    {
        DialogWords *d = Open(&PCFQueueListDef, &loc->q);
        if (!d)
            return nullptr;
        MoveWindow(PCFWnd(d->window), 20, 20, 820, 560, TRUE);
        PCFSetFieldText(d, MQCA_Q_NAME, "*");
        Refresh(d);
        return d;
    }
    void Refresh(DialogWords *d)
    {
        SendMessageA(PCFWnd(d->window), WM_COMMAND, 1, 0);
        Settle();
        Pump();
    }
    /* A filter typed into the filter field and applied by its button. */
    void Filter(DialogWords *d, const char *text)
    {
        SetWindowTextA(PCFWnd(d->filterWindow), text);
        SendMessageA(PCFWnd(d->window), WM_COMMAND, MAKEWPARAM(23, BN_CLICKED), (LPARAM)d->filterButton);
        Settle();
    }
    static HWND List(DialogWords *d) { return PCFWnd(d->rightList); }
    /* The queue names the list window shows, top to bottom. */
    static std::vector<std::string> Shown(DialogWords *d)
    {
        std::vector<std::string> out;
        int n = (int)SendMessageA(List(d), LB_GETCOUNT, 0, 0);
        for (int i = 0; i < n; i++) {
            PCFROW *row = (PCFROW *)SendMessageA(List(d), LB_GETITEMDATA, (WPARAM)i, 0);
            int length = 0;
            const char *v = PCFParmText(d, row, nullptr, MQCA_Q_NAME, &length);
            std::string name = v ? std::string(v, (size_t)length) : "";
            name.erase(name.find_last_not_of(' ') + 1);
            out.push_back(name);
        }
        return out;
    }
    static int IndexOf(DialogWords *d, const std::string &name)
    {
        std::vector<std::string> names = Shown(d);
        for (size_t i = 0; i < names.size(); i++)
            if (names[i] == name)
                return (int)i;
        return -1;
    }
    /* The columns across the title bar, left to right: each one's index
       and the x of its middle. */
    static std::vector<std::pair<int, int>> Across(DialogWords *d)
    {
        std::vector<std::pair<int, int>> columns;
        for (int x = 0; x < 3000; x += 2) {
            int32_t left, right;
            int border;
            int at = PCFColumnAt(d, x, 4, &left, &right, &border);
            if (at >= 0 && (columns.empty() || columns.back().first != at))
                columns.push_back({ at, (left + right) / 2 });
        }
        return columns;
    }
    /* The title-bar x of the middle of a column (-1 when not shown). */
    static int TitleX(DialogWords *d, uint32_t attrId)
    {
        PCFLISTENTRY *c = PCFDialogColumns(d);
        for (const auto &column : Across(d))
            if (c[column.first].field->attrId == attrId)
                return column.second;
        return -1;
    }
    /* The short titles of the columns shown, left to right. */
    static std::vector<std::string> TitlesShown(DialogWords *d)
    {
        PCFLISTENTRY *c = PCFDialogColumns(d);
        std::vector<std::string> titles;
        for (const auto &column : Across(d))
            titles.push_back(c[column.first].field->shortTitle);
        return titles;
    }
    /* A click on the middle of a column's title. */
    static void ClickTitle(DialogWords *d, uint32_t attrId)
    {
        int x = TitleX(d, attrId);
        if (x < 0) {
            ADD_FAILURE() << "no title of " << attrId;
            return;
        }
        HWND title = PCFWnd(d->rightTitle);
        MouseDown(title, x, 4);
        MouseUp(title, x, 4);
        Pump();
    }
    /* A click on a row of the list window (Ctrl held when adding). */
    static void ClickRow(DialogWords *d, int index, bool ctrl)
    {
        HWND list = List(d);
        int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
        int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
        int y = (index - top) * height + height / 2;
        WPARAM keys = ctrl ? MK_CONTROL : 0;
        MouseDown(list, 30, y, keys);
        MouseUp(list, 30, y, keys);
        Pump();
    }
};

}  // namespace wintest
