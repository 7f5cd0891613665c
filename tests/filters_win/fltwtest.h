/* Window-test helpers of the filters: the toolkit and the filters'
 * window hooks set up once, a recording confirmation, and a test dialog
 * (a Queue List instance with rows, a frame window holding a title bar
 * and a list) for the column filter pop-up. */
#pragma once

#include "filters/flttest.h"
#include "fltwin.h"
#include "tkharness.h"

#include <string>
#include <vector>

namespace fltwtest {

/* The questions asked and the answer the next ones get. */
struct Questions {
    std::vector<std::string> asked;
    int answer = 1;
};
extern Questions Asked;

/* Once per program: dialog engine, controls, window hooks. */
void SetUpWindows(void);

/* A list dialog in a frame window with a title bar and a list under it. */
struct TestDialog {
    flttest::ListDialog list;
    HWND frame = nullptr, title = nullptr, rows = nullptr;
    int refreshes = 0;
    explicit TestDialog(PCFCommandDef *def = &PCFQueueListDef, int x = 100, int y = 100);
    ~TestDialog();
    DialogWords *d() { return list.d(); }
    /* The anchor of a column: its title cell at a left edge and width. */
    COLFANCHOR Anchor(int left, int width);
};

/* Text of a window; a control's text by id in a dynamic dialog. */
std::string WindowText(HWND hwnd);
/* The controls of a pop-up by id (their windows). */
HWND Control(DialogWords *d, int id);
int Checked(DialogWords *d, int id);
void Click(HWND button);
/* The gallery picture of a window (from the screen, children included). */
void Picture(HWND hwnd, const char *name);

}  // namespace fltwtest
