/* The engine tests' fixture: a queue manager of the stand-in with the
 * queues of a test, one connection through the recording MQI table, a
 * control block run by DraskLoadUnload with the texts and questions the
 * window would get recorded, and messages put and browsed beside it. */
#pragma once

#include "mqengine/enginetest.h"
#include "xfertest.h"

#include <string>
#include <vector>

class Transfer : public EngineTest {
public:
    MQHCONN conn = MQHC_UNUSABLE_HCONN;    /* through the recording table */
    std::vector<std::string> texts;        /* for the window */
    std::vector<std::string> questions;
    int answer = 1;

    void SetUp() override;
    void TearDown() override;
    /* A block on the test's connection (freed by Run). */
    DROPT *Block(void);
    /* Runs it as the put thread would: the result code. */
    int Run(DROPT *o);
    /* A message put with set-all context (md as given) or default context. */
    void PutMessage(const char *queue, const std::string &data, MQMD *md = nullptr, bool setAll = false);
    void PutMany(const char *queue, int count, const char *prefix = "message ");
    /* Every message of a queue, browsed on a connection of its own. */
    std::vector<XMsg> Browse(const char *queue);
    MQLONG DepthOf(const char *queue) { return Depth("QM1", queue); }
    /* A descriptor with every field the queue manager keeps set. */
    static MQMD FullMD(int i);
    std::string LastText(void) { return texts.empty() ? std::string() : texts.back(); }
};
