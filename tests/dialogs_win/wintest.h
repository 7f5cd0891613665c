/* Test helpers of the command dialog's window tests: dialogs opened and
 * closed with the window hooks installed, a recorder of what reaches the
 * command engine (which passes it on to the engine against the stand-in
 * queue manager when a test asks), a test message loop
 * that routes keys as the program's loop does, and window lookups. */
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "dialogs/dlgtest.h"
#include "pcfwin.h"
#include "qms.h"
#include "tkharness.h"

namespace wintest {

/* What reached the engine's hooks. */
struct Engine {
    std::vector<std::string> calls;    /* "level QM", "do 1", "all 1" */
    int levelFails = 0;                /* the level query cannot be sent */
    int busy = 0;                      /* a command still being processed */
    int standin = 0;                   /* pass commands on to the engine */
};
extern Engine *Eng;

/* A location of the tests, its capabilities for a Windows queue manager. */
struct Location {
    QMS q = {};
    explicit Location(const char *name, int known = 1);
    ~Location();
};

struct Windows : ::testing::Test {
    Engine engine;
    int64_t blocks = 0;
    void SetUp() override;
    void TearDown() override;
    /* A dialog of a definition, shown and started (messages pumped); a
     * child dialog (DO_CHILD) in the harness's parent window.  Closing a
     * shown top-level window costs Wine two seconds without a window
     * manager: tests that make many use child or background dialogs. */
    DialogWords *Open(PCFCommandDef *def, QMS *location = nullptr, uint32_t options = 0, uint32_t state = 0);
    void Close(DialogWords *d);
    /* The dialog records kept by a location (null: none) and program-wide. */
    void Forget(QMS *location);
    /* Pumps until no command is in flight and their replies are taken; a
     * failure of the test when that takes more than ms. */
    void Settle(int ms = 10000);
    /* The location's default objects downloaded, as its timer asks for
     * them; false when the default local queue never arrives. */
    bool DownloadDefaults(QMS *location);
};

/* The first descendant of a window of a class (and control id, or -1). */
HWND FindChild(HWND parent, const char *cls, int id = -1);
/* Top-level windows of a class owned by this process's thread. */
int CountWindows(const char *cls);
/* The texts of a menu's items ("-" separators, ">name" submenus). */
std::vector<std::string> MenuItems(HMENU menu);
HMENU Submenu(HMENU menu, const char *name);
/* Takes the thread's messages (as Pump) until done() holds, waking for
 * each new message; false when it still does not after ms of real time. */
bool PumpUntil(const std::function<bool()> &done, int ms = 20000);
/* A message loop pass as the program's: keys first to PCFTranslateKey. */
void Loop(void);
/* A key through the loop: WM_KEYDOWN (and WM_CHAR) to the focus window. */
void LoopKey(WPARAM vk, bool shift = false, bool ctrl = false);
/* The rectangle of a window in its parent's client coordinates. */
RECT InParent(HWND w);
/* The next confirmation answered by a click on its button (1 Yes, 2 No)
 * once it shows; its question into *question. */
void AnswerConfirmation(int button, std::string *question);
/* The clipboard's text ("" when it holds none). */
std::string ClipboardText(void);
/* Copy (command 796) sent to a dialog with Ctrl and Shift held or not. */
void CopyWithKeys(DialogWords *d, bool ctrl, bool shift);

}  // namespace wintest
