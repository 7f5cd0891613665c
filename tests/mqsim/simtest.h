/* Test helpers for the stand-in: a fresh home folder per test, queue
 * managers made from MQSC, and short forms of the MQI calls. */
#pragma once

#include "mqi.h"
#include "mqsim.h"
#include "simhome.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

/* How long, in real time, a test waits for what must happen however
 * loaded the machine: only a failing test waits this long. */
const int SimTestEventMs = 20000;

/* Runs the test executable again as a child: its result (exit code), or
 * -1 when it could not be started. */
int SimTestRunChild(const char *mode, const std::string &home);
/* The same, without waiting: a handle for SimTestWaitChild (-1: not
 * started). */
intptr_t SimTestStartChild(const char *mode, const std::string &home);
int SimTestWaitChild(intptr_t child);
/* Looks at done() every few milliseconds until it holds (true) or ms of
 * real time have passed (false). */
bool SimTestPoll(const std::function<bool()> &done, int ms = SimTestEventMs);
/* Waits up to ms for a file to exist. */
bool SimTestWaitFile(const std::string &path, int ms = SimTestEventMs);
/* Whether another thread is inside an MQI call (a waiting get, say) on a
 * connection of this process that has queue open for input: that thread
 * holds the connection. */
bool SimTestInputCallInProgress(const char *queue);
/* Waits until such a call is in progress (true); false when *ended says
 * the call waited for is over already, or after SimTestEventMs. */
bool SimTestWaitInputCall(const char *queue, const std::atomic<bool> *ended = nullptr);
/* The passes its dispatcher has made over a connection's consumers (a
 * suspended one's too): one that ends at two more than now began after
 * what was done before now. */
uint64_t SimTestDispatchPasses(MQHCONN h);
/* Waits until a message put before the queue manager's clock read
 * putDoneMs (SimTestClockMs) with an expiry of tenths has expired. */
void SimTestWaitExpired(int64_t putDoneMs, MQLONG tenths);
/* The queue manager's clock, in milliseconds. */
int64_t SimTestClockMs(void);
/* Makes an empty file. */
void SimTestTouch(const std::string &path);

class Sim : public ::testing::Test {
public:
    std::string home;
    MQHCONN hc = MQHC_UNUSABLE_HCONN;
    void SetUp() override;
    void TearDown() override;
    /* Runs MQSC against qmgr; expects success unless told. */
    std::string Mqsc(const char *qmgr, const char *text, bool ok = true);
    MQHCONN Connect(const char *qmgr, MQLONG expectReason = 0, MQCNO *cno = nullptr);
    MQHOBJ Open(MQHCONN h, const char *name, MQLONG options, MQLONG expectReason = 0,
                MQOD *od = nullptr);
    void Close(MQHCONN h, MQHOBJ o, MQLONG options = MQCO_NONE);
    MQLONG Put(MQHCONN h, MQHOBJ o, const std::string &data, MQMD *md = nullptr, MQLONG pmoOptions = MQPMO_NO_SYNCPOINT,
               MQPMO *pmo = nullptr);
    /* Gets into *data; returns the reason. */
    MQLONG Get(MQHCONN h, MQHOBJ o, std::string *data, MQLONG options = MQGMO_NO_WAIT, MQMD *md = nullptr,
               MQGMO *gmo = nullptr, MQLONG bufLen = 65536);
    MQLONG Depth(MQHCONN h, const char *queue);
};

#define FILL(field, text) SimFill(field, sizeof(field), text)
/* A fixed field up to its first blank. */
std::string Trim(const char *field, size_t size);
/* Runs a command line, returning its standard output (and exit code in *rc). */
std::string SimTestRun(const std::string &cmd, int *rc);
/* The folder of this test executable, with a trailing separator. */
std::string SimTestExeDir(void);
