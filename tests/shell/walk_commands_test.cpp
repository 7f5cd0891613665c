/* Every command of every kind of window the program opens, walked
 * through the real windows over the program's own wiring: each row of
 * the menus and context menus, each push button, toolbar button and
 * accelerator is greyed or chosen, and must change what its text says
 * (the table below, written from what each row's text and the program's
 * description promise).  A row the table does not know fails, so a new
 * row needs its line here.  The count per kind of window is printed. */
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>

#include "walk.h"
#include "cmddlg.h"
#include "pcflistwin.h"
#include "pcflists.h"
#include "pcfwin.h"
#include "prfdata.h"
#include "shellint.h"
#include "shellwork.h"
#include "cs.h"
#include "qms.h"
#include "locstore.h"
#include "mq/mqown.h"
#include "mqi.h"
#include "edpane.h"
#include "command.h"
#include "dd.h"
#include "pwcache.h"

#include <commctrl.h>

/* Rows found failing and not mended yet: each is reported on every run
 * (the closing note lists them); its fault mended, the mark goes. */
static const char *const OPEN = "open";

enum : uint64_t {
    TWICE = 0x1,        /* a toggle: chosen again to put it back (and its
                           before row too) */
    ROW = 0x2,          /* needs a selected list row */
    SELECTED = 0x4,     /* needs a selection in the message */
    EDITED = 0x8,       /* needs an edit of the message (undone after) */
    UNDONE = 0x10,      /* needs an edit undone */
    CLIP = 0x20,        /* needs text on the clipboard */
    UNDO = 0x40,        /* its edit of the message is undone after */
    CONNECT = 0x80,     /* the location is connected again after */
    WINDOW = 0x100,     /* needs a command dialog open beside */
    FIND = 0x200,       /* needs a find text */
    FILTER = 0x400,     /* needs a text in the filter field (cleared after) */
    NEWQ = 0x800,       /* needs a queue name no queue has yet */
    SEARCH = 0x1000,    /* needs a search other than the saved one, applied:
                           "walked", or none when that is the saved one */
    RESTORE = 0x4000,   /* the windows are restored after */
    FIRST = 0x8000,     /* needs the first message shown */
    BIG = 0x10000,      /* needs the message retrieved only in part */
    NOSEL = 0x20000,    /* needs no selection in the message */
    STEP = 0x40000,     /* needs a step made in the message (something to repeat) */
    CONSOLE = 0x80000,  /* needs a command typed into the console */
    DRAG = 0x100000,    /* needs a column made wider by its title's border */
    TONAME = 0x200000,  /* needs a new name to copy to */
    QMAGAIN = 0x400000, /* the dialog's own queue manager is chosen again after */
    RELIST = 0x800000,  /* the lists its answer makes stale are refreshed after (waited for) */
    YES = 0x1000000,    /* its questions are answered yes (else no) */
    NOROW = 0x2000000,  /* needs no list row selected */
    NOCLIP = 0x4000000, /* needs the clipboard empty */
    SAME = 0x8000000,   /* the messages' target is their own queue */
    TOQ = 0x10000000,   /* the messages' target is WALK.Q */
    NOASK = 0x20000000, /* the confirmations of copy, move, delete and of
                           deleting a location are off (on again after) */
    LASTROW = 0x40000000, /* needs the list refreshed and its last row selected */
    OTHERLOC = 0x80000000ull, /* needs a location WALK.LOC of its own selected
                                 (removed after, when still there) */
    OFFLINE = 0x100000000ull, /* needs the location disconnected */
    INDATA = 0x200000000ull,  /* needs the cursor at the start of the data, no selection */
    ONTAG = 0x400000000ull,   /* needs the cursor on the message's first tag */
    NOCFG = 0x800000000ull,   /* needs the configuration file removed */
    MARKED = 0x1000000000ull, /* needs the mark set at the start of the data */
    PAGE1 = 0x2000000000ull,  /* the list's first page is shown again after */
    AUTOBODY = 0x4000000000ull, /* the body kind is automatic again after */
    DOWNLOAD = 0x8000000000ull, /* needs the location's default objects downloaded */
    QLINE = 1ull << 50,         /* needs the tree's line of WALK.MSGS selected */
    TEXTS = 1ull << 51,         /* a window's own fields typed: find "walk", replace
                                   "run" */
    BLANK = 1ull << 52,         /* those fields emptied */
    NAMED = 1ull << 53,         /* its file name is the walk's file ($file) */
    NOTDRASK = 1ull << 54,      /* the walk's file holds a line of text */
    PICKED = 1ull << 55,        /* its lists as they were at opening (Reset), the
                                   second entry of the first selected */
    UNPICKED = 1ull << 59,      /* its lists as at opening, nothing selected */
    TWOPICKED = 1ull << 43,     /* as PICKED, with the third entry selected too */
    TOCLIP = 1ull << 56,        /* its export goes to the clipboard */
    TICKED = 1ull << 57,        /* its "Append" box ticked */
    RATED = 1ull << 58,         /* its rate typed: "1 Min" */
    LONGPWC = 0x10000000000ull, /* needs a password cache file name too long to resolve
                                   (typed into Preferences; emptied after) */
    HIDDEN = 1ull << 41,        /* needs every location selected, then hidden by a
                                   search for a name none has (cleared after) */
    WALKF = 1ull << 42,         /* needs a local filter WALKF added through the
                                   window and selected (deleted after) */
    PASSWORD = 1ull << 44,      /* its password fields typed: "walk" (the location's
                                   password emptied after) */
    MISTYPED = 1ull << 45,      /* its password's confirmation typed otherwise: "run" */
    WRONGPW = 1ull << 46,       /* its old password (else its password) typed otherwise:
                                   "run" */
    NOLOC = 1ull << 47,         /* needs no line of the tree selected */
    USERID = 0x2000,            /* its "Userid and Password" ticked (stored at once) and
                                   its upper case "Userid" ticked (not yet stored); the
                                   location's password "walk" (all cleared after, the
                                   window closed) */
    KDB = 1ull << 49,           /* the location's key database password "walk" (the
                                   location without a key database after) */
    CHOSEN = 1ull << 60,        /* every location shown selected, the field "Network
                                   Names" chosen and "WALKNET" typed as its new value;
                                   the location's names "DEMONET" (put back after, the
                                   window closed) */
    VIA = 1ull << 48,           /* with OTHERLOC: WALK.LOC is reached through
                                   RAVOLT.DEMO */
    OWNQM = 1ull << 62,         /* with SAME: the target queue manager left blank
                                   (the source's own) */
    STARQM = 1ull << 63,        /* with SAME: the target queue manager "*" (the
                                   source's own) */
};

struct Expect {
    const char *kinds;  /* "|"-separated kinds of window, "*" every kind */
    int32_t id;
    const char *text;   /* the row's menu text or button label (a toolbar
                           button's tooltip is this text without "&" and
                           what follows a tab); null: the row has none */
    const char *effect; /* what the row must change (Holds): alternatives
                           "||", each of clauses "&&" that must all hold;
                           "grey": it must be greyed; "none": the program's
                           description gives it nothing to do */
    uint64_t flags;
    const char *until;  /* OPEN: found failing, not mended yet; or null */
    int32_t before;     /* a row chosen first (the state it changes from), or 0 */
};

#define MSGS "frame list|Message List"
#define MSG "frame message|Message"
#define LISTS "frame list|Message List|Queue List"

static const Expect Table[] = {
    /* ---- the frame: its menus, keys and the location's context menu ---- */
    { "frame", 886, "New instance...\tCtrl-i", "frames +1", 0, nullptr },
    { "frame", 749, "&Open Location...\tCtrl-o", "'Location Settings - RAVOLT.DEMO'", 0, nullptr },
    { "frame", 518, "&Add Location...", "'Add Location'", 0, nullptr },
    { "frame", 686, "&Copy location...", "'Add Location'", 0, nullptr },
    /* with no location selected: added, but none to open, copy, delete,
       refresh, disconnect, put to, publish to, load or unload, or read
       the files of */
    { "frame", 518, nullptr, "'Add Location'", NOLOC, nullptr },
    { "frame", 749, nullptr, "grey", NOLOC, nullptr },
    { "frame", 686, nullptr, "grey", NOLOC, nullptr },
    { "frame", 750, nullptr, "grey", NOLOC, nullptr },
    { "frame", 508, nullptr, "grey", NOLOC, nullptr },
    { "frame", 621, nullptr, "grey", NOLOC, nullptr },
    { "frame", 641, nullptr, "grey", NOLOC, nullptr },
    { "frame", 747, nullptr, "grey", NOLOC, nullptr },
    { "frame", 731, nullptr, "grey", NOLOC, nullptr },
    { "frame", 815, nullptr, "grey", NOLOC, nullptr },
    { "frame", 816, nullptr, "grey", NOLOC, nullptr },
    /* nor those of a location reached through another queue manager */
    { "frame", 815, nullptr, "grey", OTHERLOC | VIA, nullptr },
    { "frame", 816, nullptr, "grey", OTHERLOC | VIA, nullptr },
    { "frame", 938, "Change &Multiple Locations...", "'Change Multiple Location'", 0, nullptr },
    { "frame", 884, "&From CCDT...", "'Ravolt Import CCDT Locations'", 0, nullptr },
    { "frame", 862, "&Local Queue Managers...",
      "boxes +1 && box = Ravolt Queue Manager Import: No additional local Queue Managers found", 0, nullptr },
    { "frame", 956, "From MQ Explorer file...", "'Ravolt Import MQ Explorer Locations'", 0, nullptr },
    { "frame", 931, "From Ravolt Configuration File...", "'Ravolt Import Ravolt Configuration'", 0, nullptr },
    /* asked and refused; not asked with the confirmation off; asked and agreed */
    { "frame", 750, "&Delete Location\tCtrl-d",
      "questions +1 && question = delete location 'RAVOLT.DEMO' && frame.line0 same", 0, nullptr },
    { "frame", 750, nullptr, "questions same && frame.line1 gone", OTHERLOC | NOASK, nullptr },
    { "frame", 750, nullptr, "questions +1 && question = delete location 'WALK.LOC' && frame.line1 gone",
      OTHERLOC | YES, nullptr },
    { "frame", 508, "&Refresh Information\tCtrl-r", "refreshes +1 && refresh = RAVOLT.DEMO '*'", 0, nullptr },
    { "frame", 621, "&Disconnect", "demo = not connected suspended", CONNECT, nullptr },
    /* nothing to connect: said, not asked; one to connect: asked, refused
       and agreed */
    { "frame", 883, "Connect All Shown",
      "questions same && boxes +1 && "
      "box = Ravolt Information: There are no Queue Managers in the list which need to be connected to", 0, nullptr },
    { "frame", 883, nullptr,
      "questions +1 && question = !This will attempt to connect to one Queue Manager.\nDo you want to continue? '' "
      "&& demo same", OFFLINE | CONNECT, nullptr },
    { "frame", 883, nullptr,
      "questions +1 && question = !This will attempt to connect to one Queue Manager.\nDo you want to continue? '' "
      "&& demo = connected", OFFLINE | YES | CONNECT, nullptr },
    { "frame", 882, "Disconnect All Shown",
      "questions +1 && question = !This will disconnect from one Queue Manager.\nDo you want to continue? '' "
      "&& demo same", 0, nullptr },
    { "frame", 882, nullptr,
      "questions +1 && question = !This will disconnect from one Queue Manager.\nDo you want to continue? '' "
      "&& demo = not connected suspended", YES | CONNECT, nullptr },
    { "frame", 882, nullptr,
      "questions same && boxes +1 && box = Ravolt Information: There are no connected Queue Managers in the list",
      OFFLINE | CONNECT, nullptr },
    { "frame", 522, "&Save Configuration\tCtrl-s", "config new", NOCFG, nullptr },
    /* answered no: agreed, the program would end under the walk */
    { "frame", 519, "E&xit", "questions +1 && question = exit the program ''", 0, nullptr },
    /* the editor rows act on the frame's message pane (the first message,
       "first <a>walk</a>", 17 bytes under its heading line) */
    { "frame", 894, "Undo\tCtrl-z", "msgpane.data -1 && msgpane.cursor = 1,3", EDITED, nullptr },
    { "frame", 894, nullptr, "grey", FIRST, nullptr },
    { "frame", 895, "Redo\tCtrl-y", "msgpane.data +1 && msgpane.cursor = 1,4", UNDONE | UNDO, nullptr },
    { "frame", 895, nullptr, "grey", FIRST, nullptr },
    { "frame", 6004, "Repeat Last Action\tCtrl-Shift-r", "msgpane.position +1", FIRST | STEP, nullptr },
    { "frame", 6004, nullptr, "grey", FIRST, nullptr },
    { "frame", 897, "Cut\tCtrl-x",
      "clipboard = [   17 bytes] Message Content\r\nfirst <a>walk</a> && clipboard.hex = 6669727374203C613E77616C6B3C2F613E "
      "&& msgpane.data = 0 && msgpane.status = Copied to Clipboard  : Text(48 bytes) Data(17 bytes)",
      FIRST | SELECTED | CLIP | UNDO, nullptr },
    { "frame", 897, nullptr, "grey", NOSEL, nullptr },
    { "frame", 896, "Copy\tCtrl-c",
      "clipboard = [   17 bytes] Message Content\r\nfirst <a>walk</a> && clipboard.hex = 6669727374203C613E77616C6B3C2F613E "
      "&& msgpane.status = Copied to Clipboard  : Text(48 bytes) Data(17 bytes)", FIRST | SELECTED | CLIP, nullptr },
    { "frame", 896, nullptr, "grey", NOSEL, nullptr },
    /* over the selection, before the data without one, and with nothing to paste */
    { "frame", 898, "Paste\tCtrl-v", "msgpane.data = 4 && msgpane.cursor = 1,4", FIRST | SELECTED | CLIP | UNDO, nullptr },
    { "frame", 898, nullptr, "msgpane.data +4 && msgpane.cursor = 1,4", FIRST | INDATA | CLIP | UNDO, nullptr },
    { "frame", 898, nullptr, "msgpane.status = No data in clipboard && msgpane.data same", FIRST | SELECTED | NOCLIP | UNDO,
      nullptr },
    { "frame", 899, "Paste All\tCtrl-Shift-v", "msgpane.data = 4 && msgpane.cursor = 1,4", SELECTED | CLIP | UNDO,
      nullptr },
    { "frame", 899, nullptr, "msgpane.data +4 && msgpane.cursor = 1,4", FIRST | INDATA | CLIP | UNDO, nullptr },
    { "frame", 937, "Select All\tCtrl-a", "msgpane.anchor = 0,0 && msgpane.cursor = 1,17", FIRST | NOSEL, nullptr },
    { "frame", 900, "Find and Replace...\tCtrl-f", "'Find and Replace'", 0, nullptr },
    { "frame", 901, "Expand edit panel\tCtrl-e", "frame.flags ^40000 && frame.panes = message", TWICE, nullptr },
    { "frame", 542, "Queue &Manager...", "'[] RAVOLT.DEMO/Queue Manager'", 0, nullptr },
    /* the one beside is brought forward */
    { "frame", 543, "Command Level...", "active = [] RAVOLT.DEMO/Command Level", 0, nullptr },
    { "frame", 556, "MQSC Commands...", "'[] RAVOLT.DEMO/MQSC Commands'", 0, nullptr },
    { "frame", 534, "Queue List...", "'[] RAVOLT.DEMO/Queue List '*''", 0, nullptr },
    { "frame", 588, "Queue List...", "'[] RAVOLT.DEMO/Queue List '*''", 0, nullptr },
    { "frame", 533, "Queue...", "'[] RAVOLT.DEMO/Queue'", 0, nullptr },
    { "frame", 566, "Message List...", "'[] RAVOLT.DEMO/Message List:2'", 0, nullptr },
    { "frame", 594, "Message List...", "'[] RAVOLT.DEMO/Message List:2'", 0, nullptr },
    { "frame", 565, "Message Detail...", "'[] RAVOLT.DEMO/Message Detail'", 0, nullptr },
    /* no broker runs: the lists wait for it */
    { "frame", 591, "Broker Subscribers...", "'[] RAVOLT.DEMO/Broker Subscribers waiting...'", 0, nullptr },
    { "frame", 592, "Broker Publishers...", "'[] RAVOLT.DEMO/Broker Publishers waiting...'", 0, nullptr },
    { "frame", 641, "&Put Message...", "'MQPUT from 'RAVOLT.DEMO''", 0, nullptr },
    { "frame", 747, "Publish Message...", "'Publish from 'RAVOLT.DEMO''", 0, nullptr },
    { "frame", 731, "Load/Unload Queue...\tCtrl-l", "'Queue Load/Unload from 'RAVOLT.DEMO''", 0, nullptr },
    { "frame", 685, "Filters...\tCtrl-m", "'Filter Manager'", 0, nullptr },
    /* the display flags, each read back in the tree's lines and the
       check marks of the View menu (and of the location's context menu,
       which has the depth's row): set, and cleared again (the lines
       rebuilt both ways) */
    { "frame", 885, "Show Queue Depth",
      "frame.flags ^8000 && frame.checks ~ 885 && frame.ctxchecks ~ 885 && frame.queue/WALK.MSGS = WALK.MSGS  (3)", TWICE, nullptr },
    { "frame", 885, nullptr,
      "frame.flags ^8000 && frame.checks !~ 885 && frame.ctxchecks !~ 885 && frame.queue/WALK.MSGS = WALK.MSGS", 0, nullptr, 885 },
    { "frame", 907, "Include Queue Manager Name",
      "frame.flags ^10000 && frame.checks !~ 907 && frame.line0 = RAVOLT.DEMO", TWICE, nullptr, 908 },
    /* the name stays while the location is not included: said, not done */
    { "frame", 907, nullptr,
      "frame.status = The queue manager name stays while the location is not included && frame.flags same", 0, nullptr },
    { "frame", 908, "Include Location",
      "frame.flags ^20000 && frame.checks ~ 908 && frame.line0 = RAVOLT.DEMO - RAVOLT.DEMO", TWICE, nullptr },
    { "frame", 908, nullptr,
      "frame.flags ^20000 && frame.checks !~ 908 && frame.line0 = RAVOLT.DEMO", 0, nullptr, 908 },
    { "frame", 790, "Include &MQ Version",
      "frame.flags ^40 && frame.checks ~ 790 && frame.line0 = RAVOLT.DEMO - MQ9.4", TWICE, nullptr },
    { "frame", 790, nullptr, "frame.flags ^40 && frame.checks !~ 790 && frame.line0 = RAVOLT.DEMO", 0, nullptr, 790 },
    { "frame", 933, "Include Queue Count",
      "frame.flags ^100000 && frame.checks ~ 933 && frame.line0 = RAVOLT.DEMO - ($queues)", TWICE, nullptr },
    { "frame", 933, nullptr,
      "frame.flags ^100000 && frame.checks !~ 933 && frame.line0 = RAVOLT.DEMO", 0, nullptr, 933 },
    { "frame", 939, "&Queues Prefix\tAlt-p",
      "frame.flags ^800000 && frame.checks ~ 939 && frame.fields = prefix ", TWICE, nullptr },
    { "frame", 881, "&Search Locations\tAlt-s",
      "frame.flags ^8 && frame.checks ~ 881 && frame.fields = search ", TWICE, nullptr },
    { "frame", 909, "&Search Queues\tAlt-q",
      "frame.flags ^80000 && frame.checks ~ 909 && frame.fields = queues ", TWICE, nullptr },
    { "frame", 934, "Save search values",
      "frame.status = Default search values saved. && frame.searches = walked|", SEARCH, nullptr },
    /* the saved search back in its field and applied: no location
       matches "walked", so the tree has no location line */
    { "frame", 935, "Restore search values", "frame.searchtext = walked| && frame.line0 gone && frame.lines = 0",
      SEARCH, nullptr },
    { "frame", 893, "Expert Mode", "prf.opt1 ^200000", TWICE, nullptr },
    { "frame", 815, "&Local Error Log File...", "'RAVOLT.DEMO Error Log'", 0, nullptr },
    { "frame", 816, "&Local INI File...", "'RAVOLT.DEMO Local INI file'", 0, nullptr },
    { "frame", 546, "&Preferences...\tCtrl-p", "'Kelvane Preferences'", 0, nullptr },
    { "frame", 544, "Windows...", "modals +1 && modal ~ #32770 'Font' |", 0, nullptr },
    { "frame", 586, "Message...", "modals +1 && modal ~ #32770 'Font' |", 0, nullptr },
    { "frame", 584, "Set &Colours...", "'Kelvane Colour Chooser'", 0, nullptr },
    /* the windows: the Command Level dialog beside the frame */
    { "frame", 651, "Close &all", "windows !~ '[] RAVOLT.DEMO/Command Level'", WINDOW, nullptr },
    { "frame", 653, "Close all &windows", "windows !~ '[] RAVOLT.DEMO/Command Level'", WINDOW, nullptr },
    { "frame", 654, "&Minimize all",
      "frame.iconic = yes && windows ~ '[] RAVOLT.DEMO/Command Level' min", WINDOW | RESTORE, nullptr },
    /* two windows over the work area: two rows, or two columns */
    { "frame", 806, "&Tile Horizontal all", "frame.rect = $tilerows", WINDOW | RESTORE, nullptr },
    { "frame", 805, "&Tile Vertical all", "frame.rect = $tilecolumns", WINDOW | RESTORE, nullptr },
    { "frame", 3000, "RAVOLT.DEMO/Command Level", "active = [] RAVOLT.DEMO/Command Level", WINDOW, nullptr },
    /* no help file is installed: the box says where to name one */
    { "frame", 529, "Help...\tF1",
      "boxes +1 && box ~ can not be opened. \nPlease update the help file location in the preferences dialog", 0, nullptr },
    { "frame", 932, "Check for latest Ravolt version...", "'Ravolt Version Check'", 0, nullptr },
    { "frame", 528, "A&bout...", "'About Kelvane - Ravolt'", 0, nullptr },
    /* the message pane's view words, by their keys */
    { "frame", 573, nullptr, "msgpane.words0 ^400", TWICE, nullptr },
    { "frame", 570, nullptr, "msgpane.words0 clr ff set 1", 0, nullptr, 571 },
    { "frame", 571, nullptr, "msgpane.words0 clr ff set 2", 0, nullptr, 570 },
    { "frame", 572, nullptr, "msgpane.words0 clr ff set 3", 0, nullptr, 571 },
    { "frame", 568, nullptr, "msgpane.words0 set 10100 clr 200", 0, nullptr, 569 },
    { "frame", 569, nullptr, "msgpane.words0 set 10200 clr 100", 0, nullptr, 568 },
    /* keys of the accelerator table that the command dispatch leaves
       without a command */
    { "frame", 866, nullptr, "none", 0, nullptr },
    { "frame", 523, nullptr, "none", 0, nullptr },
    /* on the tag "<a>" (the body shown as XML: "first", "<a>", "walk", "</a>")
       its partner is found; elsewhere the status says why not */
    { "frame", 910, nullptr, "msgpane.cursor = 4,0", FIRST | ONTAG, nullptr },
    { "frame", 910, nullptr, "msgpane.status = Please put the cursor on a tag field", FIRST | NOSEL, nullptr },
    /* "walk" lies only before the cursor: forward wraps round to it */
    { "frame", 902, nullptr,
      "msgpane.cursor = 1,9 && msgpane.anchor = 1,13 && msgpane.status = Text found at line:2: wrapped....", FIRST | FIND,
      nullptr },
    { "frame", 903, nullptr,
      "msgpane.cursor = 1,9 && msgpane.anchor = 1,13 && msgpane.status = Text found at line:2", FIRST | FIND, nullptr },

    /* ---- windows without menus: their buttons ---- */
    /* nothing named: refused with its reason (the actions walk stores one) */
    { "Filter Manager", 1, "OK", "dialog.status = Please enter a name for this filter && dialog.window same", 0,
      nullptr },
    { "Filter Manager", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* nothing edited: Apply has nothing to write */
    { "Filter Manager", 131, "Apply", "none", 0, nullptr },
    /* nothing selected: said; a filter selected: asked, refused and agreed */
    { "Filter Manager", 260, "Delete", "dialog.status = No filter item selected", 0, nullptr },
    { "Filter Manager", 260, nullptr, "questions +1 && question = delete local filter 'WALKF' && dialog.status same",
      WALKF, nullptr },
    { "Filter Manager", 260, nullptr,
      "questions +1 && question = delete local filter 'WALKF' && dialog.status = Filter 'WALKF' deleted.",
      WALKF | YES, nullptr },
    /* no shared filter file is named */
    { "Filter Manager", 469, "Export Shared", "grey", 0, nullptr },
    { "Preferences", 1, "OK", "dialog.window gone", 0, nullptr },
    { "Preferences", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "Preferences", 131, "Apply", "none", 0, nullptr },
    /* the cache file named by default is offered; a name that resolves to
       no file is not */
    { "Preferences", 484, "Access Cache",
      "modals +1 && modal ~ 'Ravolt - Confirmation' | The password cache file && "
      "modal ~ RAVOLT.PWC' does not exist - do you want to create it?", 0, nullptr },
    { "Preferences", 484, nullptr, "grey", LONGPWC, nullptr },
    /* with no cache file yet, setting its password offers to create it */
    { "Preferences", 482, "Set Password",
      "modals +1 && modal ~ 'Ravolt - Confirmation' | The password cache file && "
      "modal ~ RAVOLT.PWC' does not exist - do you want to create it?", 0, nullptr },
    { "Preferences", 482, nullptr, "grey", LONGPWC, nullptr },
    /* each notice window tried as it will show */
    { "Preferences", 551, "Test", "'Ravolt Splash Information'", 0, nullptr },
    { "Preferences", 559, "Test", "'Ravolt Splash Information'", 0, nullptr },
    { "Preferences", 561, "Test", "'Ravolt Splash Information'", 0, nullptr },
    /* an empty location is refused with its reason */
    { "Add Location", 1, "Add", "boxes +1 && box = Parameter error: Please enter a value for 'Location'", 0, nullptr },
    { "Add Location", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* Configure goes with a client connection (the demo binds locally) */
    { "Add Location|Location Settings", 149, "Configure", "grey", 0, nullptr },
    { "Location Settings", 1, "OK", "dialog.window gone", 0, nullptr },
    { "Location Settings", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "Location Settings", 131, "Apply", "none", 0, nullptr },
    { "Location Settings", 957, "Disconnect", "demo = not connected suspended", CONNECT, nullptr },
    { "Location Settings", 957, nullptr, "demo = connected", OFFLINE | CONNECT, nullptr },
    { "Location Settings", 958, "INI File...", "'RAVOLT.DEMO Local INI file'", 0, nullptr },
    /* the Security tab's buttons: each stores the tab first (its upper
       case "Userid" read back from the location), then asks for the
       credentials or forgets the saved password; the key database's
       password is forgotten, and without one there is nothing to do */
    { "Location Settings", 482, "Set Password", "grey", 0, nullptr },
    { "Location Settings", 482, nullptr, "'Credentials for connecting to 'RAVOLT.DEMO'' && demo.flags2 set 80", USERID,
      nullptr },
    { "Location Settings", 483, "Delete Password", "grey", 0, nullptr },
    { "Location Settings", 483, nullptr, "demo.password = && demo.flags2 set 80 && demo.flags same", USERID, nullptr },
    { "Location Settings", 604, "Forget KDB Password", "none", 0, nullptr },
    { "Location Settings", 604, nullptr, "demo.kdb = && demo.password same", KDB, nullptr },
    { "Location Settings", 959, "Error Log...", "'RAVOLT.DEMO Error Log'", 0, nullptr },
    /* the selection of the locations list, read back from the list and in
       the status line (shown, all, selected); with the selected location
       hidden by the search, the search's Deselect leaves it and the
       other deselects it */
    { "Change Multiple Locations", 581, "Select",
      "dialog.selected = RAVOLT.DEMO && dialog.status = 1 of 1 (1 selected)", 0, nullptr, 541 },
    { "Change Multiple Locations", 582, "Deselect", "dialog.selected = && dialog.status = 1 of 1 (0 selected)", 0,
      nullptr, 581 },
    { "Change Multiple Locations", 582, nullptr, "dialog.selected same && dialog.status = 0 of 1 (1 selected)", HIDDEN,
      nullptr },
    { "Change Multiple Locations", 541, "Deselect", "dialog.selected = && dialog.status = 1 of 1 (0 selected)", 0,
      nullptr, 581 },
    { "Change Multiple Locations", 541, nullptr, "dialog.selected = && dialog.status = 0 of 1 (0 selected)", HIDDEN,
      nullptr },
    /* no attribute chosen: nothing to set, add or remove */
    { "Change Multiple Locations", 594, "Set New Value", "grey", 0, nullptr },
    { "Change Multiple Locations", 595, "Add", "grey", 0, nullptr },
    { "Change Multiple Locations", 596, "Remove", "grey", 0, nullptr },
    /* "Network Names" chosen: each button's result read back from the
       location's stored names */
    { "Change Multiple Locations", 594, nullptr,
      "demo.netnames = WALKNET && dialog.status = Locations set to new values", CHOSEN, nullptr },
    { "Change Multiple Locations", 595, nullptr, "demo.netnames = DEMONET, WALKNET", CHOSEN, nullptr },
    { "Change Multiple Locations", 596, nullptr, "demo.netnames = DEMONET", CHOSEN, nullptr, 595 },
    { "Change Multiple Locations", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* no queue: refused with its reason (the actions walk loads and unloads) */
    { "Load/Unload", 1, "OK", "dialog.status = Please enter a value for 'Input Queue' && dialog.window same", 0,
      nullptr },
    { "Load/Unload", 131, "Apply", "none", 0, nullptr },
    { "Load/Unload", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "Put", 288, "Choose File", "modals +1 && modal ~ #32770 'Input Message file name'", 0, nullptr },
    /* no queue, no topic: refused with their reasons (the actions walk puts
       and publishes) */
    { "Put", 1, "Put", "dialog.status = Please enter a value for 'Queue Name' && dialog.window same", 0, nullptr },
    { "Put", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "Publish", 1, "Publish", "dialog.status = Please enter a value for 'Topic Name' && dialog.window same", 0,
      nullptr },
    { "Publish", 2, "Cancel", "dialog.window gone", 0, nullptr },

    /* ---- the Queue dialog's actions ---- */
    { "Queue", 565, "&Define", ".status = Queue '$newq' defined", NEWQ, nullptr },
    { "Queue", 575, "&Alter", ".status = Queue '$newq' altered", 0, nullptr },
    { "Queue", 577, "C&opy", ".status = Queue '$newq' copied", TONAME, nullptr },
    /* asked and refused */
    { "Queue", 578, "De&lete",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to delete queue '$newq' ?", 0,
      nullptr },
    { "Queue", 579, "&Clear",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to clear queue '$newq' ?", 0,
      nullptr },
    { "Queue", 580, "Reset &Statistics", ".status = Statistics of queue '$newq' reset", 0, nullptr },
    { "Queue", 581, "Close &Handles", ".status = Handles of queue '$newq' closed", 0, nullptr },
    { "Queue", 566, "&Browse", "'[] RAVOLT.DEMO/Message List '$newq':2'", 0, nullptr },
    { "Queue", 567, "&Put...", "'MQPUT from 'RAVOLT.DEMO''", 0, nullptr },
    { "Queue Manager", 575, "&Alter", ".status = Queue manager 'RAVOLT.DEMO' altered", 0, nullptr },
    { "Queue Manager", 576, "&Status", ".status = Status refreshed && .sent +1", 0, nullptr },
    { "Command Level", 564, "&Ok", "dialog.window gone", 0, nullptr },

    /* the comparison with the default objects: greyed until the location's
       download has kept them, then its view's bit (the last row walked
       before it: the download stays) */
    { "Queue", 736, "Display difference from default", "grey", 0, nullptr },
    { "Queue", 736, nullptr, ".view ^200000", DOWNLOAD | TWICE, nullptr },

    /* ---- the Queue List's actions on a row (WALK.Q), and without one ---- */
    { "Queue List", 517, "&Properties...", "'[] RAVOLT.DEMO/Queue 'WALK.Q''", ROW, nullptr },
    { "Queue List", 517, nullptr, "grey", NOROW, nullptr },
    { "Queue List", 565, "&New...", "'[] RAVOLT.DEMO/Queue'", ROW, nullptr },
    { "Queue List", 578, "De&lete",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to delete queue 'WALK.Q' ?", ROW,
      nullptr },
    { "Queue List", 578, nullptr, "grey", NOROW, nullptr },
    { "Queue List", 579, "&Clear",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to clear queue 'WALK.Q' ?", ROW,
      nullptr },
    { "Queue List", 579, nullptr, "grey", NOROW, nullptr },
    { "Queue List", 580, "Reset &Statistics", ".status = Statistics of queue 'WALK.Q' reset", ROW, nullptr },
    { "Queue List", 580, nullptr, "grey", NOROW, nullptr },
    { "Queue List", 566, "&Browse", "'[] RAVOLT.DEMO/Message List 'WALK.Q':2'", ROW, nullptr },
    { "Queue List", 566, nullptr, "grey", NOROW, nullptr },
    { "Queue List", 567, "&Put...", "'MQPUT from 'RAVOLT.DEMO''", ROW, nullptr },
    { "Queue List", 583, "&Load/Unload...", "'Queue Load/Unload from 'RAVOLT.DEMO''", ROW, nullptr },
    { "Queue List", 584, "&Publish...", "'Publish from 'RAVOLT.DEMO''", ROW, nullptr },
    { "Queue List", 585, "Show &All Types", ".sent +1", 0, nullptr },
    { "Queue List", 505, "Alter List...", "'Change Queue List attributes'", 0, nullptr },
    { "Queue List", 616, "Make Filter Default", ".deffilter = curdepth > 100000", FILTER, nullptr },
    { "Queue List", 748, "Hide System Objects", ".hidesys = on && .checks ~ 748 && .shown -56", TWICE, nullptr },
    /* the display text of the selected row */
    { "Queue List", 796, "Copy to clipboard", "clipboard ~ WALK.Q", ROW | CLIP, nullptr },
    { "Queue List", 1, "&Refresh", ".status = Display refreshed && .sent +1||.status = RAVOLT.DEMO:Display refreshed && .sent +1",
      0, nullptr },
    { "Queue List", 23, "Filter",
      ".status = No definitions found with a matching Current Queue Depth value. && .shown = 0", FILTER, nullptr },

    /* ---- the Message List's actions: on the first row, the last, or none ---- */
    /* the pane's queue name filled again by the reply is no change of name:
       the message alone is asked for */
    { "frame list", 596, "&Open", "msgpane.sent +1 && msgpane.status = Message refreshed", ROW, nullptr },
    { "Message List", 596, "&Open", "'[] RAVOLT.DEMO/Message 'WALK.MSGS''", ROW, nullptr },
    { MSGS, 596, nullptr, "grey", NOROW, nullptr },
    /* to another queue: asked, refused and agreed; not asked with the
       confirmation off; to its own queue: the question of the same queue,
       refused and agreed (and then no other question) */
    { MSGS, 597, "&Copy",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to copy message 'WALK.Q' ? "
      "&& depth/WALK.Q same", ROW | TOQ, nullptr },
    { MSGS, 597, nullptr, "modals +1 && depth/WALK.Q +1", ROW | TOQ | YES | RELIST, nullptr },
    { MSGS, 597, nullptr, "modals same && depth/WALK.Q +1", ROW | TOQ | NOASK | RELIST, nullptr },
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS same", ROW | SAME, nullptr },
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS +1", ROW | SAME | YES | RELIST,
      nullptr },
    /* the target's queue manager left blank or "*": the source's own, so
       the same question, refused and agreed */
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS same", ROW | SAME | OWNQM, nullptr },
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS +1", ROW | SAME | OWNQM | YES |
      RELIST, nullptr },
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS same", ROW | SAME | STARQM, nullptr },
    { MSGS, 597, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS +1", ROW | SAME | STARQM | YES |
      RELIST, nullptr },
    { MSGS, 597, nullptr, "grey", NOROW, nullptr },
    { MSGS, 598, "&Move",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to move message 'WALK.Q' ? "
      "&& depth/WALK.MSGS same", ROW | TOQ, nullptr },
    { MSGS, 598, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The source and target queue is the same queue, "
      "'WALK.MSGS'.\r\n\r\nAre you sure you want to continue? && depth/WALK.MSGS same", ROW | SAME, nullptr },
    { MSGS, 598, nullptr, "grey", NOROW, nullptr },
    /* refused on the first, agreed on the last (the copy made above) */
    { MSGS, 599, "De&lete",
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Are you sure you want to delete message 'WALK.MSGS' ? "
      "&& depth/WALK.MSGS same", ROW | TOQ, nullptr },
    { MSGS, 599, nullptr, "modals +1 && depth/WALK.MSGS -1", LASTROW | TOQ | YES | RELIST, nullptr },
    { MSGS, 599, nullptr, "grey", NOROW, nullptr },
    /* a list holds no edited message to put as a new one */
    { MSGS, 941, "Add : (Default)", "grey", ROW, nullptr },
    { MSGS, 567, "&Put...", "'MQPUT from 'RAVOLT.DEMO''", ROW, nullptr },
    { MSGS, 583, "&Load/Unload...", "'Queue Load/Unload from 'RAVOLT.DEMO''", ROW, nullptr },
    { "frame list", 551, "&Save to File...", "'Kelvane Save Message'", ROW, nullptr },
    /* a list of its own has no message window to save from */
    { "Message List", 551, "&Save to File...", "grey", ROW, nullptr },
    { MSGS, 6010, "&All", ".selected = $rows", ROW, nullptr },
    { MSGS, 6011, "&None", ".selected = 0", ROW, nullptr },
    { MSGS, 6012, "&Invert", ".selected = $rows", NOROW, nullptr },
    /* the page range of the list: back to the first, on, and back */
    { MSGS, 6013, "&First Page", ".values ~ WALK.MSGS|1,100|", 0, nullptr, 6014 },
    { MSGS, 6014, "&Next Page", ".values ~ WALK.MSGS|101,200|", PAGE1, nullptr },
    { MSGS, 6015, "&Previous Page", ".values ~ WALK.MSGS|1,100|", PAGE1, nullptr, 6014 },
    { MSGS, 601, "By &Position", ".view clr f set 2", 0, nullptr, 603 },
    { MSGS, 602, "By Message &Id", ".view clr f set 4", 0, nullptr, 603 },
    { MSGS, 603, "By Position a&nd Id", ".view clr f set 1", 0, nullptr, 602 },
    { MSGS, 604, "&All Messages", ".view ^f && .checks ~ 604", TWICE, nullptr },
    { MSGS, 608, "Commit in &Batches", ".view ^20 && .checks ~ 608", TWICE, nullptr },
    { MSGS, 600, "&Strip Headers", ".view ^10 && .checks ~ 600", TWICE, nullptr },
    { MSGS, 581, "Close &Handles", ".status = Handles of queue 'WALK.MSGS' closed", ROW, nullptr },
    { MSGS, 796, "Copy to clipboard",
      "clipboard ~ RAVOLT Qm: RAVOLT.DEMO Message List Export && .status = 1 object exported.", ROW | CLIP, nullptr },
    { MSGS, 784, "&Export...", "'Export IBM MQ Definition'", 0, nullptr },
    /* the print dialog, or with no printer installed (Wine here) the
       status line saying so */
    { MSGS, 786, "&Print...", "modals +1 && modal ~ 'Print'||.status = No printer is installed", 0, nullptr },
    { MSGS, 505, "Alter List...", "'Change Message List attributes'", 0, nullptr },
    { MSGS, 616, "Make Filter Default", ".deffilter = msgLen > 100000", FILTER, nullptr },
    { MSGS, 23, "Filter", ".shown = 0", FILTER, nullptr },
    { MSGS, 1, "&Refresh", ".status = Display refreshed && .sent +1", 0, nullptr },

    /* ---- the Message window (and the frame's message pane) ---- */
    { MSG, 1, "&Refresh", ".status = Message refreshed && .sent +1", FIRST, nullptr },
    { MSG, 887, "&Next", ".position +1", FIRST, nullptr },
    /* an edited message: the question before it is dropped, refused and agreed */
    { MSG, 887, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The edited message has not been saved. If you continue "
      "all updates will be lost.\r\n\r\nAre you sure you want to continue? && .position same", FIRST | EDITED, nullptr },
    { MSG, 887, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | The edited message has not been saved. If you continue "
      "all updates will be lost.\r\n\r\nAre you sure you want to continue? && .position +1", FIRST | EDITED | YES,
      nullptr },
    { MSG, 562, "&Previous", ".position -1", FIRST, nullptr, 563 },
    { MSG, 562, nullptr, ".status = Already at first message. && .position same && .sent same", FIRST, nullptr },
    { MSG, 563, "Ne&xt Position", ".position +1", FIRST, nullptr },
    /* the last message, edited and put back */
    { MSG, 946, "Update : (Pass All)", ".status = 1 message updated && .edited = no", LASTROW | EDITED | RELIST, nullptr },
    /* the whole message is not there: the update is refused with its reason */
    { MSG, 946, nullptr,
      "boxes +1 && box = Ravolt - Invalid Action: Not all of the message has been retrieved from the Queue Manager.\n\n"
      "You can not update a message without first retrieving the whole message from the Queue Manager.", BIG | EDITED,
      nullptr },
    { MSG, 941, "Add : (Default)", ".status = 1 message added", RELIST, nullptr },
    /* the whole message is not there: asked, refused */
    { MSG, 941, nullptr,
      "modals +1 && modal = #32770 'Ravolt - Confirmation' | Not all of the message has been retrieved from the Queue "
      "Manager.\r\n\r\nAre you sure you want to continue and add an incomplete message to the Queue? && .sent same",
      BIG, nullptr },
    { MSG, 904, "&Edit", ".view ^8000000", 0, nullptr },
    { MSG, 894, "&Undo", ".data -1 && .cursor = 1,3", FIRST | EDITED, nullptr },
    { MSG, 894, nullptr, "grey", FIRST, nullptr },
    { MSG, 895, "&Redo", ".data +1 && .cursor = 1,4", UNDONE | UNDO, nullptr },
    { MSG, 895, nullptr, "grey", FIRST, nullptr },
    { MSG, 895, nullptr, "grey", FIRST | EDITED, nullptr },      /* an edit to undo, none to redo */
    { MSG, 896, "&Copy",
      "clipboard = [   17 bytes] Message Content\r\nfirst <a>walk</a> && clipboard.hex = 6669727374203C613E77616C6B3C2F613E "
      "&& .status = Copied to Clipboard  : Text(48 bytes) Data(17 bytes)", FIRST | SELECTED | CLIP, nullptr },
    { MSG, 896, nullptr, "grey", NOSEL, nullptr },
    { MSG, 897, "Cu&t",
      "clipboard = [   17 bytes] Message Content\r\nfirst <a>walk</a> && clipboard.hex = 6669727374203C613E77616C6B3C2F613E "
      "&& .data = 0", FIRST | SELECTED | CLIP | UNDO, nullptr },
    { MSG, 897, nullptr, "grey", NOSEL, nullptr },
    { MSG, 898, "&Paste", ".data = 4 && .cursor = 1,4", FIRST | SELECTED | CLIP | UNDO, nullptr },
    { MSG, 898, nullptr, ".data +4 && .cursor = 1,4", FIRST | INDATA | CLIP | UNDO, nullptr },
    { MSG, 898, nullptr, ".status = No data in clipboard && .data same", FIRST | SELECTED | NOCLIP | UNDO, nullptr },
    { MSG, 899, "Paste &All", ".data = 4 && .cursor = 1,4", FIRST | SELECTED | CLIP | UNDO, nullptr },
    { MSG, 899, nullptr, ".data +4 && .cursor = 1,4", FIRST | INDATA | CLIP | UNDO, nullptr },
    { MSG, 937, "Select A&ll", ".anchor = 0,0 && .cursor = 1,17", FIRST | NOSEL, nullptr },
    { MSG, 905, "Set &Mark", ".mark = $.cursor", SELECTED, nullptr },
    { MSG, 906, "&Go to Mark", ".cursor = 1,0 && .anchor = 0,-1", FIRST | MARKED | SELECTED, nullptr },
    { MSG, 900, "&Find and Replace...", "'Find and Replace'", 0, nullptr },
    { MSG, 902, "Find &Next",
      ".cursor = 1,9 && .anchor = 1,13 && .status = Text found at line:2: wrapped....", FIRST | FIND, nullptr },
    { MSG, 903, "Find Pre&vious", ".cursor = 1,9 && .anchor = 1,13 && .status = Text found at line:2", FIRST | FIND,
      nullptr },
    { MSG, 6004, "Re&peat", ".position +1", FIRST | STEP, nullptr },
    { MSG, 6004, nullptr, "grey", FIRST, nullptr },
    /* the XML commands on the first message's tag, and off a tag */
    { MSG, 910, "&Goto Partner Tag", ".cursor = 4,0", FIRST | ONTAG, nullptr },
    { MSG, 910, nullptr, ".status = Please put the cursor on a tag field", FIRST | NOSEL, nullptr },
    { MSG, 911, "&Add XML Tag", ".status = The cursor is not at an input field", NOSEL, nullptr },
    /* the rows on a tag follow the cursor's line, which shows none */
    { MSG, 912, "&Select XML", "grey", NOSEL, nullptr },
    { MSG, 914, "Select XML (&incl tag)", "grey", NOSEL, nullptr },
    { MSG, 915, "&Comment", ".status = The cursor is not at an input field", NOSEL, nullptr },
    { MSG, 916, "&Uncomment", "grey", NOSEL, nullptr },
    { MSG, 917, "&Remove XML Tag", "grey", NOSEL, nullptr },
    /* the message view words, each command its own bits */
    { MSG, 568, "&Hex", ".words0 set 10100 clr 200 && .checks ~ 568", 0, nullptr, 569 },
    { MSG, 569, "&Formatted", ".words0 set 10200 clr 100 && .checks ~ 569", 0, nullptr, 568 },
    { MSG, 570, "Detail &1", ".words0 clr ff set 1 && .checks ~ 570", 0, nullptr, 571 },
    { MSG, 571, "Detail &2", ".words0 clr ff set 2 && .checks ~ 571", 0, nullptr, 570 },
    { MSG, 572, "Detail &3", ".words0 clr ff set 3 && .checks ~ 572", 0, nullptr, 571 },
    { MSG, 573, "&Descriptor", ".words0 ^400 && .checks ~ 573", TWICE, nullptr },
    { MSG, 609, "&Offsets", ".words0 ^8000 && .checks ~ 609", TWICE, nullptr },
    { MSG, 640, "&Characters", ".words0 ^20000 && .checks ~ 640", TWICE, nullptr },
    { MSG, 673, "Find &XML in Text", ".words0 ^80000 && .checks ~ 673", TWICE, nullptr },
    { MSG, 674, "&Structure Names", ".words0 ^100000 && .checks ~ 674", TWICE, nullptr },
    /* its check mark shows the bit clear */
    { MSG, 737, "Hex without Char&acters", ".words0 ^800000 && .checks !~ 737", TWICE, nullptr },
    { MSG, 775, "&Keep Line Ends", ".words1 ^2 && .checks ~ 775", TWICE, nullptr },
    { MSG, 936, "Decode XML &Entities", ".words1 ^400 && .checks ~ 936", TWICE, nullptr },
    /* the put context of the window, from another one */
    { MSG, 955, "&Default Context", ".view clr f00 set 400 && .checks ~ 955", 0, nullptr, 952 },
    /* the body kinds and the two switches */
    { MSG, 922, "&Automatic", ".body = 0 && .checks ~ 922", 0, nullptr, 925 },
    { MSG, 925, "&CSV", ".body = 1 && .checks ~ 925", AUTOBODY, nullptr, 922 },
    { MSG, 924, "&Fixed", ".body = 2 && .checks ~ 924", AUTOBODY, nullptr, 922 },
    { MSG, 923, "&JSON", ".body = 3 && .checks ~ 923", AUTOBODY, nullptr, 922 },
    { MSG, 928, "&Text", ".body = 4 && .checks !~ 922", AUTOBODY, nullptr, 922 },
    { MSG, 929, "&XML", ".body = 5 && .checks ~ 929", AUTOBODY, nullptr, 922 },
    { MSG, 930, "&EDIFACT", ".body = 6 && .checks ~ 930", AUTOBODY, nullptr, 922 },
    { MSG, 926, "&Return Separates Records", ".switches0 ^1", TWICE, nullptr },
    { MSG, 927, "T&yping Aids", ".switches1 ^1", TWICE, nullptr },
    /* Insert: each structure added at the cursor, its length in bytes (undone after) */
    { MSG, 4000, "Dead Letter Queue Header (MQDLH)", ".data +172", UNDO, nullptr },
    /* the question whether the descriptor goes into the header, refused */
    { MSG, 4001, "Transmission Queue Header (XQH)",
      ".data +428 && modals +1 && modal = #32770 'Ravolt - Confirmation' | Would you like to copy the Message "
      "Descriptor into the Transmission Header (MQXQH)", UNDO, nullptr },
    { MSG, 4002, "Message Descriptor Extension (MQMDE)", ".data +72", UNDO, nullptr },
    { MSG, 4005, "PCF Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4007, "Admin Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4008, "Event Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4009, "Accounting Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4010, "Statistics Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4011, "Trace Route (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4012, "Application Activity Header (MQCFH)", ".data +36", UNDO, nullptr },
    { MSG, 4019, "Embedded PCF Header (MQEPH)", ".data +68", UNDO, nullptr },
    { MSG, 4020, "Trigger Message (MQTM)", ".data +684", UNDO, nullptr },
    { MSG, 4021, "Rules and Formatting (MQRFH)", ".data +32", UNDO, nullptr },
    { MSG, 4022, "Rules and Formatting (MQRFH2)", ".data +40", UNDO, nullptr },
    { MSG, 4025, "CICS Information Header (MQCIH)", ".data +180", UNDO, nullptr },
    { MSG, 4026, "IMS Information Header (MQIIH)", ".data +84", UNDO, nullptr },
    { MSG, 4027, "Work Information Header (MQWIH)", ".data +120", UNDO, nullptr },
    /* the display copied: the page, every line, the selection */
    { MSG, 670, "&Page", "clipboard ~ Message Content\r\nfirst <a>walk</a>\r\n && .status = Copied to clipboard",
      FIRST | CLIP, nullptr },
    { MSG, 692, "&All Lines", "clipboard ~ Message Content\r\nfirst <a>walk</a>\r\n && .status = Copied to clipboard",
      FIRST | CLIP, nullptr },
    { MSG, 813, "&Selection",
      "clipboard ~ Message Content\r\nfirst <a>walk</a> && .status = Copied to clipboard", FIRST | SELECTED | CLIP,
      nullptr },
    /* the format of the descriptor (a string: no header of its own), or the
       generic string: a new empty message; an edited one: asked before its
       edits go, refused and agreed (920) */
    { MSG, 920, "&Apply Format", ".data = 0 && .position =", FIRST | UNDO, nullptr },
    { MSG, 920, nullptr, "modals +1 && modal ~ The edited message has not been saved. && .data same", FIRST | EDITED,
      nullptr },
    { MSG, 920, nullptr, "modals +1 && modal ~ The edited message has not been saved. && .data = 0 && .position =",
      FIRST | EDITED | YES, nullptr },
    { MSG, 921, "&Generic String", ".data = 0 && .position =", FIRST | UNDO, nullptr },
    { MSG, 921, nullptr, "modals +1 && modal ~ The edited message has not been saved. && .data same", FIRST | EDITED,
      nullptr },
    { MSG, 918, "&Save to File...", "'Kelvane Save Message'", 0, nullptr },
    { MSG, 919, "&Load from File...", "'Kelvane Load Message'", 0, nullptr },
    { MSG, 553, "&Print...", "modals +1 && modal ~ 'Print'||.status = No printer is installed", 0, nullptr },
    { MSG, 554, "&Export...", "'Export IBM MQ Definition'", 0, nullptr },
    { MSG, 555, "Copy Message &Id", "clipboard = $.msgid && .status = Message Id copied to clipboard", CLIP, nullptr },
    { MSG, 556, "Copy &Correlation Id",
      "clipboard = 000000000000000000000000000000000000000000000000 && .status = Correlation Id copied to clipboard",
      CLIP, nullptr },
    { MSG, 557, "Open &Queue", "'[] RAVOLT.DEMO/Queue 'WALK.MSGS''", 0, nullptr },
    { MSG, 558, "Open &List", "'[] RAVOLT.DEMO/Message List 'WALK.MSGS':2'", 0, nullptr },
    /* the whole 15000 bytes of the message retrieved in part shown */
    { MSG, 888, "&Whole Message",
      ".data = 15000 && .status = The complete message has been retrieved from Queue Manager", BIG, nullptr },
    { MSG, 888, nullptr, "grey", FIRST, nullptr },
    { "Message", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* a frame's pane lives as long as its frame */
    { "frame list|frame message", 2, "Cancel", "grey", 0, nullptr },

    /* ---- the kinds the frame opens, and its tree's menu over a queue line ---- */
    /* no broker runs: each list waits, asks again and says so */
    { "Broker Subscribers|Broker Publishers", 1, "&Refresh", ".sent +1 && .status = No response from Command Server", 0,
      nullptr },
    { "Broker Subscribers", 505, "Alter List...", "'Change Broker Subscribers attributes'", 0, nullptr },
    { "Broker Publishers", 505, "Alter List...", "'Change Broker Publishers attributes'", 0, nullptr },
    { "Broker Subscribers|Broker Publishers", 616, "Make Filter Default", ".deffilter = curdepth > 100000", FILTER,
      nullptr },
    /* no rows: nothing to copy or export */
    { "Broker Subscribers|Broker Publishers", 796, "Copy to clipboard", "none", CLIP, nullptr },
    { "Broker Subscribers|Broker Publishers", 657, "Export...", "grey", 0, nullptr },
    { "Broker Subscribers|Broker Publishers", 23, "Filter", ".status = Unrecognised keyword 'curdepth'", FILTER, nullptr },
    /* the first message of WALK.MSGS shown again */
    { "Message Detail", 1, "&Refresh", ".sent +1 && .status = Message refreshed", 0, nullptr },
    /* the queue's location, as over its own line */
    { "frame queue", 749, nullptr, "'Location Settings - RAVOLT.DEMO'", QLINE, nullptr },
    { "frame queue", 542, nullptr, "'[] RAVOLT.DEMO/Queue Manager'", QLINE, nullptr },
    { "frame queue", 556, nullptr, "'[] RAVOLT.DEMO/MQSC Commands'", QLINE, nullptr },
    { "frame queue", 885, nullptr,
      "frame.flags ^8000 && frame.checks ~ 885 && frame.queue/WALK.MSGS = WALK.MSGS  (3)", QLINE | TWICE, nullptr },
    { "frame queue", 621, nullptr, "demo = not connected suspended", QLINE | CONNECT, nullptr },

    /* ---- the windows rows open: their own buttons ---- */
    /* the Queue List's refresh rate: typed, then none; the export page
       (Append) read on OK and Apply, not on Cancel */
    { "Auto Refresh Rate", 406, "No Auto Refresh", "owner.refresh = 0", RATED, nullptr },
    { "Auto Refresh Rate", 1, "OK", "dialog.window gone && owner.options ^8", TICKED, nullptr },
    { "Auto Refresh Rate", 131, "Apply", "owner.options ^8", TICKED, nullptr },
    { "Auto Refresh Rate", 2, "Cancel", "dialog.window gone && owner.refresh = 60 && owner.options same",
      RATED | TICKED, nullptr },
    /* the Queue List's columns: none chosen, moved, and back; its second
       column moved out and the list handed over */
    { "Change List Contents", 416, "", "grey", UNPICKED, nullptr },
    { "Change List Contents", 416, nullptr, "dialog.list128.sel = 0", PICKED, nullptr },
    { "Change List Contents", 417, "", "grey", UNPICKED, nullptr },
    { "Change List Contents", 417, nullptr, "dialog.list128.sel = 2", PICKED, nullptr },
    { "Change List Contents", 416, nullptr, "grey", TWOPICKED, nullptr },
    { "Change List Contents", 417, nullptr, "grey", TWOPICKED, nullptr },
    { "Change List Contents", 212, "All >>", "dialog.list128 = 0", 0, nullptr },
    { "Change List Contents", 130, ">>", "grey", UNPICKED, nullptr },
    { "Change List Contents", 130, nullptr, "dialog.list128 -1 && dialog.list129 +1", PICKED, nullptr },
    { "Change List Contents", 132, "<<", "grey", UNPICKED, nullptr },
    { "Change List Contents", 213, "<< All", "dialog.list129 = 0", 0, nullptr, 212 },
    { "Change List Contents", 1, "OK", "dialog.window gone && owner.columns -1", PICKED, nullptr, 130 },
    { "Change List Contents", 131, "Apply", "owner.columns -1 && dialog.window same", PICKED, nullptr, 130 },
    { "Change List Contents", 118, "Reset", "dialog.list128 +1", PICKED, nullptr, 130 },
    { "Change List Contents", 2, "Cancel", "dialog.window gone && owner.columns same", PICKED, nullptr, 130 },
    /* the Queue List's objects, but SYSTEM. ones: no file named; onto the
       clipboard */
    { "Export", 705, "...", "modals +1 && modal ~ File &name:", 0, nullptr },
    { "Export", 1, "OK", "boxes +1 && box = No filename supplied: Please enter a filename", 0, nullptr },
    { "Export", 1, nullptr, "dialog.window gone && clipboard ~ RAVOLT Qm: RAVOLT.DEMO Queue List Export", TOCLIP | CLIP,
      nullptr },
    { "Export", 131, "Apply",
      "dialog.status = $objects objects exported. && clipboard ~ RAVOLT Qm: RAVOLT.DEMO Queue List Export", TOCLIP | CLIP,
      nullptr },
    { "Export", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* Find and Replace on the frame's message pane ("first <a>walk</a>"):
       nothing to find, or "walk" found, replaced by "run" (at the cursor
       once found) and in all */
    { "Find and Replace", 414, " Find ", "grey", BLANK, nullptr },
    { "Find and Replace", 414, nullptr,
      "msgpane.cursor = 1,9 && msgpane.anchor = 1,13 && dialog.status = Text found at line:2", FIRST | TEXTS, nullptr },
    { "Find and Replace", 529, " Replace ", "grey", BLANK, nullptr },
    { "Find and Replace", 529, nullptr,
      "dialog.status = The cursor is not at the text which should be changed && msgpane.data same", FIRST | TEXTS,
      nullptr },
    { "Find and Replace", 529, nullptr, "msgpane.data -1 && msgpane.edited = yes", FIRST | TEXTS | UNDO, nullptr, 414 },
    { "Find and Replace", 530, " Replace All ", "grey", BLANK, nullptr },
    { "Find and Replace", 530, nullptr, "msgpane.data -1 && dialog.status = 1 occurences changed", FIRST | TEXTS | UNDO,
      nullptr },
    { "Find and Replace", 2, " Cancel ", "dialog.window gone", 0, nullptr },
    /* the message saved to the walk's file; loaded from a file of text */
    { "Save Message|Load Message", 186, "...", "modals +1 && modal ~ Files of &type: | Drask", 0, nullptr },
    { "Save Message", 243, "Save", "grey", 0, nullptr },
    { "Save Message", 243, nullptr, "dialog.status = Message written to '$file' successfully", NAMED, nullptr },
    { "Save Message|Load Message", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "Load Message", 244, "Load", "grey", 0, nullptr },
    { "Load Message", 244, nullptr,
      "dialog.status = File '$file' does not appear to be a DRASK file && owner.data same", NAMED | NOTDRASK, nullptr },
    /* the demo location keeps no error log and no INI file */
    { "Error Log|INI File", 288, "", "modals +1 && modal ~ #32770 'Input Message file name'", 0, nullptr },
    { "Error Log|INI File", 133, "Reload", "dialog.status = Can not open file", 0, nullptr },
    { "Error Log|INI File", 414, "Find", "dialog.status = Please enter the text to find", 0, nullptr },
    { "Error Log|INI File", 2, "Close", "dialog.window gone", 0, nullptr },
    { "About", 399, "http://www.ravolt.example/", "link ~ http://www.ravolt.example/", 0, nullptr },
    { "About", 557, "Check for later version...", "'Ravolt Version Check'", 0, nullptr },
    { "About", 1, "OK", "dialog.window gone", 0, nullptr },
    /* the imports, each with its file of the kind it reads, no list read */
    { "Import CCDT", 186, "", "modals +1 && modal ~ #32770 'Open' | Look &in: | shell | File &name: | AMQCLCHL.TAB", 0,
      nullptr },
    { "Import MQ Explorer", 186, "", "modals +1 && modal ~ XML Files (*.XML)", 0, nullptr },
    { "Import Configuration", 186, "", "modals +1 && modal ~ Config Files (*.CFG)", 0, nullptr },
    { "Import CCDT", 520, "Read CCDT",
      "boxes +1 && box = CCDT Import Error: Can not find file 'C:/ProgramData/IBM/MQ/AMQCLCHL.TAB'", 0, nullptr },
    { "Import MQ Explorer", 520, "Read MQ Explorer XML File",
      "boxes +1 && box = MQ Explorer Import Error: Please enter an MQ Explorer Configuration XML Export file name", 0,
      nullptr },
    { "Import Configuration", 520, "Read Ravolt Config File",
      "boxes +1 && box = Ravolt Config Import Error: Please enter an Ravolt Configuration file", 0, nullptr },
    /* an empty list: nothing to select */
    { "Import CCDT", 540, "Select All", "none", 0, nullptr },
    { "Import CCDT", 541, "Deselect All", "none", 0, nullptr },
    { "Import CCDT", 1, "Import", "boxes +1 && box = CCDT Import Result: No locations selected", 0, nullptr },
    { "Import MQ Explorer", 1, "Import", "boxes +1 && box = MQ Explorer Import Result: No locations selected", 0, nullptr },
    /* a configuration file's entries are imported as the others */
    { "Import Configuration", 1, "Import", "boxes +1 && box = Ravolt Config Import Result: No locations selected", 0,
      nullptr },
    { "Import CCDT|Import MQ Explorer|Import Configuration", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* no colour chosen: the rows on a choice greyed; the working colours
       reach the program (and its configuration) on OK and Apply only */
    { "Colour Chooser", 220, "Reset to scheme", "grey", 0, nullptr },
    { "Colour Chooser", 222, "Reset to original", "grey", 0, nullptr },
    { "Colour Chooser", 137, "Change Colour...", "grey", 0, nullptr },
    { "Colour Chooser", 221, "Reset All to scheme", "none", 0, nullptr },
    { "Colour Chooser", 223, "Reset All to original", "none", 0, nullptr },
    { "Colour Chooser", 1, "OK", "dialog.window gone && config:", 0, nullptr },
    { "Colour Chooser", 131, "Apply", "config:", 0, nullptr },
    { "Colour Chooser", 2, "Cancel", "dialog.window gone && config same", 0, nullptr },
    /* the location's credentials prompt: OK waits for a password, then
       takes it; Cancel takes nothing */
    { "Credentials", 1, "OK", "grey", 0, nullptr },
    { "Credentials", 1, nullptr, "dialog.window gone && demo.password = walk", PASSWORD, nullptr },
    { "Credentials", 2, "Cancel", "dialog.window gone && demo.password same", PASSWORD, nullptr },
    /* the cache file created: OK waits for the password and its
       confirmation, which must agree */
    { "Password Cache", 1, "OK", "grey", 0, nullptr },
    { "Password Cache", 1, nullptr, "dialog.status = Password fields do not match && dialog.window same",
      PASSWORD | MISTYPED, nullptr },
    { "Password Cache", 2, "Cancel", "dialog.window gone", 0, nullptr },
    /* the cache logged on to: OK waits for a password; a wrong one is
       refused and counted, the right one opens the cache */
    { "Cache Logon", 1, "OK", "grey", 0, nullptr },
    { "Cache Logon", 1, nullptr,
      "dialog.status = Incorrect password. 3 attempts remaining && dialog.window same && cache.password same",
      WRONGPW, nullptr },
    { "Cache Logon", 1, nullptr, "dialog.window gone && cache.password = walk && prefs.cache = Cache Accessed grey",
      PASSWORD, nullptr },
    { "Cache Logon", 2, "Cancel", "dialog.window gone && cache.password same", PASSWORD, nullptr },
    /* the cache's password changed: OK waits for the new one and its
       confirmation, which must agree, and the old one must be right */
    { "Cache Password", 1, "OK", "grey", 0, nullptr },
    { "Cache Password", 1, nullptr, "dialog.status = Password fields do not match && dialog.window same",
      PASSWORD | MISTYPED, nullptr },
    { "Cache Password", 1, nullptr,
      "dialog.status = Incorrect password. 3 attempts remaining && dialog.window same && cache.password same",
      PASSWORD | WRONGPW, nullptr },
    { "Cache Password", 1, nullptr,
      "dialog.window gone && cache.password = walk && prefs.cache = Cache Accessed grey", PASSWORD, nullptr },
    { "Cache Password", 2, "Cancel", "dialog.window gone && cache.password same", PASSWORD, nullptr },
    /* an enumerated column's filter: none of its values shows no row,
       all of them every row (the filter off); its close box keeps the list */
    { "Column Filter", 887, "Select None", "owner.shown = 0", 0, nullptr },
    { "Column Filter", 540, "Select All", "owner.shown = $owner.rows", 0, nullptr, 887 },
    { "Column Filter", 2, "x", "dialog.window gone && owner.shown same", 0, nullptr },

    /* ---- every command dialog: the dialog menu table and its own rows ---- */
    { "MQSC Commands", 1, "&Execute", ".status = Command sent && .sent +1", CONSOLE, nullptr },
    /* the queue manager and then its status */
    { "Queue Manager", 1, "&Refresh", ".status = Status refreshed && .sent +2", 0, nullptr },
    { "*", 1, "&Refresh", ".status = Display refreshed && .sent +1", 0, nullptr },
    { "*", 2, "Cancel", "dialog.window gone", 0, nullptr },
    { "*", 684, "Split List", ".split = on && .checks ~ 684", TWICE, nullptr },
    { "*", 762, "Reset Column Widths", ".widths = $widths", DRAG, nullptr },
    /* offered while a column filter is on */
    { "*", 960, "Remove Column Filters", "grey", 0, nullptr },
    { "*", 748, "Hide System Objects", ".hidesys = on && .checks ~ 748", TWICE, nullptr },
    { "*", 504, "Auto Refresh...", "'Auto Refresh Rate'", 0, nullptr },
    /* offered once the location's default objects are downloaded, which
       the walk's location has not done */
    { "*", 735, "Highlight difference from default", "grey", 0, nullptr },
    { "*", 736, "Display difference from default", "grey", 0, nullptr },
    { "*", 657, "Export...", "'Export IBM MQ Definition'", 0, nullptr },
    /* the parts shown: each part and its toolbar button's state */
    { "*", 501, nullptr, ".buttons = on && .ticks ~ 501||.buttons = off && .ticks !~ 501", TWICE, nullptr },
    { "*", 754, nullptr, ".toolbar = on && .ticks ~ 754||.toolbar = off && .ticks !~ 754", TWICE, nullptr },
    { "*", 502, nullptr, ".fields = on && .ticks ~ 502||.fields = off && .ticks !~ 502", TWICE, nullptr },
    { "*", 503, nullptr, ".filterbar = on && .ticks ~ 503||.filterbar = off && .ticks !~ 503", TWICE, nullptr },
    { "*", 961, nullptr, ".colfilter = on||.colfilter = off", TWICE, nullptr },
    { "*", 780, nullptr, ".qmlist = on && .ticks ~ 780||.qmlist = off && .ticks !~ 780", TWICE, nullptr },
    /* no queue manager chosen in the list: no rows */
    { "*", 789, "Reset Queue Manager List", ".shown = 0", QMAGAIN, nullptr },
    /* the title modes, each from another */
    { "*", 610, "Auto", ".titles = 1 && .checks ~ 610", 0, nullptr, 611 },
    { "*", 611, "Full", ".titles = 2 && .checks ~ 611", 0, nullptr, 610 },
    { "*", 612, "Short", ".titles = 4 && .checks ~ 612", 0, nullptr, 611 },
    { "*", 613, "Field Name", ".titles = 8 && .checks ~ 613", 0, nullptr, 612 },

};

/* ---- what a row must change ----
 *
 * An effect is alternatives joined by "||", each of clauses joined by
 * "&&" that must all hold, one of them on a value that changed.  A clause
 * names a value and how it goes from before to after the row (a leading
 * "." is the walked window's value):
 *   "key ^8000"             a hex word with exactly these bits flipped
 *   "key set 10100 clr 200" a hex word with these bits set and cleared
 *   "key +1", "key -1"      a number up or down by so much
 *   "key = text"            the value is now text ("$name": a value the
 *                           walk kept while preparing the row, or the
 *                           value of key name before the row)
 *   "key ~ text"            the value now holds text
 *   "key !~ text"           the value now lacks text
 *   "key same"              the value did not change
 *   "key new", "key gone"   the value came, or is no more
 * Any other clause is a text that the changes ("key: was -> now" lines,
 * Changes) must hold, such as a new window's title in quotes. */

static std::map<std::string, std::string> Kept;   /* "$name" values */

static std::string Trim(const std::string &t)
{
    size_t a = t.find_first_not_of(' '), b = t.find_last_not_of(' ');
    return a == std::string::npos ? "" : t.substr(a, b - a + 1);
}

static std::vector<std::string> Split(const std::string &all, const std::string &by)
{
    std::vector<std::string> out;
    for (size_t at = 0;;) {
        size_t next = all.find(by, at);
        out.push_back(Trim(all.substr(at, next == std::string::npos ? std::string::npos : next - at)));
        if (next == std::string::npos)
            return out;
        at = next + by.size();
    }
}

static const char *ValueOf(const Snapshot &s, const std::string &key)
{
    auto it = s.find(key);
    return it == s.end() ? nullptr : it->second.c_str();
}

static uint64_t Bits(const char *was, const std::string &ops)
{
    uint64_t v = strtoull(was, nullptr, 16);
    std::vector<std::string> words = Split(ops, " ");
    for (size_t i = 0; i < words.size(); i++)
        if (words[i][0] == '^')
            v ^= strtoull(words[i].c_str() + 1, nullptr, 16);
        else if (words[i] == "set" && i + 1 < words.size())
            v |= strtoull(words[++i].c_str(), nullptr, 16);
        else if (words[i] == "clr" && i + 1 < words.size())
            v &= ~strtoull(words[++i].c_str(), nullptr, 16);
    return v;
}

/* One clause: whether it holds, and whether its value changed; why says
 * what was found instead. */
static bool Clause(const Snapshot &before, const Snapshot &after, std::string clause, bool *changed,
                   std::string *why)
{
    for (const auto &[name, value] : Kept)           /* "$name" inside a text */
        for (size_t at = 0; (at = clause.find("$" + name, at)) != std::string::npos;) {
            size_t end = at + name.size() + 1;
            if (end < clause.size() && (isalnum((unsigned char)clause[end]) || clause[end] == '_'))
                at = end;
            else
                clause.replace(at, end - at, value);
        }
    size_t blank = clause.find(' ');
    std::string key = clause.substr(0, blank), rest = blank == std::string::npos ? "" : clause.substr(blank + 1);
    if (!key.empty() && key[0] == '.')
        key = "dialog" + key;
    static const char *const ops[] = { "^", "set ", "clr ", "+", "-", "= ", "~ ", "!~ ", "same", "gone", "new" };
    bool keyed = false;
    for (const char *op : ops)
        keyed |= (!rest.compare(0, strlen(op), op) || rest == "=") && key.find_first_of("'\":(") == std::string::npos;
    if (!keyed) {
        *changed = Changes(before, after).find(clause) != std::string::npos;
        *why = "no change holds '" + clause + "'";
        return *changed;
    }
    const char *was = ValueOf(before, key), *now = ValueOf(after, key);
    *why = "'" + clause + "' but " + key + ": " + (was ? was : "(none)") + " -> " + (now ? now : "(none)");
    *changed = !was || !now || strcmp(was, now);
    if (rest == "gone")
        return was && !now;
    if (rest == "new")
        return !was && now;
    if (!now || (!was && rest[0] != '=' && rest[0] != '~' && rest[0] != '!'))
        return false;
    if (rest == "=")
        rest = "= ";                 /* the value is now empty */
    std::string text = rest.substr(rest.find(' ') + 1);
    if (text[0] == '$') {
        /* a value kept while preparing, or one read before the row */
        std::string name = text.substr(1);
        const char *read = ValueOf(before, name[0] == '.' ? "dialog" + name : name);
        text = Kept.count(name) ? Kept[name] : read ? read : "(none)";
    }
    if (rest == "same")
        return !*changed;
    if (rest[0] == '=')
        return Trim(text) == Trim(now);
    if (rest[0] == '~')
        return strstr(now, text.c_str()) != nullptr;
    if (rest[0] == '!')
        return !strstr(now, text.c_str());
    if (rest[0] == '+' || rest[0] == '-')
        return atol(now) == atol(was) + atol(rest.c_str());
    return *changed && strtoull(now, nullptr, 16) == Bits(was, rest);
}

/* Whether the row's changes hold the effect: one alternative whose
 * clauses all hold, one of them on a value that changed. */
static bool Holds(const Snapshot &before, const Snapshot &after, const char *effect, std::string *why)
{
    for (const std::string &alternative : Split(effect, "||")) {
        bool all = true, any = false;
        for (const std::string &clause : Split(alternative, "&&")) {
            bool changed = false;
            all = all && Clause(before, after, clause, &changed, why);
            any |= changed;
        }
        if (all && any)
            return true;
        if (all)
            *why = "'" + alternative + "' but nothing of it changed";
    }
    return false;
}

static bool InKinds(const char *kinds, const std::string &kind)
{
    if (!strcmp(kinds, "*"))
        return true;
    std::string all = std::string("|") + kinds + "|";
    return all.find("|" + kind + "|") != std::string::npos;
}

/* The cases of a row: the table's lines of the first kinds that name it
 * (a row is walked once for each, in order). */
static std::vector<const Expect *> Cases(const std::string &kind, int32_t id)
{
    if (id > 3000 && id < 4000)
        id = 3001;                /* the Windows menu's entries */
    std::vector<const Expect *> out;
    for (const Expect &e : Table)
        if (e.kinds && e.id == id && InKinds(e.kinds, kind) && (out.empty() || out[0]->kinds == e.kinds))
            out.push_back(&e);
    return out;
}

/* ---- what a row is: its text, key, tooltip and picture ---- */

/* The frame's accelerator table as the program's description lists it:
 * the key, the keys held with it, and its command. */
struct KeyRow {
    BYTE held;
    WORD key;
    int32_t id;
};
static const KeyRow Keys[] = {
    { FCONTROL, '0', 573 }, { FALT | FSHIFT, '1', 866 }, { FCONTROL, '1', 570 }, { FCONTROL, '2', 571 },
    { FCONTROL, '3', 572 }, { FCONTROL | FALT, 'A', 937 }, { FCONTROL, 'D', 750 }, { FCONTROL, 'E', 901 },
    { FCONTROL, 'F', 900 }, { FCONTROL, 'H', 568 }, { FCONTROL | FSHIFT, 'H', 569 }, { FCONTROL, 'I', 886 },
    { FCONTROL, 'L', 731 }, { FCONTROL, 'M', 685 }, { FCONTROL, 'O', 749 }, { FCONTROL, 'P', 546 },
    { FALT, 'P', 939 }, { FCONTROL, 'Q', 523 }, { FALT, 'Q', 909 }, { FCONTROL, 'R', 508 },
    { FCONTROL | FSHIFT, 'R', 6004 }, { FCONTROL, 'S', 522 }, { FALT, 'S', 881 }, { FCONTROL, 'T', 910 },
    { 0, 28, 528 } /* the character Ctrl+\ */, { 0, VK_F1, 529 }, { 0, VK_F3, 902 }, { FSHIFT, VK_F3, 903 },
};

/* The location's context menu as the description lists its rows. */
static const struct { int32_t id; const char *text; } Context[] = {
    { 749, "Open Location RAVOLT.DEMO..." }, { 542, "Queue &Manager (RAVOLT.DEMO)..." },
    { 556, "MQSC &Commands  ..." }, { 885, "Show Queue Depth" }, { 621, "Disconnect" },
};

/* What each switch of a window greys (WalkSwitchEffect): "+id" enabled
 * only while the switch is on, "-id" only while it is off.  A switch the
 * table does not name must grey nothing. */
static const struct { const char *kind; int32_t id; const char *greys; } Switches[] = {
    { "Filter Manager", 468, "+1 +131 +259 +467" },             /* Local: the definition, Exportable, OK, Apply */
    { "Preferences", 308, "+309" },                             /* Show local times: Use System settings */
    { "Add Location|Location Settings", 148, "+149 +549" },     /* Client: Configure, CCDT URL */
    { "Add Location|Location Settings", 151, "-146" },          /* Auto Connect: no Disconnect Interval */
    { "Add Location|Location Settings", 324, "+441 +442 +480 +482 +483 +574 +575" },   /* Userid and Password */
    { "Load/Unload", 569, "-566 -567 -568 -571" },              /* Single Message: no delimiters */
    { "Put", 286, "-168 -170" },                                /* a file: no message text, no length */
    { "Auto Refresh Rate", 188, "+396" },                       /* Append: Always Header */
    { "Save Message", 412, "+243" }, { "Load Message", 412, "+244" },   /* a file name: Save, Load */
    { "Find and Replace", 415, "+414 +529 +530" },              /* a text to find: Find, Replace, Replace All */
    { "Credentials", 323, "+1" }, { "Cache Logon", 472, "+1" }, /* a password: OK */
};

static bool SameKey(const KeyRow &k, const ACCEL &a)
{
    BYTE held = a.fVirt & (FCONTROL | FSHIFT | FALT);
    return k.key == a.key && k.held == held && ((a.fVirt & FVIRTKEY) != 0) == (k.key != 28);
}

/* A menu text as its toolbar button's tooltip shows it. */
static std::string Tip(const char *text)
{
    std::string out;
    for (const char *c = text; *c && *c != '\t'; c++)
        if (*c != '&')
            out += *c;
    return out;
}

/* The rows whose text says what they will do: the text while the part is
 * shown (its value "on"), and while it is hidden (the toolbar's tooltip). */
static const struct { int32_t id; const char *part, *shown, *hidden; } ShowHide[] = {
    { 501, "dialog.buttons", "Hide Buttons", "Show Buttons" },
    { 754, "dialog.toolbar", "Hide Toolbar", "Show Toolbar" },
    { 502, "dialog.fields", "Hide Fields", "Show Fields" },
    { 503, "dialog.filterbar", "Hide Filter", "Show Filter" },
    { 961, "dialog.colfilter", "Show Column Filters", "Hide Column Filters" },   /* on: filters off */
    { 780, "dialog.qmlist", "Hide Queue Manager List", "Show Queue Manager List" },
};

/* What is wrong with what the row is, or nothing. */
static std::string Looks(HWND w, const WalkRow &row, const char *text)
{
    std::string id = std::to_string(row.id);
    for (const auto &sh : ShowHide)
        if (sh.id == row.id && (row.via == VIA_MENU || row.via == VIA_TOOLBAR) && WalkDialog(w)) {
            bool on = Observe(w)[sh.part] == "on";
            text = row.via == VIA_TOOLBAR ? (sh.id == 961 ? sh.shown : sh.hidden) : on ? sh.shown : sh.hidden;
        }
    if (row.via == VIA_ACCEL && row.control) {
        /* a command dialog's key: F5 its Refresh, Alt the letter its
           button's text underlines */
        std::string lower = text ? text : "";
        for (char &c : lower)
            c = (char)tolower((unsigned char)c);
        bool underlined = lower.find(std::string("&") + (char)tolower(row.key.key)) != std::string::npos;
        if (row.key.key == VK_F5 && !(row.key.fVirt & FALT))
            return row.id == 1 ? "" : "F5 must refresh";
        return underlined ? "" : "its letter is not the one '" + std::string(text ? text : "") + "' underlines";
    }
    if (row.via == VIA_ACCEL) {
        for (const KeyRow &k : Keys)
            if (SameKey(k, row.key))
                return k.id == row.id ? "" : "the key sends " + id + ", its command is " + std::to_string(k.id);
        return "a key the program's description does not list";
    }
    if (row.via == VIA_CONTEXT) {
        for (const auto &c : Context)
            if (c.id == row.id)
                return row.label == c.text ? "" : std::string("its text must be '") + c.text + "'";
        return "a row the location's context menu does not list";
    }
    if (!text)
        return "the table names no text for the row";
    if (row.via == VIA_TOOLBAR) {
        std::string tip = WalkTooltip(w, row);
        if (tip != Tip(text))
            return "its tooltip is '" + tip + "', its command's '" + Tip(text) + "'";
        if (!WalkPictureIs(w, row, 20000 + row.id))
            return "it does not show the picture of command " + id;
        return "";
    }
    return row.label == text ? "" : std::string("its text must be '") + text + "'";
}

/* ---- the windows walked ---- */

static FrameWords *Main;
static const char *const WalkQueue = "WALK.MSGS";

/* The new visible top-level window of this thread since before (not a
 * frame), else null. */
static HWND NewWindow(const Snapshot &before)
{
    Snapshot now = Observe(Main->window);
    for (const auto &[k, v] : now)
        if (!k.rfind("window ", 0) && !before.count(k)) {
            HWND w = (HWND)(uintptr_t)strtoull(k.c_str() + 7, nullptr, 16);
            if (!FrameOf(w))
                return w;
        }
    return nullptr;
}

/* The window a frame command opens, or the one it brings forward (a
 * dialog of the kind was open already). */
static HWND ByFrameCommand(int32_t id)
{
    Snapshot before = Observe(Main->window);
    SendMessageA(Main->window, WM_COMMAND, (WPARAM)id, 0);
    HWND w = nullptr;
    PumpUntil([&] { return (w = NewWindow(before)) != nullptr; }, 5000);
    HWND active = GetActiveWindow();
    return w ? w : active != Main->window ? active : nullptr;
}

/* A command dialog given its object and refreshed. */
static HWND Refreshed(HWND w, uint32_t attr, const char *name)
{
    DialogWords *d = w ? PCFDialogOf(w) : nullptr;
    if (!d)
        return w;
    if (attr)
        PCFSetFieldText(d, attr, name);
    SendMessageA(w, WM_COMMAND, 1, 0);
    AppSettled();
    return w;
}

/* A list dialog once its rows are in. */
static HWND Rows(HWND w)
{
    DialogWords *d = w ? PCFDialogOf(w) : nullptr;
    if (d)
        PumpUntil([d] { return d->rowCounts[0] > 0; }, 5000);
    return w;
}

static HWND OpenMessage(void)
{
    HWND list = Refreshed(ByFrameCommand(566), 2016, WalkQueue);
    DialogWords *d = list ? PCFDialogOf(list) : nullptr;
    if (!d || !PumpUntil([d] { return d->rowCounts[0] > 0; }, 5000))
        return nullptr;
    PCFSelectRows(d, PCFSEL_NONE);
    SendMessageA(PCFWnd(d->splitList), LB_SETSEL, TRUE, 0);
    Snapshot before = Observe(Main->window);
    SendMessageA(list, WM_COMMAND, 596, 0);
    HWND w = nullptr;
    PumpUntil([&] { return (w = NewWindow(before)) != nullptr && PCFDialogOf(w); }, 5000);
    AppSettled();                    /* its message retrieved and shown */
    return w;
}

static void Prepare(HWND w, uint64_t flags);

struct Kind {
    const char *name;
    std::function<HWND()> open;
    bool frame;
    std::function<std::vector<WalkRow>(HWND)> rows = nullptr;   /* else WalkRows */
    bool emptied = false;         /* a window of its own: its status line emptied
                                     before each row */
    void (*done)(void) = nullptr; /* what its opener set up, put back after */
};

static bool Emptied;              /* the kind walked is such */

/* The window a command of another window opens (that window opened once
 * and kept until the kind is walked), or the one it brings forward. */
static HWND Opener;

static HWND OpenedBy(const std::function<HWND()> &opener, int32_t id)
{
    if (!IsWindow(Opener))
        Opener = opener();
    if (!Opener)
        return nullptr;
    Snapshot before = Observe(Main->window);
    SendMessageA(Opener, WM_COMMAND, (WPARAM)id, 0);
    HWND w = nullptr;
    PumpUntil([&] { return (w = NewWindow(before)) != nullptr; }, 5000);
    return w;
}

/* A password cache file of password "walk" with a hint, closed, and a
 * fresh count of attempts; then Preferences' cache button id pressed. */
static HWND CacheWindow(int32_t id)
{
    DeleteFileA(PWCFileName());
    PWCLogon("walk", "walked");
    PWCSetPassword("");
    PWCResetAttempts();
    return OpenedBy([] { return ByFrameCommand(546); }, id);
}

static void NoCache(void)
{
    DeleteFileA(PWCFileName());
    PWCSetPassword("");
    PWCResetAttempts();
}

static HWND FromQueueList(int32_t id)
{
    return OpenedBy([] { return Rows(ByFrameCommand(534)); }, id);
}

/* The filter pop-up of a queue list's first enumerated column, opened by
 * a click on the filter mark of its title cell. */
static HWND ColumnFilter(void)
{
    if (!IsWindow(Opener))
        Opener = Rows(ByFrameCommand(534));
    DialogWords *d = Opener ? PCFDialogOf(Opener) : nullptr;
    const PCFLISTENTRY *columns = d ? PCFDialogColumns(d) : nullptr;
    HWND bar = d ? PCFWnd(d->rightTitle) : nullptr;
    RECT band = {}, mark;
    GetClientRect(bar, &band);
    Snapshot before = Observe(Main->window);
    for (int x = 2; columns && x < band.right; x += 2) {
        int32_t left, right;
        int border, column = PCFColumnAt(d, x, 3, &left, &right, &border);
        RECT cell = { left, 0, right, band.bottom };
        const PCFFieldDef *field = column < 0 ? nullptr : columns[column].field;
        if (!field || field->type != PCFT_ENUM || !PCFFilterMarkAt(d, field, &cell, &mark))
            continue;
        LPARAM at = MAKELPARAM((mark.left + mark.right) / 2, (mark.top + mark.bottom) / 2);
        SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(bar, WM_LBUTTONUP, 0, at);
        break;
    }
    HWND w = nullptr;
    PumpUntil([&] { return (w = NewWindow(before)) != nullptr; }, 5000);
    return w;
}

/* Only the rows of a command (a kind whose others are walked elsewhere). */
static std::function<std::vector<WalkRow>(HWND)> Only(int32_t id)
{
    return [id](HWND w) {
        std::vector<WalkRow> rows = WalkRows(w, false);
        rows.erase(std::remove_if(rows.begin(), rows.end(), [id](const WalkRow &r) { return r.id != id; }), rows.end());
        return rows;
    };
}

/* The frame with the tree's line of WALK.MSGS selected (the menu of a
 * right click over a queue line). */
static HWND QueueLine(void)
{
    SetActiveWindow(Main->window);
    TreeRecord(Main)->selLine = FindLine(Main, WalkQueue);
    return Main->window;
}

static const Kind Kinds[] = {
    { "frame", [] {
          Prepare(Main->window, WINDOW);   /* the Windows menu lists a window */
          return Main->window;
      }, true },
    { "frame list", [] { return PCFWnd(Main->listPane->window); }, false },
    { "frame message", [] { return PCFWnd(Main->msgPane->window); }, false },
    { "Queue Manager", [] { return Refreshed(ByFrameCommand(542), 0, nullptr); }, false },
    { "Command Level", [] { return ByFrameCommand(543); }, false },
    { "MQSC Commands", [] { return ByFrameCommand(556); }, false },
    { "Queue List", [] { return Rows(ByFrameCommand(534)); }, false },
    { "Queue", [] { return Refreshed(ByFrameCommand(533), 2016, "WALK.Q"); }, false },
    { "Message List", [] { return Refreshed(ByFrameCommand(566), 2016, WalkQueue); }, false },
    { "Message", OpenMessage, false },
    { "Filter Manager", [] { return ByFrameCommand(685); }, false },
    { "Preferences", [] {
          HWND w = ByFrameCommand(546);
          DDGetFieldWindow(DDFindHandle(w), 482, 1);   /* Set Password kept while its tab is hidden */
          return w;
      }, false },
    { "Add Location", [] { return ByFrameCommand(518); }, false },
    { "Location Settings", [] {
          HWND w = ByFrameCommand(749);
          for (int id : { 482, 483, 604 })            /* the Security tab's buttons, while it is hidden */
              DDGetFieldWindow(DDFindHandle(w), id, 1);
          return w;
      }, false },
    { "Change Multiple Locations", [] { return ByFrameCommand(938); }, false },
    { "Load/Unload", [] { return ByFrameCommand(731); }, false },
    { "Put", [] { return ByFrameCommand(641); }, false },
    { "Publish", [] { return ByFrameCommand(747); }, false },
    /* ---- the kinds opened from the frame's rows, and the windows rows open ---- */
    { "Broker Subscribers", [] { return ByFrameCommand(591); }, false },
    { "Broker Publishers", [] { return ByFrameCommand(592); }, false },
    { "Message Detail", [] { return Refreshed(ByFrameCommand(565), 2016, WalkQueue); }, false, Only(1) },
    { "frame queue", QueueLine, false, WalkTreeMenuRows },
    { "Auto Refresh Rate", [] { return FromQueueList(504); }, false, nullptr, true },
    { "Change List Contents", [] { return FromQueueList(505); }, false, nullptr, true },
    { "Export", [] { return FromQueueList(657); }, false, nullptr, true },
    { "Save Message", [] { return OpenedBy(OpenMessage, 918); }, false, nullptr, true },
    { "Load Message", [] { return OpenedBy(OpenMessage, 919); }, false, nullptr, true },
    { "Find and Replace", [] { return ByFrameCommand(900); }, false, nullptr, true },
    { "Import CCDT", [] { return ByFrameCommand(884); }, false, nullptr, true },
    { "Import MQ Explorer", [] { return ByFrameCommand(956); }, false, nullptr, true },
    { "Import Configuration", [] { return ByFrameCommand(931); }, false, nullptr, true },
    { "Colour Chooser", [] { return ByFrameCommand(584); }, false, nullptr, true },
    { "About", [] { return ByFrameCommand(528); }, false, nullptr, true },
    { "Error Log", [] { return ByFrameCommand(815); }, false, nullptr, true },
    { "INI File", [] { return ByFrameCommand(816); }, false, nullptr, true },
    { "Credentials", [] { return OpenedBy([] { return ByFrameCommand(749); }, 482); }, false, nullptr, true },
    /* no cache file yet: its creation agreed to */
    { "Password Cache", [] {
          WalkAnswerYes(1);
          HWND w = OpenedBy([] { return ByFrameCommand(546); }, 484);
          WalkAnswerYes(0);
          return w;
      }, false, nullptr, true },
    { "Cache Logon", [] { return CacheWindow(484); }, false, nullptr, true, NoCache },
    { "Cache Password", [] { return CacheWindow(482); }, false, nullptr, true, NoCache },
    { "Column Filter", ColumnFilter, false, nullptr, true },
};

/* ---- preparing a row, and putting things back after it ---- */

static void PutOnClipboard(const char *text)
{
    if (!OpenClipboard(nullptr))
        return;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, strlen(text) + 1);
    memcpy(GlobalLock(h), text, strlen(text) + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

static void Command(DialogWords *d, int32_t id)
{
    SendMessageA(PCFWnd(d->window), WM_COMMAND, (WPARAM)id, 0);
    PumpAll();
}

/* The find text of a message window, given through its Find and Replace
 * dialog; then every line selected, for a search to move from. */
static void FindText(DialogWords *pane, const char *text)
{
    Command(pane, 900);
    HWND find = PCFWnd(pane->findWindow);
    if (!find)
        return;
    SetDlgItemTextA(find, 415, text);
    SendMessageA(find, WM_COMMAND, MAKEWPARAM(414, BN_CLICKED), (LPARAM)GetDlgItem(find, 414));
    SendMessageA(find, WM_CLOSE, 0, 0);
    PumpAll();
    Command(pane, 937);
}

static HWND Beside;               /* the command dialog a WINDOW row needs */
static uint32_t KeptConfirm;      /* the confirmations while a NOASK row runs */
static QMS *Other;                /* the location of an OTHERLOC row */

/* The shown row whose queue is name (a queue list), else the first. */
static LPARAM RowNamed(DialogWords *d, const char *name)
{
    PCFLISTSTATE *st = PCFListState(d);
    for (uint32_t i = 0; st && d->definition == &PCFQueueListDef && i < st->count; i++) {
        int length = 0;
        const char *t = PCFParmText(d, st->rows[i].row, nullptr, MQCA_Q_NAME, &length);
        if (t && length >= (int)strlen(name) && !strncmp(t, name, strlen(name)) &&
            (length == (int)strlen(name) || t[strlen(name)] == ' '))
            return (LPARAM)i;
    }
    return 0;
}

/* Text typed into a control as the user types it: its owner hears of it. */
static void Typed(HWND w, int id, const char *text, WORD notify)
{
    HWND c = WalkControl(w, id);
    if (!c)
        return;
    SetWindowTextA(c, text);
    SendMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(id, notify), (LPARAM)c);
}

/* The rows of the windows a row opens (not command dialogs): their fields
 * typed, their file, their list's selection; the status line emptied. */
static void PrepareOwn(HWND w, uint64_t flags)
{
    if (!w || WalkDialog(w) || FrameOf(w))
        return;
    for (int id : { 103, 709 })
        if (HWND status = Emptied ? WalkControl(w, id) : nullptr)
            SetWindowTextA(status, "");
    Kept["file"] = AppConfigDir() + "walk.drask";
    if (flags & (TEXTS | BLANK)) {
        Typed(w, 415, (flags & TEXTS) ? "walk" : "", CBN_EDITUPDATE);
        Typed(w, 524, (flags & TEXTS) ? "run" : "", CBN_EDITUPDATE);
    }
    if (flags & NOTDRASK) {
        FILE *f = fopen(Kept["file"].c_str(), "w");
        if (f) {
            fputs("walk\n", f);
            fclose(f);
        }
    }
    if (flags & NAMED)
        Typed(w, 412, Kept["file"].c_str(), EN_CHANGE);
    if (flags & RATED)
        Typed(w, 182, "1 Min", EN_CHANGE);
    if (HWND b = (flags & TOCLIP) ? WalkControl(w, 703) : nullptr)
        SendMessageA(b, BM_CLICK, 0, 0);
    if (HWND b = (flags & TICKED) ? WalkControl(w, 188) : nullptr) {
        SendMessageA(b, BM_SETCHECK, SendMessageA(b, BM_GETCHECK, 0, 0) ? BST_UNCHECKED : BST_CHECKED, 0);
        SendMessageA(GetParent(b), WM_COMMAND, MAKEWPARAM(188, BN_CLICKED), (LPARAM)b);
    }
    /* the owner's objects an export writes: its rows but SYSTEM. ones */
    DialogWords *owner = PCFDialogOf(GetWindow(w, GW_OWNER));
    PCFLISTSTATE *st = owner && owner->definition == &PCFQueueListDef ? PCFListState(owner) : nullptr;
    int objects = 0;
    for (uint32_t i = 0; st && i < st->count; i++) {
        int length = 0;
        const char *t = PCFParmText(owner, st->rows[i].row, nullptr, MQCA_Q_NAME, &length);
        objects += t && strncmp(t, "SYSTEM.", 7) != 0;
    }
    Kept["objects"] = std::to_string(objects);
    if (flags & (PICKED | UNPICKED | TWOPICKED))
        SendMessageA(w, WM_COMMAND, 118, 0);
    if (flags & (PICKED | UNPICKED | TWOPICKED))
        EnumChildWindows(w, [](HWND c, LPARAM picked) -> BOOL {
            char cls[32] = "";
            GetClassNameA(c, cls, sizeof cls);
            if (lstrcmpiA(cls, "ListBox"))
                return TRUE;
            SendMessageA(c, LB_SETSEL, FALSE, -1);
            for (LPARAM i = 1; i <= picked; i++)
                SendMessageA(c, LB_SETSEL, TRUE, i);
            SendMessageA(GetParent(c), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), LBN_SELCHANGE), (LPARAM)c);
            return !picked;
        }, (flags & TWOPICKED) ? 2 : (flags & PICKED) ? 1 : 0);
    PumpAll();
}

/* A field of a window of its own typed, its owner told as by an edit. */
static void TypeField(HWND w, int id, const std::string &text)
{
    HWND field = DDGetFieldWindow(DDFindHandle(w), id, 0);
    SetWindowTextA(field, text.c_str());
    SendMessageA(w, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), (LPARAM)field);
    PumpAll();
}

static void Prepare(HWND w, uint64_t flags)
{
    SetActiveWindow(GetAncestor(w, GA_ROOT));
    DialogWords *d = WalkDialog(w);
    if (FrameOf(w))                /* the frame's rows act on the demo location */
        TreeRecord(Main)->selLine = FindLine(Main, "RAVOLT.DEMO");
    if (flags & QLINE)
        TreeRecord(Main)->selLine = FindLine(Main, WalkQueue);
    if (flags & NOLOC)
        TreeRecord(Main)->selLine = nullptr;
    if ((flags & LASTROW) && d && d->splitList) {
        Command(d, 1);               /* the list as the queue is now */
        PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 5000);
        PumpAll();
    }
    if ((flags & (ROW | LASTROW)) && d && d->splitList && d->rowCounts[0] > 0) {
        PCFSelectRows(d, PCFSEL_NONE);
        PCFLISTSTATE *st = PCFListState(d);
        LPARAM at = (flags & LASTROW) && st && st->count ? (LPARAM)st->count - 1 : RowNamed(d, "WALK.Q");
        SendMessageA(PCFWnd(d->splitList), LB_SETSEL, TRUE, at);
        PCFSetMenu(d);
    }
    if (d && d->splitList)
        if (PCFLISTSTATE *st = PCFListState(d))
            Kept["rows"] = std::to_string(st->count);
    if (flags & (SAME | TOQ | LASTROW))
        WalkWatchDepths({ WalkQueue, "WALK.Q" });
    if ((flags & (SAME | TOQ)) && d) {
        PCFSetFieldText(d, MYPCFA_TARGET_Q, (flags & SAME) ? WalkQueue : "WALK.Q");
        PCFSetFieldText(d, MYPCFA_TARGET_QM, (flags & OWNQM) ? "" : (flags & STARQM) ? "*" : "RAVOLT.DEMO");
    }
    if (flags & NOASK) {
        KeptConfirm = Prf.co;
        Prf.co &= ~(0x1u | 0x4u | 0x10u | 0x80000000u);
    }
    if (flags & OTHERLOC) {
        Other = AppLocation("WALK.LOC");
        if (flags & VIA)
            snprintf(Other->viaQm, sizeof Other->viaQm, "RAVOLT.DEMO");
        PumpUntil([] { return FindLine(Main, "WALK.LOC") != nullptr; }, 5000);
        TreeRecord(Main)->selLine = FindLine(Main, "WALK.LOC");
    }
    if (flags & OFFLINE) {
        DoAction(Main->window, AppDemo(), nullptr, 621);
        PumpUntil([] { return !(AppDemo()->putThread.state & 0x4); }, 10000);
    }
    Kept["queues"] = std::to_string(AppDemo()->queueCount);
    if (flags & DOWNLOAD) {
        AppRefresh(AppDemo(), RK_DOWNLOAD, nullptr, 1);
        PumpUntil([d] { return PCFDefaultsDownloaded(AppDemo(), d ? d->definition : &PCFQueueDef) != 0; }, 20000);
        if (d)
            PCFSetMenu(d);
    }
    if (flags & NOCFG)
        DeleteFileA((AppConfigDir() + "RAVOLT.CFG").c_str());
    if (flags & LONGPWC)
        TypeField(w, 478, std::string(299, 'p'));
    for (int id : { 323, 472, 473, 475 })
        if (flags & PASSWORD)
            TypeField(w, id, (flags & MISTYPED) && id == 473 ? "run" : "walk");
    if (flags & WRONGPW)
        TypeField(w, WalkControl(w, 475) ? 475 : 472, "run");
    if (flags & WINDOW) {
        /* the frame and the window beside, tiled over the work area */
        RECT area = {};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        auto rect = [&](long width, long height) {
            return std::to_string(area.left) + "," + std::to_string(area.top) + " " + std::to_string(width) + "x" +
                   std::to_string(height);
        };
        Kept["tilerows"] = rect(area.right - area.left, (area.bottom - area.top) / 2);
        Kept["tilecolumns"] = rect((area.right - area.left) / 2, area.bottom - area.top);
    }
    DialogWords *pane = d && d->editor ? d : Main->msgPane;
    if (!pane) {
        printf("walk: the frame has no message pane\n");
        return;
    }
    if ((flags & LASTROW) && pane->editor) {
        PCFSetFieldText(pane, MYPCFA_MSG_TOKEN, "");
        PCFSetFieldText(pane, MYPCFA_MSGID, "");
        PCFSetFieldText(pane, MYPCFA_POSITION, std::to_string(QueueDepth("RAVOLT.DEMO", WalkQueue)).c_str());
        Command(pane, 1);
        PumpUntil([pane] { return !(pane->markFlags & DM_REQUEST_SENT); }, 3000);
    }
    if ((flags & FIRST) && pane->editor) {
        PCFSetFieldText(pane, MYPCFA_MSG_TOKEN, "");
        PCFSetFieldText(pane, MYPCFA_MSGID, "");
        PCFSetFieldText(pane, MYPCFA_POSITION, "1");
        Command(pane, 1);
        PumpUntil([pane] { return !(pane->markFlags & DM_REQUEST_SENT); }, 3000);
    }
    if ((flags & BIG) && pane->editor) {
        PCFSetFieldText(pane, MYPCFA_MSG_TOKEN, "");
        PCFSetFieldText(pane, MYPCFA_MSGID, "");
        PCFSetFieldText(pane, MQCA_Q_NAME, "WALK.BIG");
        PCFSetFieldText(pane, MYPCFA_POSITION, "1");
        Command(pane, 1);
        WalkAnswered(pane);          /* the big message takes longer than the waits above */
    }
    if (flags & STEP)
        Command(pane, 563);
    if (flags & ONTAG)
        Command(pane, 929);          /* the body shown as XML, its tags fields */
    if ((flags & (NOSEL | INDATA | ONTAG | MARKED)) && pane->dataWindow) {
        HWND data = PCFWnd(pane->dataWindow);
        SendMessageA(data, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
        SendMessageA(data, WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        /* the keys the user presses: down to the data, right to the tag's name */
        for (int i = 0; i < ((flags & ONTAG) ? 8 : (flags & (INDATA | MARKED)) ? 1 : 0); i++) {
            SendMessageA(data, WM_KEYDOWN, i ? VK_RIGHT : VK_DOWN, 1);
            SendMessageA(data, WM_KEYUP, i ? VK_RIGHT : VK_DOWN, 0xC0000001);
        }
        PumpAll();
        if (flags & MARKED)
            Command(pane, 905);
    }
    if (flags & BIG)
        printf("walk: BIG status flags %x status '%s' values %s\n", pane->statusFlags,
               WindowText(PCFWnd(pane->statusWindow)).c_str(), Observe(w)["msgpane.values"].c_str());
    if (flags & (SELECTED | EDITED | UNDONE))
        Command(pane, 937);
    /* typed over the selection; once more when a late reply put the
       message back before the typing took */
    const char *edited = pane == Main->msgPane ? "msgpane.edited" : "dialog.edited";
    for (int tries = 0; (flags & (EDITED | UNDONE)) && tries < 3 && (!tries || Observe(w)[edited] != "yes"); tries++) {
        if (tries) {
            PumpUntil([pane] { return !(pane->markFlags & DM_REQUEST_SENT); }, 3000);
            Command(pane, 937);
        }
        for (const char *c = "walk"; *c; c++)
            SendMessageA(PCFWnd(pane->dataWindow), WM_CHAR, (WPARAM)*c, 1);
        PumpAll();
    }
    if (flags & UNDONE)
        Command(pane, 894);
    if (flags & CLIP)
        PutOnClipboard("walk");
    if ((flags & NOCLIP) && OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    if ((flags & NOROW) && d && d->splitList) {
        PCFSelectRows(d, PCFSEL_NONE);
        PCFSetMenu(d);
    }
    if (flags & FIND)
        FindText(pane, "walk");
    if ((flags & FILTER) && d && d->filterWindow)
        SetWindowTextA(PCFWnd(d->filterWindow), d->definition == &PCFMessageListDef ? "msgLen > 100000" : "curdepth > 100000");
    if ((flags & NEWQ) && d) {
        static int made;
        char name[20];
        snprintf(name, sizeof name, "WALK.NEW%d", ++made);
        PCFSetFieldText(d, MQCA_Q_NAME, name);
        Kept["newq"] = name;
    }
    if ((flags & TONAME) && d) {
        AppMqsc("RAVOLT.DEMO", "DELETE QLOCAL('WALK.COPY')\n");
        PCFSetFieldText(d, MQCACF_TO_Q_NAME, "WALK.COPY");
    }
    if ((flags & DRAG) && d) {
        Command(d, 762);             /* the widths a reset gives, before the drag */
        Kept["widths"] = Observe(w)["dialog.widths"];
    }
    if ((flags & DRAG) && d && d->rightTitle) {
        HWND bar = PCFWnd(d->rightTitle);
        RECT rc;
        GetClientRect(bar, &rc);
        for (int x = 4; x < rc.right; x++) {
            int32_t left, right;
            int border = 0;
            if (PCFColumnAt(d, x, 3, &left, &right, &border) < 0 || !border)
                continue;
            SendMessageA(bar, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 4));
            SendMessageA(bar, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 30, 4));
            SendMessageA(bar, WM_LBUTTONUP, 0, MAKELPARAM(x + 30, 4));
            break;
        }
    }
    if (flags & WALKF) {
        SetWindowTextA(WalkControl(w, 258), "WALKF");
        SetWindowTextA(WalkControl(w, 259), "curdepth > 1");
        SendMessageA(w, WM_COMMAND, 131, 0);
    }
    if (flags & HIDDEN) {
        SendMessageA(w, WM_COMMAND, 581, 0);
        SetWindowTextA(WalkControl(w, 579), "NO.SUCH.LOCATION");
        SetWindowTextA(WalkControl(w, 103), "");       /* the status line as the row leaves it */
    }
    if (flags & CONSOLE)
        EnumChildWindows(w, [](HWND child, LPARAM) -> BOOL {
            char cls[32] = "";
            GetClassNameA(child, cls, sizeof cls);
            if (!lstrcmpiA(cls, "ComboBox")) {
                /* typed: the box's owner hears of the change as it would */
                SetWindowTextA(child, "DISPLAY QMGR");
                SendMessageA(GetParent(child), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(child), CBN_EDITCHANGE),
                             (LPARAM)child);
            }
            return TRUE;
        }, 0);
    if (flags & USERID) {
        DDHANDLE dd = DDFindHandle(w);
        DDSetCheck(dd, 324, 1);
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(324, BN_CLICKED), (LPARAM)DDGetFieldWindow(dd, 324, 1));
        DDSetCheck(dd, 574, 1);
        QMS *demo = AppDemo();
        CSFreeMemAndClear(&demo->password);
        demo->password = (char *)CSGetMem(sizeof "walk", "PWD");
        memcpy(demo->password, "walk", sizeof "walk");
    }
    if (flags & KDB) {
        KDBS *kdb = nullptr;
        KDBFind("walk.kdb", &kdb, 1);
        snprintf(kdb->password, sizeof kdb->password, "walk");
        AppDemo()->kdbEntry = kdb;
    }
    if (flags & CHOSEN) {
        QMS *demo = AppDemo();
        Kept["netnames"] = demo->networkNames ? demo->networkNames : "";
        CSStringSet(&demo->networkNames, "DEMONET", -1);
        SendMessageA(w, WM_COMMAND, 581, 0);
        HWND fields = WalkControl(w, 590);
        LRESULT row = SendMessageA(fields, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"Network Names");
        SendMessageA(fields, LB_SETCURSEL, (WPARAM)row, 0);
        SendMessageA(w, WM_COMMAND, MAKEWPARAM(590, LBN_SELCHANGE), (LPARAM)fields);
        SetWindowTextA(WalkControl(w, 593), "WALKNET");
        SetWindowTextA(WalkControl(w, 103), "");       /* the status line as the row leaves it */
    }
    if (flags & SEARCH) {
        SetWindowTextA(Main->search, strcmp(Shell.defaultSearch[0], "walked") ? "walked" : "");
        SetWindowTextA(Main->searchQ, "");
        ApplySearch(Main);           /* nothing left waiting for the timer */
    }
    if ((flags & WINDOW) && !IsWindow(Beside)) {
        SendMessageA(Main->window, WM_COMMAND, 543, 0);
        PumpAll();
        DialogWords *open = NewestDialog("Command Level");
        Beside = open ? PCFWnd(open->window) : nullptr;
    }
    if (flags & WINDOW)
        SetActiveWindow(Main->window);
    PrepareOwn(w, flags);
    PumpAll();
}

/* The lists a row's answer made stale, asked again and answered before
 * the next row: the row's own request answered first (its answer marks
 * them), then each list while its refresh waits for the timer's next
 * tick, and until that refresh is answered. */
static void ListsRefreshed(HWND w)
{
    for (DialogWords *d : { WalkDialog(w), Main->msgPane, Main->listPane })
        if (d)
            PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT) && !(d->optionFlags & DO_LISTS_WAIT); }, 10000);
    PumpAll();
}

static void After(HWND w, uint64_t flags)
{
    DialogWords *d = WalkDialog(w);
    DialogWords *pane = d && d->editor ? d : Main->msgPane;
    if (pane && pane->editor && (flags & (UNDO | EDITED | UNDONE | BIG | LASTROW))) {
        /* the first message as the queue holds it, the edits dropped: the
           frame's pane opens it from its list again, a window of its own
           closes (and is opened again for the next row) */
        WalkAnswerYes(1);
        if (pane == Main->msgPane) {
            DialogWords *list = Main->listPane;
            Command(list, 1);            /* the queue as it is now */
            PumpUntil([list] { return !(list->markFlags & DM_REQUEST_SENT); }, 3000);
            PumpAll();
            PCFSelectRows(list, PCFSEL_NONE);
            SendMessageA(PCFWnd(list->splitList), LB_SETSEL, TRUE, 0);
            Command(list, 596);
            PumpUntil([pane] { return !(pane->markFlags & DM_REQUEST_SENT); }, 3000);
        } else {
            SendMessageA(PCFWnd(pane->window), WM_CLOSE, 0, 0);
        }
        PumpAll();
        WalkAnswerYes(0);
    }
    if (flags & RELIST)
        ListsRefreshed(w);
    if (flags & CONNECT) {
        AppDemo()->state &= ~LST_SUSPENDED;
        AppConnect();
    }
    if ((flags & FILTER) && d && d->filterWindow) {
        SetWindowTextA(PCFWnd(d->filterWindow), "");
        Command(d, 23);
        if (d->dlgInfo)
            CSFreeMemAndClear(&d->dlgInfo->dftFilter);
    }
    if ((flags & QMAGAIN) && d) {
        d->first.flags |= PCFLR_SELECTED;          /* as a click on its line in the pane */
        Command(d, 1);
        PumpUntil([d] { return d->rowCounts[0] > 0; }, 5000);
    }
    if ((flags & (SAME | TOQ)) && d)
        for (uint32_t attr : { MYPCFA_TARGET_Q, MYPCFA_TARGET_QM })
            if (PCFFieldEntry *e = PCFFindField(d, PCFDialogCaps(d), d->definition->fields, attr)) {
                /* no target at all again, as the list had none */
                uint8_t *r = d->dataArea + e->offset;
                memset(PCFRecText(r), 0, (size_t)e->field->maximum + 1);
                PCFSetState(r, 0);
            }
    WalkWatchDepths({});
    if ((flags & ONTAG) && pane && pane->editor)
        Command(pane, 922);
    if (flags & NOASK)
        Prf.co = KeptConfirm;
    if ((flags & OTHERLOC) && FindLine(Main, "WALK.LOC"))
        AppRemoveLocation(Other);
    if (flags & OTHERLOC) {
        PumpUntil([] { return !FindLine(Main, "WALK.LOC"); }, 5000);
        TreeRecord(Main)->selLine = FindLine(Main, "RAVOLT.DEMO");
    }
    if ((flags & PAGE1) && d)
        Command(d, 6013);
    if ((flags & AUTOBODY) && pane && pane->editor)
        Command(pane, 922);
    if (flags & SEARCH) {
        SetWindowTextA(Main->search, "");
        SetWindowTextA(Main->searchQ, "");
        PumpUntil([] { return FindLine(Main, "RAVOLT.DEMO") != nullptr; }, 5000);
    }
    if (flags & QLINE)
        TreeRecord(Main)->selLine = FindLine(Main, "RAVOLT.DEMO");
    if (flags & LONGPWC)
        TypeField(w, 478, "");
    if (flags & PASSWORD)
        CSFreeMemAndClear(&AppDemo()->password);
    if ((flags & WALKF) && IsWindow(w)) {
        AnswerQuestions(1);
        SendMessageA(w, WM_COMMAND, 260, 0);    /* when still there */
        AnswerQuestions(0);
    }
    if ((flags & HIDDEN) && IsWindow(w)) {
        SetWindowTextA(WalkControl(w, 579), "");
        SendMessageA(w, WM_COMMAND, 541, 0);
    }
    if (flags & (USERID | KDB | CHOSEN)) {
        QMS *demo = AppDemo();
        demo->flags &= ~(uint32_t)LF_USRP;
        demo->flags2 &= ~(uint32_t)LF2_UCUSER;
        if (flags & USERID)
            CSFreeMemAndClear(&demo->password);
        demo->kdbEntry = nullptr;
        if (flags & CHOSEN)
            CSStringSet(&demo->networkNames, Kept["netnames"].c_str(), -1);
        if (flags & (USERID | CHOSEN) && IsWindow(w))
            SendMessageA(w, WM_CLOSE, 0, 0);
    }
    if (flags & RESTORE)
        for (HWND top : { Main->window, Beside })
            if (IsWindow(top))
                ShowWindow(top, SW_RESTORE);
    PumpAll();
}

/* ---- the setting ---- */

static bool Settle(void)
{
    Main = AppMain();
    if (!AppDemoExpanded(Main))
        return false;
    AppMqsc("RAVOLT.DEMO", "DEFINE QLOCAL('WALK.MSGS') REPLACE\nDEFINE QLOCAL('WALK.Q') DESCR('walked') REPLACE\n"
                           "DEFINE QLOCAL('WALK.BIG') REPLACE\n");
    std::string big(Prf.maxm > 0 ? (size_t)Prf.maxm + 5000 : 20000, 'x');
    if (!AppPut("RAVOLT.DEMO", WalkQueue, { "first <a>walk</a>", "second", "third" }) ||
        !AppPut("RAVOLT.DEMO", "WALK.BIG", { big.c_str() }))
        return false;
    DoAction(Main->window, AppDemo(), nullptr, 508);
    if (!AppRefreshDone())
        return false;
    cntLINE *q = FindLine(Main, WalkQueue);
    if (!q)
        return false;
    TreeActivated(Main, q);
    PumpUntil([] { return Main->listPane->rowCounts[0] >= 3; }, 5000);
    DialogWords *list = Main->listPane;
    SendMessageA(PCFWnd(list->splitList), LB_SETSEL, TRUE, 0);
    SendMessageA(PCFWnd(list->window), WM_COMMAND, 596, 0);
    PumpUntil([] { return Main->msgPane->editor && Main->msgPane->editor->data.length > 0; }, 5000);
    TreeRecord(Main)->selLine = FindLine(Main, "RAVOLT.DEMO");
    /* the location's first automatic refresh, which its timer asks for
       once it is connected, made and settled before the first row: landing
       in a row it is a refresh that row never asked for */
    if (!PumpUntil([] { return AppDemo()->lastAutoRefresh != 0; }, 20000) || !AppRefreshDone())
        return false;
    AnswerQuestions(0);
    Prf.po[2] |= 0x40000u;        /* Exit asks first */
    return true;
}

/* ---- the walk ---- */

struct Tally {
    int rows = 0, cases = 0, greyed = 0, failed = 0, expected = 0, switches = 0;
    int via[5] = {};
};

/* Changes less the active window's: the foreground belongs to the whole
 * Wine session, where another test's windows may take it at any time. */
static std::string WithoutActivation(const std::string &changes)
{
    std::string kept, line;
    for (size_t at = 0; at < changes.size(); at += line.size()) {
        size_t end = changes.find('\n', at);
        line = changes.substr(at, end == std::string::npos ? std::string::npos : end - at + 1);
        if (line.compare(0, 8, "active: ") != 0)
            kept += line;
    }
    return kept;
}

/* Nothing more to come of a row that must do nothing: the program at
 * rest, then a tick of the main frame's timer (work a row leaves for the
 * timer is done at its tick) and at rest again. */
static void Quiet(void)
{
    AppSettled(10000);
    int at = Shell.tick;
    PumpUntil([at] { return Shell.tick != at; }, 10000);
    AppSettled(10000);
}

/* One case of a row: prepared, then found greyed or chosen, and judged;
 * what is wrong, or nothing. */
static std::string WalkCase(const Kind &k, HWND &w, const WalkRow &row, const Expect *e, Tally &t,
                            std::string *changes)
{
    if (!IsWindow(w))
        w = k.open();
    /* the location's next automatic refresh a whole interval away: one
       landing in the case is a refresh the case never asked for */
    AppDemo()->lastAutoRefresh = LocNow();
    uint64_t flags = e ? e->flags : 0;
    Prepare(w, flags);
    if (e && e->before) {
        SendMessageA(w, WM_COMMAND, (WPARAM)e->before, 0);
        PumpAll();
        /* its request answered first: a window waiting for a reply takes
           no command, and a loaded machine answers late */
        if (DialogWords *d = WalkDialog(w))
            PumpUntil([d] { return !(d->markFlags & DM_REQUEST_SENT); }, 10000);
    }
    for (DialogWords *shown : { WalkDialog(w), Main->listPane, Main->msgPane })
        if (shown && shown->statusWindow)
            SetWindowTextA(PCFWnd(shown->statusWindow), "");
    if (!WalkEnabled(w, row)) {
        t.greyed++;
        After(w, flags);
        if (!e)
            return "greyed, and the table does not know the row";
        return strcmp(e->effect, "grey") ? std::string("greyed, but it must: ") + e->effect : "";
    }
    if (e && !strcmp(e->effect, "grey")) {
        After(w, flags);
        return "enabled, but it must be greyed";
    }
    int yes = (flags & YES) != 0;
    AnswerQuestions(yes);
    WalkAnswerYes(yes);
    Snapshot before = Observe(w);
    WalkPerform(w, row);
    bool none = e && !strcmp(e->effect, "none");
    std::string why, failure;
    if (e && !none)
        PumpUntil([&] { return Holds(before, Observe(w), e->effect, &why); }, 10000);
    else
        Quiet();                     /* what it would do has come by now */
    AppSettled(10000);               /* and what it still asked is answered */
    Snapshot after = Observe(w);
    *changes = Changes(before, after);
    if (getenv("WALK_VERBOSE"))
        printf("ROW %s %s %d '%s':\n%s", k.name, WalkViaName(row.via), row.id, row.label.c_str(), changes->c_str());
    if (!e)
        failure = "the table does not know the row";
    else if (none && !WithoutActivation(*changes).empty())
        failure = "it must do nothing";
    else if (!none && !Holds(before, after, e->effect, &why))
        failure = "it must change " + why;
    AnswerQuestions(0);
    WalkAnswerYes(0);
    if ((flags & TWICE) && IsWindow(w)) {
        WalkPerform(w, row);
        if (e->before)
            SendMessageA(w, WM_COMMAND, (WPARAM)e->before, 0);
        PumpAll();
    }
    CloseNewWindows(before, w);
    After(w, flags);
    return failure;
}

static void Fail(Tally &t, std::string &report, bool open, const std::string &head, const std::string &failure,
                 const std::string &changes)
{
    (open ? t.expected : t.failed)++;
    std::string mark = !open ? "FAIL: " : "OPEN (not mended yet): ";
    printf("%s%s: %s\n%s", mark.c_str(), head.c_str(), failure.c_str(), changes.c_str());
    fflush(stdout);
    if (!open)
        report += mark + head + ": " + failure + "\n";
}

/* A row: what it is (its text, key, tooltip and picture), then each of its
 * cases.  A case marked open that passes fails: its mark is stale. */
static void WalkRowOf(const Kind &k, HWND &w, const WalkRow &row, Tally &t, std::string &report)
{
    char head[300];
    snprintf(head, sizeof head, "%s %s %d '%s'", k.name, WalkViaName(row.via), row.id, row.label.c_str());
    t.rows++;
    t.via[row.via]++;
    std::vector<const Expect *> cases = Cases(k.name, row.id);
    const char *text = nullptr;
    for (const Expect *e : cases)
        text = text ? text : e->text;
    if (!IsWindow(w))
        w = k.open();
    std::string looks = Looks(w, row, text);
    if (!looks.empty())
        Fail(t, report, false, head, looks, "");
    if (row.via == VIA_ACCEL && row.control && cases.size() > 1)
        cases.resize(1);              /* a dialog's key: as its button's first case */
    if (row.via == VIA_CONTEXT)       /* opened on a line, which it acts on */
        std::erase_if(cases, [](const Expect *e) { return (e->flags & NOLOC) != 0; });
    if (cases.empty())
        cases.push_back(nullptr);
    for (const Expect *e : cases) {
        t.cases++;
        std::string changes, failure = WalkCase(k, w, row, e, t, &changes);
        bool open = e && e->until;
        if (open && failure.empty())
            failure = "marked open, but it passes: the mark is stale", open = false;
        if (!failure.empty())
            Fail(t, report, open, head + std::string(e && cases.size() > 1 ? " (" + std::string(e->effect) + ")" : ""),
                 failure, changes);
    }
}

/* The switches of the page shown, each flipped and put back, its effect
 * judged (each switch once). */
static void WalkPageSwitches(const Kind &k, HWND w, std::set<HWND> &seen, Tally &t, std::string &report)
{
    for (HWND sw : WalkSwitches(w)) {
        if (!seen.insert(sw).second)
            continue;
        int32_t id = WalkSwitchId(sw);
        const char *want = "";
        for (const auto &s : Switches)
            if (InKinds(s.kind, k.name) && s.id == id)
                want = s.greys;
        std::string got = WalkSwitchEffect(w, sw);
        t.switches++;
        if (getenv("WALK_VERBOSE"))
            printf("SWITCH %s %d '%s': '%s'\n", k.name, id, WindowText(sw).c_str(), got.c_str());
        if (got != want)
            Fail(t, report, false, std::string(k.name) + " switch " + std::to_string(id) + " '" + WindowText(sw) + "'",
                 "it must grey '" + std::string(want) + "', not '" + got + "'", "");
    }
}

/* The switches of each page of each of the window's tab controls; the
 * first pages shown again after. */
static void WalkSwitchesOf(const Kind &k, HWND w, Tally &t, std::string &report)
{
    std::set<HWND> seen;
    WalkPageSwitches(k, w, seen, t, report);
    for (HWND tabs : WalkTabs(w)) {
        for (int page = 0, pages = (int)SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0); page < pages; page++) {
            TestSelectTab(DDFindHandle(w), w, GetDlgCtrlID(tabs), page);
            WalkPageSwitches(k, w, seen, t, report);
        }
        TestSelectTab(DDFindHandle(w), w, GetDlgCtrlID(tabs), 0);
    }
}

TEST(Walk, EveryCommandOfEveryWindowDoesWhatItSays)
{
    ASSERT_TRUE(Settle());
    WalkStartAnswering();
    std::string report, counts;
    int failed = 0;
    /* some kinds ("!" first: all but them): by hand, or a part of the walk
       that ctest runs beside the other */
    const char *only = getenv("WALK_KINDS");
    for (const Kind &k : Kinds) {
        if (only && *only && (only[0] == '!' ? InKinds(only + 1, k.name) : !InKinds(only, k.name)))
            continue;
        HWND w = k.open();
        if (!w) {
            report += std::string("FAIL: ") + k.name + " does not open\n";
            failed++;
            continue;
        }
        Tally t;
        Emptied = k.emptied;
        DWORD started = GetTickCount();
        std::vector<WalkRow> rows = k.rows ? k.rows(w) : WalkRows(w, k.frame);
        for (const WalkRow &row : rows)
            WalkRowOf(k, w, row, t, report);
        if (!IsWindow(w))
            w = k.open();
        WalkSwitchesOf(k, w, t, report);
        for (const KeyRow &key : Keys)
            if (k.frame && std::none_of(rows.begin(), rows.end(), [&](const WalkRow &r) {
                    return r.via == VIA_ACCEL && SameKey(key, r.key); }))
                Fail(t, report, false, std::string("frame key for ") + std::to_string(key.id),
                     "the accelerator table lacks the key", "");
        auto popped = [&](int32_t id) { return std::any_of(rows.begin(), rows.end(), [&](const WalkRow &r) {
            return r.via == VIA_CONTEXT && (!id || r.id == id); }); };
        for (const auto &c : Context)
            if (popped(0) && !popped(c.id))
                Fail(t, report, false, std::string(k.name) + " context " + std::to_string(c.id), "the menu lacks the row", "");
        char line[300];
        snprintf(line, sizeof line, "%-26s %3d rows (menu %d, buttons %d, toolbar %d, keys %d, context %d), "
                 "%d cases, %d greyed, %d switches, %d failed, %d expected to fail, %lu s\n", k.name, t.rows,
                 t.via[VIA_MENU], t.via[VIA_BUTTON], t.via[VIA_TOOLBAR], t.via[VIA_ACCEL], t.via[VIA_CONTEXT], t.cases,
                 t.greyed, t.switches,
                 t.failed, t.expected, (unsigned long)(GetTickCount() - started) / 1000);
        counts += line;
        failed += t.failed;
        if (IsWindow(w) && !k.frame && GetParent(w) == nullptr && !FrameOf(w))
            SendMessageA(w, WM_CLOSE, 0, 0);
        if (IsWindow(Opener))
            SendMessageA(Opener, WM_CLOSE, 0, 0);
        PumpAll();
        if (k.done)
            k.done();
    }
    WalkStopAnswering();
    /* the failures again, a line each, beside the counts: the end of a
     * long output is what a cut log keeps */
    printf("%s", report.c_str());
    printf("%s", counts.c_str());
    EXPECT_EQ(failed, 0);
}
