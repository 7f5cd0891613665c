/* The walk of every command a window offers, in the test's own process
 * over the program's start-up and wiring (apptest.h): the rows of its menu
 * bar and context menu, its push buttons, its toolbar buttons and the
 * frame's accelerators, each greyed or performed as the user would, and
 * what it changed read back as named values (Observe), so that a table
 * can say what each row must change. */
#pragma once

#include "apptest.h"

#include <map>
#include <string>
#include <vector>

struct DialogWords;

/* How a row is reached. */
enum WalkVia { VIA_MENU, VIA_BUTTON, VIA_TOOLBAR, VIA_ACCEL, VIA_CONTEXT };

struct WalkRow {
    int via;
    int32_t id;
    std::string label;
    ACCEL key;                    /* VIA_ACCEL */
    HMENU menu;                   /* VIA_MENU, VIA_CONTEXT: the menu holding it */
    HWND control;                 /* VIA_BUTTON, VIA_TOOLBAR; VIA_ACCEL: the command
                                     dialog whose own key it is (null: the frame's);
                                     VIA_CONTEXT: the window the menu popped for */
};

/* The rows of a window: its menu bar (a command dialog's own menu), push
 * buttons, toolbar buttons; the frame's accelerators and the location
 * context menu (frame: true). */
std::vector<WalkRow> WalkRows(HWND window, bool frame);
/* The rows of the menu a right click over a frame's tree pops up, caught
 * as it opens (VIA_CONTEXT, chosen as commands of the frame). */
std::vector<WalkRow> WalkTreeMenuRows(HWND frame);
/* Whether the row can be chosen now (menus after WM_INITMENU). */
/* A control of a window by its id, at any depth (of a class when cls is
 * given), else null. */
HWND WalkControl(HWND window, int32_t id, const char *cls = nullptr);
bool WalkEnabled(HWND window, const WalkRow &row);
/* The switches of a window that is not a command dialog: its check boxes,
 * radio buttons and edit fields, in the order of its children. */
std::vector<HWND> WalkSwitches(HWND window);
/* The id a switch is known by (a combo box's edit: its box's). */
int32_t WalkSwitchId(HWND sw);
/* The window's tab controls. */
std::vector<HWND> WalkTabs(HWND window);
/* What a switch greys: each control whose enabled state differs between the
 * switch on (checked, chosen, or a text typed) and off (unchecked, the
 * radio first chosen, or emptied), as "+id" (enabled when on) or "-id", in
 * id order, a space between; the switch is put back. */
std::string WalkSwitchEffect(HWND window, HWND sw);
/* Chooses the row as the user does. */
void WalkPerform(HWND window, const WalkRow &row);
const char *WalkViaName(int via);
/* A toolbar row's tooltip as the bar gives it to its tooltip window, and
 * whether its button shows the program's picture (a bitmap resource). */
std::string WalkTooltip(HWND window, const WalkRow &row);
bool WalkPictureIs(HWND window, const WalkRow &row, int32_t picture);

/* Named values of what the user sees and what the program did: the
 * windows of this thread, the boxes, questions and modal windows met, the
 * clipboard, the refreshes asked for, the profile words, the frame, its
 * tree's lines and its panes, the command dialog of the window in detail
 * (its words, editor and position among them), or the status line of a
 * window of its own. */
typedef std::map<std::string, std::string> Snapshot;
Snapshot Observe(HWND window);
/* "key: was -> now" lines of every value that changed or came. */
std::string Changes(const Snapshot &before, const Snapshot &after);
/* Queues of RAVOLT.DEMO whose depths Observe reads through the MQI
 * ("depth/NAME"), until set again. */
void WalkWatchDepths(const std::vector<std::string> &queues);

/* The modal windows met while a row runs (a file dialog, the print
 * dialog, a confirmation box) are noted and answered: "No" or "Cancel". */
void WalkStartAnswering(void);
/* Answer "Yes" (1) instead, until set back (0). */
void WalkAnswerYes(int yes);
void WalkStopAnswering(void);
std::vector<std::string> &ModalsMet(void);

/* Closes the top-level windows of this thread that are not in before
 * (frames included), and pumps. */
void CloseNewWindows(const Snapshot &before, HWND keep = nullptr);

/* The reply of the dialog's last command in (nothing outstanding, the
 * last sequence answered), and pumped; 8 s at the most. */
void WalkAnswered(DialogWords *d);

/* The command dialog of a window (a frame: none). */
DialogWords *WalkDialog(HWND window);
/* The newest open command dialog whose definition title is title. */
DialogWords *NewestDialog(const char *title);
