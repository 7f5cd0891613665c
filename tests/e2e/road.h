/* The road's record and the kit its steps share: the program started
 * with the road's configuration, the tree and the frame's message list
 * read as a user reads them, object dialogs' fields typed over, and the
 * road queues checked through the MQI after every step. */
#pragma once

#include "e2e.h"

#include <string>
#include <vector>

/* The queues the fill script fills or leaves empty for the road, in the
 * order of Road.queues. */
extern const char *const RoadQueues[];
extern const int RoadQueueCount;
enum { RQ_TEXT, RQ_XML, RQ_JSON, RQ_PCF, RQ_RFH2, RQ_MANY, RQ_TARGET1, RQ_TARGET2, RQ_LOADED, RQ_DLQ, RQ_COUNT };

/* Where a queue's line is in the tree (client y of the tree's child). */
struct TreeLine {
    std::string queue;
    int y;
};

struct Road {
    std::string ravolt, tool, fill, home, config;
    E2EProcess program;
    HWND frame;
    std::vector<TreeLine> lines;                    /* as the last scan found them */
    std::vector<E2EMsg> queues[RQ_COUNT];           /* as the last check left them */
    int failures;
};

std::string WinPath(std::string p);
void Fail(Road *r, const char *step, const std::string &why);
bool Inquire(const char *queue, MQLONG selector, MQLONG *value, std::string *text);
MQLONG Depth(const char *queue);
void CheckQueues(Road *r, const char *step, const char *const *touched, int ntouched, bool full = false);
std::string FileText(const std::string &path);

/* the program started with the road's configuration, -m opening the
   location: 0, 1 on failure, 77 when no window came */
int Launch(Road *r, const char *step);

/* the tree and the panel */
HWND Panel(Road *r);
HWND Tree(Road *r);
std::string SearchText(Road *r);
std::string Status(Road *r);
void SearchQueues(Road *r, const char *text);
/* a frame's Search Queues field */
HWND SearchField(HWND frame);
void ClickLine(HWND tree, int y, bool twice = false);
void ScanTree(Road *r);
const TreeLine *LineOf(Road *r, const char *queue);
bool TreeShowsRoad(Road *r, int ms, std::string *missing);
/* Keys (VK_SHIFT, VK_CONTROL) pressed, or let go, as a user holds them
 * while the program works: back once the program has taken them.  The
 * program reads such keys when it takes them from its input queue, after
 * what it is sent or posted; so a key behind them whose effect shows is
 * the sign: the tree's selection stepped a line down (or up again). */
bool HoldKeys(Road *r, std::initializer_list<WORD> keys, bool down);

/* the frame's message list: a frame's split list, its rows */
HWND MessageList(HWND frame);
int ListRows(Road *r);
int OpenFromTree(Road *r, const char *step, const char *queue, int rows);

/* object dialogs */
HWND FieldEditor(HWND dialog);
/* whether a line of the dialog's fields shows text: each line clicked
   from the top and the editor over it read (left over the line found) */
bool FieldShown(HWND dialog, const char *text);
void TypeOver(HWND editor, const char *text);
void Press(HWND dialog, int id);
/* a command dialog's status line */
std::string DialogStatus(HWND dialog);
/* waits up to ms for it to hold (or, with absent, no longer hold) text:
   whether it came to */
bool StatusComes(HWND dialog, const char *text, int ms, bool absent = false);
/* A line of a status history (a combo box's list), read across
   processes into room for the longest the program keeps. */
std::string HistoryLine(HWND combo, int i);
/* A mark put at the top of a dialog's status history: every text the
   dialog says afterwards goes above it (the history keeps each text that
   differs from its top).  The texts above the mark, newest first; and
   the newest of them that answers, waited for up to ms ("" if none). */
void MarkStatus(HWND dialog);
std::vector<std::string> StatusSinceMark(HWND dialog);
std::string StatusAnswer(HWND dialog, bool (*answers)(const std::string &), int ms);
/* A window closed as its close box closes it: whether it went (or was
   hidden, as a dialog kept for its next use is). */
bool Closed(HWND w);

/* roadpanel.cpp: whether a frame's queue-manager panel is wide enough
   to read (why not); the frame made small and large again; the stopped
   queue manager's automatic location written for the next start, and its
   attempts counted over seconds */
bool PanelReadable(HWND frame, std::string *why);
void SmallFrame(Road *r);
void AddStoppedLocation(Road *r, int autod);
void StoppedLocationTries(Road *r, int autod, int seconds);
/* the location of E2EAUTH, a queue manager that asks for a user id and
   password, written for the next start ("Userid and Password" on); its
   Location Settings' Set Password typing them, and Connect */
extern const char RoadAuthUser[], RoadAuthPassword[];
void AddAuthLocation(Road *r);
void SetPassword(Road *r);

/* roadcs.cpp: a step from a second frame by its accelerators; the
   command server silent (the fault run) */
void SecondFrame(Road *r);
void SilentServer(Road *r);

/* the message steps (roadmsg.cpp): messages opened and read, an edit
   saved, the dead letter read, a save whose put fails */
void OpenMessages(Road *r);
void EditMessage(Road *r);
/* the user formats of the road: a LEDGER message's numbers as numeric text */
extern const char RoadLedgerFormat[];
/* E2E.EDIT's messages edited field by field: a user format's number, a
   Latin-1 text kept in its code page, an IMS header added */
void EditByField(Road *r);
void OpenDeadLetter(Road *r);
void FailedSave(Road *r);

/* The put dialog (roadput.cpp), opened from the frame's menu on the
   location's line and filled as a user fills it; Put pressed.  The
   dialog, or null with the failure logged. */
struct RoadPut {
    const char *queue;
    const char *text;          /* typed; "\n" is the Enter key */
    const char *persistence;   /* an entry of its list: "Persistent", ... */
    const char *count;         /* Message Count (null: "1") */
    bool syncpoint;
    const char *shot;          /* the filled dialog's picture, or null */
};
HWND RoadPutDialog(Road *r, const char *step, const RoadPut &put);
/* The same, filled but Put not pressed: Press(dialog, IDOK) puts. */
HWND RoadPutFill(Road *r, const char *step, const RoadPut &put);
/* The put dialog's status line once the put thread has answered (up to
   ms): "1 message put in ..." or the failure's text. */
std::string RoadPutResult(HWND dialog, int ms);

/* roadlists.cpp: the Queue List filtered, sorted, exported and put
   from; Queue Lists filtered on depth, on the road's location and on
   its z/OS one; the frame's message list printed; the location's MQSC
   console */
void QueueListExport(Road *r);
void FilteredLists(Road *r);
void PrintList(Road *r);
void MqscConsole(Road *r);
/* A Queue List opened from the Objects menu on the location's line, the
   filter text applied, the rows it leaves awaited (a failure logged when
   they do not come); the dialog and its list box, or null. */
HWND RoadQueueList(Road *r, const char *step, const char *filter, int rows, HWND *list);
/* Whether a list box comes to show so many rows within ms. */
bool RoadRowsCome(HWND list, int rows, int ms);

/* steps 5 and 7 */
void PutNew(Road *r);
void UnloadLoad(Road *r);

/* ---- copy, move and delete in the frame's message list (roadmove.cpp) ---- */

/* What the program said of a copy, move or delete: whether it said the
 * command ended (within the time given), the message list's status line
 * then, and the boxes it showed meanwhile (the confirmation first). */
struct RoadSaid {
    bool ended;
    std::string status;
    std::vector<std::string> history;    /* the status line's recent texts, newest first */
    std::vector<E2EBox> boxes;
};
/* Whether the program said text of the command: on its status line, or
 * among its recent texts (the refresh of the list that follows a change
 * puts its own text over the command's). */
bool RoadSaidHas(const RoadSaid &said, const std::string &text);
enum RoadAct { RA_COPY = 597, RA_MOVE = 598, RA_DELETE = 599 };
/* From the frame's message list of queue (opened from the tree when the
 * frame shows another), acts on the rows at the given indexes (from 0,
 * in the list's first page), or on all messages of the queue when rows
 * is empty ("Move All", which the list cannot be switched to yet: that
 * fails the step): the rows clicked (Ctrl held), a copy or move
 * dropped on the target's tree line (Shift held for a copy), a delete
 * by its command; the confirmation answered Yes (its picture shot as
 * "<shot>-confirm" when shot is given, the list as "<shot>" once the
 * command ended).  Returns once the program said the command ended, or
 * after ms: true when it did. */
bool RoadActRows(Road *r, const char *step, RoadAct act, const char *queue, const std::vector<int> &rows,
                 const char *target, RoadSaid *said, int ms = 60000, const char *shot = nullptr);
/* The move: RoadActRows with RA_MOVE. */
bool RoadMoveRows(Road *r, const char *step, const char *queue, const std::vector<int> &rows, const char *target,
                  RoadSaid *said, int ms = 60000, const char *shot = nullptr);

/* The frame's message list's Commit in Batches turned on or off. */
void RoadBatches(Road *r, bool on);
/* A queue too deep to browse whole holding want[from, from + depth):
 * its depth, first messages and last one; false with the failures. */
bool RoadHolds(Road *r, const char *step, const char *queue, const std::vector<E2EMsg> &want, size_t from,
               size_t depth);

/* The road's step of copy, move and delete. */
void CopyMoveDelete(Road *r);
/* The fault run's move cut off by a broken connection. */
void BrokenMove(Road *r);
/* The fault run's put through the put dialog beside a move (roadfault.cpp). */
void PutDuringMove(Road *r);
