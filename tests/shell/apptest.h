/* The application shell running in the test's own process: started once
 * with a fresh configuration folder whose name has a dot, over the
 * stand-in queue manager RAVOLT.DEMO; the refreshes the shell asks for,
 * recorded; recorded confirmations; and the tree's lines read back. */
#pragma once

#include <windows.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "mqi.h"
#include "shell.h"
#include "shelltest.h"

struct QMS;

/* Called once by AppStart when the shell's start-up and first frame have
 * filled every hook table, before the test's own doubles replace any. */
extern void (*AppWired)(void);
/* Starts the shell (once per process) and answers its main frame. */
HWND AppStart(void);
FrameWords *AppMain(void);
/* The location of RAVOLT.DEMO. */
QMS *AppDemo(void);
/* The configuration folder ("...\ravolt.cfg.N\") and its file. */
std::string AppConfigDir(void);
/* MQSC against a stand-in queue manager of the test's home. */
int AppMqsc(const char *qmgr, const std::string &text);

/* Texts put on a queue of a stand-in queue manager through its MQI, as
 * another program would. */
bool AppPut(const char *qmgr, const char *queue, std::initializer_list<const char *> texts);
/* Messages of a format (8 characters) with the bytes given, in a CCSID
 * and encoding when given (else the descriptor's defaults), each with the
 * 24-byte message id given (else one of the queue manager's). */
bool AppPutData(const char *qmgr, const char *queue, const char *format, const std::vector<std::string> &data,
                int32_t ccsid = 0, int32_t encoding = 0, const std::string &msgId = std::string());

/* A connection to a stand-in queue manager through the MQI the test
 * loaded, with at most one object open (a queue, or the queue manager
 * without a name); both are let go at its end. */
typedef void (*MQDISC_FN)(PMQHCONN, PMQLONG, PMQLONG);
typedef void (*MQOPEN_FN)(MQHCONN, PMQVOID, MQLONG, PMQHOBJ, PMQLONG, PMQLONG);
typedef void (*MQCLOSE_FN)(MQHCONN, PMQHOBJ, MQLONG, PMQLONG, PMQLONG);
typedef void (*MQPUT1_FN)(MQHCONN, PMQVOID, PMQVOID, PMQVOID, MQLONG, PMQVOID, PMQLONG, PMQLONG);
typedef void (*MQGET_FN)(MQHCONN, MQHOBJ, PMQVOID, PMQVOID, MQLONG, PMQVOID, PMQLONG, PMQLONG, PMQLONG);
typedef void (*MQINQ_FN)(MQHCONN, MQHOBJ, MQLONG, PMQLONG, MQLONG, PMQLONG, MQLONG, PMQCHAR, PMQLONG, PMQLONG);
struct MqiSession {
    MQDISC_FN disc = nullptr;
    MQOPEN_FN open = nullptr;
    MQCLOSE_FN close = nullptr;
    MQPUT1_FN put1 = nullptr;
    MQGET_FN get = nullptr;
    MQINQ_FN inq = nullptr;
    MQHCONN h = 0;
    MQHOBJ o = 0;
    MQOD od = { MQOD_DEFAULT };           /* as the open left it */
    MQLONG cc = 0, rc = 0;
    bool connected = false, opened = false;

    explicit MqiSession(const char *qmgr);
    ~MqiSession();
    MqiSession(const MqiSession &) = delete;
    MqiSession &operator=(const MqiSession &) = delete;
    bool Open(const char *queue, MQLONG options);
    /* A blank-padded MQ name field. */
    static void Name(MQCHAR *field, const char *text, size_t size);
};

/* A queue manager's objects read back through the MQI, as another
 * program reads them: a queue's depth (-1 when there is no such queue)
 * and description, the queue manager's description. */
int QueueDepth(const char *qmgr, const char *queue);
/* Every message of a queue taken away: how many, or -1. */
int AppTakeAll(const char *qmgr, const char *queue);
std::string QueueDesc(const char *qmgr, const char *queue);
std::string QmgrDesc(const char *qmgr);
/* The messages put to a local queue since its statistics were last reset,
 * read by a Reset Queue Statistics of our own sent to the command server
 * (which starts them again from now); -1 when it does not answer. */
int QueueEnqueuedSinceReset(const char *qmgr, const char *queue);

/* The refreshes the shell asks for, recorded and handed on to the MQ
 * engine's refresh; the calls made. */
struct RefreshCall {
    std::string qm, prefix;
    uint32_t bits;
};
std::vector<RefreshCall> &Refreshes(void);
int AppRefresh(QMS *location, uint32_t bits, const char *prefix, int force);
/* Waits until the location's (RAVOLT.DEMO's) queue list has arrived with
 * nothing outstanding and the program is at rest (AppSettled). */
bool AppRefreshDone(int ms = 20000, QMS *location = nullptr);
/* Waits until the program is at rest: no command of its waits for a reply
 * (a console's record, kept while its window is open, aside), no dialog
 * waits for its request, every rebuild asked of the analyser thread is
 * made, and what the threads posted here is taken; false after ms. */
bool AppSettled(int ms = 20000);
/* The stand-in's fault of a verb, armed in this process (the command
 * servers' with MQSIM_COMMAND_SERVER). */
void StandInFault(const char *verb, MQLONG count, MQLONG reason);
/* Connects a location (RAVOLT.DEMO) and waits until its queue manager's
 * attributes have arrived. */
bool AppConnect(QMS *location = nullptr);
/* A location of its own for a queue manager (not connected), and its
 * removal (disconnected first). */
QMS *AppLocation(const char *qm);
void AppRemoveLocation(QMS *location);
/* RAVOLT.DEMO connected and expanded in a frame, its queue lines in. */
bool AppDemoExpanded(FrameWords *frame);
/* The main frame with RAVOLT.DEMO expanded and selected in its tree. */
FrameWords *AppDemoSelected(void);
/* The texts of a menu's items, in order. */
std::vector<std::string> MenuTexts(HMENU menu);
/* A frame's Windows menu (the one holding "Close all"), or null. */
HMENU WindowsMenu(FrameWords *f);
/* Our own top-level window of a class whose title holds a text, or null. */
HWND AppWindow(const char *cls, const std::string &title);
/* The row of a queue (or object of that name) in a list window, or -1;
 * and a row selected as the list selects it, the dialog told (no mouse:
 * a press on a message list may start a drag). */
int RowOf(DialogWords *d, const char *queue);
void SelectRow(DialogWords *d, int index);

/* Confirmations: the questions asked, answered with answer. */
struct Question {
    std::string verb, name;
};
std::vector<Question> &Questions(void);
void AnswerQuestions(int answer);

/* A frame's tree: each line's text (items joined) at its depth. */
struct TreeLine {
    int depth;
    std::string text;
    int kind;
    cntLINE *line;
};
std::vector<TreeLine> TreeLines(FrameWords *frame, bool visibleOnly = false);
/* The line with the text, or null. */
cntLINE *FindLine(FrameWords *frame, const std::string &text);
/* The children's texts of a line. */
std::vector<std::string> ChildTexts(cntLINE *line);
/* Expands a line as a click of its expander does (asking the panel). */
bool ExpandLine(FrameWords *frame, cntLINE *line);
/* The container's record of a frame's tree. */
CNTW *TreeRecord(FrameWords *frame);
/* A message through the program's loop filters, then dispatched. */
void LoopMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
/* A key pressed and let go through the loop with Ctrl/Shift/Alt held. */
void LoopKey(HWND hwnd, WPARAM vk, bool ctrl = false, bool shift = false, bool alt = false);
