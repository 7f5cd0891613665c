/* Test harness of the MQ engine: the stand-in queue managers behind a
 * recording MQI table, a scaled engine clock, a port that plays the main
 * window, and locations made and taken down per test. */
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "mqengine.h"
#include "locstore.h"

/* One MQI call as the recording table saw it. */
struct MQCall {
    std::string verb;
    MQHCONN hconn = 0;
    MQHOBJ hobj = 0;
    std::string object;          /* queue or queue manager it concerns */
    MQLONG options = 0;          /* open, get or put options */
    MQLONG cc = 0, rc = 0;
    uint64_t tick = 0;           /* engine tick at the call */
    uint32_t thread = 0;
    MQLONG waitInterval = 0;
    MQLONG length = 0;           /* buffer or data length */
    MQLONG dataLength = 0;       /* MQGET: length of the message */
    /* MQCONNX */
    MQCNO cno = {};
    bool hasCd = false, hasCsp = false, hasSco = false;
    MQCD cd = {};
    MQCSP csp = {};
    MQSCO sco = {};
    std::string cspUser, cspPassword, ccdtUrl;
    std::vector<std::string> msgExits, msgUserData;
    /* MQOPEN */
    MQOD od = {};
    std::string objectString;
    /* MQPUT, MQGET */
    MQMD md = {};
    MQPMO pmo = {};
    std::string data;
};

/* A failure (or hold) the recording table injects. */
struct MQFault {
    std::string verb;            /* "MQPUT", ... */
    std::string object;          /* "" any; else the object the call concerns */
    MQLONG reason;               /* 0: only the hold */
    int count;                   /* calls still to hit; -1 unlimited */
    int skip;                    /* matching calls let through first */
    bool breaks;                 /* reason 2009: the connection broken for real */
    std::function<bool()> until; /* the call waits until it holds */
};

/* The recording table over the stand-in. */
struct Recorder {
    std::mutex lock;
    std::vector<MQCall> calls;
    std::vector<MQFault> faults;
    /* called after an MQINQ that succeeded (integers may be changed) */
    std::function<void(MQLONG count, const MQLONG *selectors, MQLONG intCount, MQLONG *ints)> onInq;
    /* called on the caller's thread after each call is recorded */
    std::function<void(const MQCall &)> onCall;

    void Clear();
    std::vector<MQCall> Of(const std::string &verb, const std::string &object = "");
    size_t Count(const std::string &verb, const std::string &object = "");
    void Fail(const std::string &verb, const std::string &object, MQLONG reason, int count = 1, int skip = 0);
    /* The call after skip matching ones waits until until() holds: a
     * connection or an open that stays slow until the event the test
     * names, however long the engine's own time runs meanwhile. */
    void Hold(const std::string &verb, const std::string &object, std::function<bool()> until, int skip = 0);
    /* Every held call goes on (the test ends). */
    std::atomic<bool> letGo{false};
    /* The call after skip matching ones breaks its connection in the
     * stand-in, as a lost channel does (its unit of work backed out, every
     * later call on it 2009), and meets the break itself: a fault that
     * strikes one queue's calls, never another thread's on the same queue
     * manager. */
    void Break(const std::string &verb, const std::string &object, int skip = 0);
};
extern Recorder Rec;
/* The stand-in's own table (calls that the recorder does not see). */
extern MQIEntryTable StandIn;

/* What the port recorded. */
struct PortMessage {
    uint32_t message;
    void *window;
    void *lParam;
    std::string text;            /* of a text block */
    int send;
};
struct PortError {
    QMS *location;
    uint32_t flags;
    std::string text;
};

/* The main window played by the tests. */
struct MainWindowPlay {
    std::mutex lock;
    std::vector<PortMessage> messages;
    std::vector<PortError> errors;
    bool startGetThread = true;  /* on 11237 */
    bool fillCredentials = true; /* on 11354; else the prompt is left empty */
    std::string user, password, keyPassword;
    int answer = 1;              /* on 11391 */
    std::vector<CREDREQUEST> credentialRequests;

    void Clear();
    size_t Count(uint32_t message, QMS *location = nullptr);
    std::vector<std::string> Texts(uint32_t message);
    std::vector<std::string> ErrorTexts(QMS *location = nullptr);
};
extern MainWindowPlay Main;
/* Puts the main window's part back as the engine's port. */
void RecordPort(void);

/* The engine clock of the tests: engine time runs scale times faster
 * than real time, and can be moved on.  The engine's sleeps and waits
 * are kept as they are asked (engine milliseconds), for tests that wait
 * for a thread to have gone to sleep or to wait. */
struct TestClock {
    std::atomic<uint32_t> scale{100};
    std::atomic<int64_t> offsetMs{0};
    /* frozen: the tick stands still but for Advance, sleeps pass at once;
       manual too: a sleep lasts until Advance has moved the tick past its
       end (the test lets engine time pass step by step) */
    std::atomic<bool> frozen{false}, manual{false};
    std::atomic<uint64_t> frozenAt{0};
    void Advance(int64_t ms);
    void Freeze();
    void Manual();
    /* The tick runs on from where it stood. */
    void Thaw();
    /* Engine time runs n times faster from now on, the tick going on
     * from where it stands (never back). */
    void SetScale(uint32_t n);
    /* The tick as it runs, without the offset. */
    uint64_t Running();
    /* The engine's sleeps and waits of ms asked so far. */
    size_t Sleeps(uint32_t ms);
    size_t Waits(uint32_t ms);
    /* The waits a thread asked for, in order (of the last thousand asked). */
    std::vector<uint32_t> WaitsOf(uint32_t thread);
    void Reset();

    std::mutex lock;
    std::condition_variable moved;               /* Advance, Thaw: for manual sleeps */
    uint64_t base = 10000000, since = 0;         /* the running tick at real ms since */
    struct Asked { uint32_t thread, ms; bool wait; };
    std::deque<Asked> recent;                    /* a fuzz run asks without end */
    std::map<std::pair<bool, uint32_t>, size_t> asked;
};
extern TestClock Clock;

/* Waits until done() holds, polling it; its last value.  The bound (real
 * milliseconds) only ends a wait for what never comes: no test passes
 * or fails by how long something takes. */
bool WaitFor(std::function<bool()> done, uint32_t realMs = 20000);

class EngineTest : public ::testing::Test {
public:
    std::string home;
    std::vector<QMS *> locations;
    void SetUp() override;
    void TearDown() override;
    /* Runs MQSC against a queue manager (created when new). */
    std::string Mqsc(const char *qmgr, const char *text, bool ok = true);
    /* A location in the location tree, for queue manager qm. */
    QMS *Location(const char *qm, uint32_t flags = 0, int retry = 0, int disconnect = 0);
    /* Starts the put thread and waits until the location is set up (and
     * its get thread connected unless single). */
    void Connect(QMS *r);
    /* Ends both threads and waits. */
    void Stop(QMS *r);
    /* Queue depth through the stand-in's own table. */
    MQLONG Depth(const char *qm, const char *queue);
    /* Puts a message through the stand-in's own table. */
    void Put(const char *qm, const char *queue, const std::string &data, MQMD *md = nullptr);
    /* A connection of the stand-in's own table (closed at the end). */
    MQHCONN Own(const char *qm);
    std::vector<MQHCONN> own;
};

/* What reached the command agent: replies the get thread read
 * (AnalyseCommand) and commands the workers ran (ProcessCommand).  The
 * recorders pass each on to the functions they stand before. */
struct AgentCall {
    QMS *location;
    MQHCONN hconn;
    MQMD md;
    std::string data;
    uint32_t thread;
    uint64_t tick;
};
struct AgentLog {
    std::mutex lock;
    std::vector<AgentCall> replies, commands;
    /* run inside ProcessCommand's recorder, before it returns */
    std::function<void(const AgentCall &)> onCommand;
    void Clear();
    size_t Replies();
    size_t Commands();
};
extern AgentLog Agent;
/* Puts the recorders in MQEHooks.analyse and MQEHooks.process. */
void RecordAgent(void);

/* Lets go of every queue manager of the stand-in (they load again when
 * next used). */
void ShutdownStandIn(void);
/* The stand-in's own fault: the nth call of verb on qmgr (null: any) and
 * count - 1 after it fail with reason; count 0 takes it back. */
void StandInFaultAt(const char *verb, const char *qmgr, MQLONG nth, MQLONG count, MQLONG reason);
/* The stand-in's fault of the next count calls of a verb ("CMDSERVER":
 * the command servers' answers); count 0 takes it back. */
void StandInFault(const char *verb, MQLONG count, MQLONG reason, MQLONG delayMs);

/* Requests waiting in a location's put-thread queue (0 once the thread
 * has taken the last one posted). */
int32_t PutRequestsWaiting(QMS *r);
/* A queue opened through the stand-in's own table (expects success). */
MQHOBJ OpenOwn(MQHCONN h, const char *queue, MQLONG options);
/* A PCF command message of one code, no parameters. */
std::vector<uint8_t> PcfCommand(int32_t command);
/* A copy of a block in CSGetMem storage. */
void *Block(const void *data, size_t length);
std::string Trim(const char *field, size_t size);
