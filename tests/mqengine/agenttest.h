/* Test harness of the command agent: requests built with the program's
 * own PCF builder, a receiver that keeps a copy of every in-process
 * response (walked with the PCF cursor), requests run as the message
 * thread runs them, and queues filled and read through the stand-in's
 * own connections. */
#pragma once

#include "enginetest.h"

#include <map>
#include <string>
#include <vector>

#include "agent.h"
#include "mq/mqconst.h"
#include "mq/pcf.h"

/* One parameter of a response. */
struct PcfParm {
    MQLONG type = 0, id = 0;
    std::vector<int32_t> ints;
    std::string bytes;             /* string or byte string as sent */
};

/* One response part as the receiver got it, its parameters split into
 * items at each end-of-group mark. */
struct PcfPart {
    QMS *location = nullptr;
    MQMD md = {};
    MQCFH cfh = {};
    std::string raw;
    MQLONG walkReason = 0;         /* how the walk ended: 10000 when whole */
    std::vector<std::vector<PcfParm>> items;

    const PcfParm *Find(int32_t id, size_t item = 0) const;
    bool Has(int32_t id, size_t item = 0) const { return Find(id, item) != nullptr; }
    int32_t Int(int32_t id, size_t item = 0) const;
    std::string Str(int32_t id, size_t item = 0) const;   /* without trailing blanks and NULs */
    std::string Bytes(int32_t id, size_t item = 0) const;
    std::string Text() const;      /* MYPCFA_ERROR_MESSAGE or MYPCFA_INFO_MESSAGE */
    std::vector<int32_t> Ids(size_t item = 0) const;
};
PcfPart ParsePart(const void *data, size_t length);

/* A request built with the PCF builder. */
class Pcf {
public:
    explicit Pcf(int32_t command);
    ~Pcf();
    Pcf(const Pcf &) = delete;
    Pcf &operator=(const Pcf &) = delete;
    Pcf &Str(int32_t id, const std::string &text);
    Pcf &Int(int32_t id, int32_t value);
    Pcf &Ints(int32_t id, const std::vector<int32_t> &values);
    Pcf &Bytes(int32_t id, const std::string &bytes, int32_t type = PCF_BYTE_STRING);
    std::vector<uint8_t> Data() const;
private:
    void *area = nullptr;
    MQPP pp;
};

/* What the receiver got. */
struct Received {
    std::mutex lock;
    std::vector<PcfPart> parts;
    void Clear();
    std::vector<PcfPart> All();
    size_t Count();
};
extern Received Got;
/* Puts the copying receiver in MQEHooks.response. */
void InstallReceiver(void);

/* A message as the stand-in holds it. */
struct QMsg {
    MQMD md;
    std::string data;
    std::string Id() const { return std::string((const char *)md.MsgId, 24); }
};

class AgentTest : public EngineTest {
public:
    void SetUp() override;
    void TearDown() override;
    /* A location of qm, connected (put and get thread). */
    QMS *Connected(const char *qm, uint32_t flags = 0);
    /* The request descriptor the message thread gives a request. */
    MQMD RequestMD(QMS *r, uint8_t keyByte = 1);
    /* Runs a request as the message thread does (on the put connection)
     * and returns the responses it produced. */
    std::vector<PcfPart> Run(QMS *r, const Pcf &request, MQMD *md = nullptr);
    /* The same on a given connection handle. */
    std::vector<PcfPart> RunOn(QMS *r, MQHCONN h, const Pcf &request, MQMD *md = nullptr);
    /* Puts count messages "<prefix><n>" (n from 1), returns their MsgIds. */
    std::vector<std::string> Fill(const char *qm, const char *queue, int count,
                                  const std::string &prefix = "msg", MQMD *md = nullptr);
    /* Takes every message off a queue (CLEAR refuses a queue the agent
     * keeps open). */
    void Drain(const char *qm, const char *queue);
    /* The committed messages of a queue, in order (browsed). */
    std::vector<QMsg> Browse(const char *qm, const char *queue);
    /* The stand-in's own connection to qm (one per queue manager). */
    MQHCONN Conn(const char *qm);
    std::map<std::string, MQHCONN> conns;
    std::vector<std::pair<std::string, std::string>> faults;
    /* A stand-in fault taken back at the end of the test.  It counts the
     * calls of every thread on the queue manager, the get thread's MQGET
     * on the reply queue among them: a fault meant for the calls on one
     * queue is armed with Rec.Fail. */
    void FaultAt(const char *verb, const char *qmgr, MQLONG nth, MQLONG reason, MQLONG count = 1);
};

/* A progress record without a window, as the requesting dialog would
 * have made it (reference 1), for the request key of keyByte. */
struct PROGRESS *TestProgress(uint8_t keyByte);
