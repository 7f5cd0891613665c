/* What the MQ benchmarks share: the stand-in bound as the MQ library, a
 * home folder for its queue managers, and short forms of the MQI calls
 * that end the run on a failure. */
#pragma once

#include <chrono>
#include <string>

#include "mqi.h"

double BenchSeconds(std::chrono::steady_clock::time_point since);
/* Ends the run when rc is not 0. */
void BenchCheck(const char *what, MQLONG rc);
/* Runs MQSC against a queue manager; ends the run when it fails. */
void BenchMqsc(const char *qmgr, const char *text);
/* The stand-in (linked in) as the client and server MQ library. */
void BenchBindStandIn(void);
/* A temporary home folder unless RAVOLT_MQSIM_HOME names one: the folder
 * to remove at the end, or "". */
std::string BenchHome(const char *name);
void BenchRemoveHome(const std::string &home);
MQHCONN BenchConnect(const char *qmgr);
MQHOBJ BenchOpen(MQHCONN h, const char *queue, MQLONG options);
