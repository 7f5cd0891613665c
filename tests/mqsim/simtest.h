/* Test helpers for the stand-in: a fresh home folder per test, queue
 * managers made from MQSC, and short forms of the MQI calls. */
#pragma once

#include "mqi.h"
#include "mqsim.h"
#include "simhome.h"

#include <gtest/gtest.h>

#include <string>

/* Runs the test executable again as a child: its result (exit code), or
 * -1 when it could not be started. */
int SimTestRunChild(const char *mode, const std::string &home);

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
