/* Helpers of the dialogs benchmarks: a failed MQI call ends the program,
 * and the replies of one MQCMD_INQUIRE_Q of every attribute of the queues
 * a name pattern matches, asked of a queue manager's command server. */
#pragma once

#include <string>
#include <vector>

#include "mqi.h"

void BenchCheck(const char *what, MQLONG rc);
/* replyQueue: a local queue, or a model queue for a dynamic one */
std::vector<std::string> BenchInquireQueues(MQHCONN h, const char *pattern, const char *replyQueue);
