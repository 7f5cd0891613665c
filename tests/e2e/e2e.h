/* The end-to-end harness: the program started as a user starts it, its
 * top-level windows found, driven by synthesized input and window
 * messages, what they show read back, every message box answered and
 * logged by a watchdog, and the queues checked through the MQI from
 * this process (over the stand-in's local channel to the program, which
 * owns the queue manager). */
#pragma once

#include <windows.h>

#include "mqi.h"

#include <initializer_list>
#include <map>
#include <string>
#include <vector>

/* ---- waits ---------------------------------------------------------------- */

/* How long a wait gives the program, on the clock: its windows' answer
 * to what they were sent or shown (its thread gets a share of a loaded
 * machine), and an answer that waits on the queue manager as well.  A
 * wait that sees its event ends at once: these bound a failure only. */
enum { E2E_WINDOW_MS = 30000, E2E_QMGR_MS = 60000 };

/* Looks until holds() is true or ms have passed on the clock (not the
 * sum of the sleeps between looks, which a loaded machine stretches):
 * whether it held. */
template <class Holds> bool E2EUntil(int ms, Holds holds, int every = 50)
{
    ULONGLONG start = GetTickCount64();
    for (;;) {
        if (holds())
            return true;
        if (GetTickCount64() - start >= (ULONGLONG)ms)
            return false;
        Sleep((DWORD)every);
    }
}

/* ---- processes ---------------------------------------------------------- */

struct E2EProcess {
    HANDLE process;
    DWORD pid;
};
/* Starts a command line in a folder: false when it cannot start. */
bool E2EStart(E2EProcess *p, const std::string &cmdline, const std::string &dir);
/* Runs a command line to its end: its exit code, -1 when it cannot
 * start or outlives ms. */
int E2ERun(const std::string &cmdline, int ms);
/* Whether it still runs; waits up to ms for it to end. */
bool E2EEnded(E2EProcess *p, int ms);
/* Ends the process started: its windows asked to close, then, after ms,
 * terminated.  Only ever the process it started. */
void E2EEnd(E2EProcess *p, int ms);

/* ---- windows ------------------------------------------------------------- */

/* Visible top-level windows of a process. */
std::vector<HWND> E2ETopWindows(DWORD pid);
/* The first visible top-level window of the process whose title holds
 * part (any when null), other than exclude, waited for up to ms; null when
 * none came. */
HWND E2EWaitWindow(DWORD pid, const char *part, int ms, HWND exclude = nullptr);
/* A window's text, read across processes. */
std::string E2EText(HWND hwnd);
/* A descendant by class (null: any) and control id (-1: any). */
HWND E2EFindChild(HWND parent, const char *cls, int id);
/* Brings a window forward so that synthesized input reaches it: back
 * once its thread has taken the activation and it is the foreground
 * window (false when it did not become so). */
bool E2EBringForward(HWND hwnd);
/* Synthesized input: text as typed, one key with modifiers, a mouse
 * click at client coordinates of a window.  Each goes into the input
 * queue of the foreground window's thread, after the input before it,
 * and is taken there later: a caller waits for its effect. */
void E2ETypeText(const char *text);
void E2EKey(WORD vk, bool ctrl = false, bool shift = false, bool alt = false);
void E2EClick(HWND hwnd, int x, int y, bool right = false);
/* The pointer moved to a screen point, then the buttons given
 * (MOUSEEVENTF_LEFTDOWN, ...) pressed or let go there.  A press on the
 * spot of the last comes no sooner after it than a user's next single
 * click: the system's double-click time (the road never double-clicks
 * with the mouse). */
void E2EMouse(POINT screen, DWORD buttons);
/* Keys (VK_SHIFT, ...) pressed or let go, into the same input queue: the
 * mouse input after them is taken with them held, as a user's is. */
void E2EKeys(std::initializer_list<WORD> keys, bool down);
/* A menu command posted as the menu posts it (taken after what the
 * window's thread was given before it). */
void E2ECommand(HWND frame, int id);
/* A command sent to a window: back once its thread has handled it (not
 * for one that opens a modal window, which would hold this send). */
bool E2EDo(HWND w, int id, LPARAM lp = 0);
/* Whether the window's thread answers: back once it has handled what it
 * was sent before. */
bool E2EAnswers(HWND w, int ms = E2E_WINDOW_MS);
/* The clipboard's text; emptied. */
std::string E2EClipboard(void);
void E2EEmptyClipboard(void);
/* The text a copy that comes later puts on the emptied clipboard, waited
 * for up to ms without opening the clipboard till the text is there: an
 * open of ours while the program copies would make its own open fail. */
std::string E2ECopiedText(int ms = E2E_WINDOW_MS);
/* A screen picture of the window into the gallery folder
 * (<gallery>/<name>.bmp). */
bool E2EShot(HWND hwnd, const char *name);

/* ---- the watchdog of message boxes ----------------------------------------- */

struct E2EBox {
    std::string caption, text;
};
/* Starts watching the process's dialog boxes: each one's caption and
 * text logged, then answered with the button of id answer. */
void E2EWatchdogStart(DWORD pid, int answer);
void E2EWatchdogAnswer(int answer);
std::vector<E2EBox> E2EWatchdogTake(void);
void E2EWatchdogStop(void);

/* ---- queues ------------------------------------------------------------------ */

/* One message as a step checks it: its data's digest and the descriptor
 * fields a step must keep. */
struct E2EMsg {
    std::string msgId;          /* hex */
    std::string digest;         /* of the data */
    std::string data;           /* the bytes themselves */
    MQMD md;
    MQLONG length;
};
/* A connection to a queue manager by its name: 0 or the reason. */
MQLONG E2EConnect(const char *qmgr, MQHCONN *hc);
/* The messages of a queue, browsed in order (at most limit; with id, 24
 * bytes, only the message of that MsgId): 0 or the reason. */
MQLONG E2EQueue(const char *qmgr, const char *queue, std::vector<E2EMsg> *out, size_t limit = (size_t)-1,
                const MQBYTE *id = nullptr);
/* A queue's messages by MsgId; false (with why) when an id occurs twice. */
bool E2EById(const std::vector<E2EMsg> &msgs, std::map<std::string, E2EMsg> *out, std::string *why);
/* Whether two sets of queues hold the same messages, nothing lost and
 * nothing doubled, whichever queue each is on now: the differences. */
std::string E2ESameMessages(const std::vector<E2EMsg> &before, const std::vector<E2EMsg> &after);
std::string E2EDigest(const void *p, size_t n);

/* ---- the fill script ---------------------------------------------------------- */

/* Runs each line of a fill script (mqsim tool arguments; "#" comments;
 * ${SAMPLES} and ${HERE} replaced) with the tool against a home folder
 * and a queue manager: the empty string, or the first line that failed. */
std::string E2EFill(const std::string &tool, const std::string &script, const std::string &home,
                    const std::string &samples, const char *qmgr = "E2EQM");
