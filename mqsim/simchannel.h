/* The local channel between processes: a process that has loaded a queue
 * manager serves the MQI verbs on it to other processes over a loopback
 * socket, one socket per connection.  The port and a key that every
 * socket presents first are in the file "channel" of the queue
 * manager's folder while the owner runs.
 *
 * Each request and each reply is one frame: its length (4 bytes), then
 * for a request the operation (4 bytes) and its fields.  Both ends are
 * the same build of the library, so structures travel as they are, with
 * their pointer fields cleared.  A frame goes out in one send, and the
 * sockets do not hold back small writes: a call costs one round trip,
 * never a wait for the peer's delayed acknowledgement.  The two ends
 * take turns (a request, then its reply), so at most one frame is ever
 * on its way to a reader. */
#pragma once

#include "sim.h"

#include <cstring>
#include <string>

enum SimChannelOp {
    SIMCH_HELLO, SIMCH_CONN, SIMCH_DISC, SIMCH_OPEN, SIMCH_CLOSE, SIMCH_GET, SIMCH_PUT, SIMCH_PUT1,
    SIMCH_INQ, SIMCH_SET, SIMCH_CMIT, SIMCH_BACK, SIMCH_FAULT, SIMCH_OP_COUNT
};

/* Largest frame taken: the largest message and its structures. */
static const uint32_t SimChannelMaxFrame = 110u * 1024 * 1024;

/* A frame being written or read: its length's 4 bytes lead the data. */
struct SimFrame {
    std::string data = std::string(4, '\0');
    size_t pos = 4;
    bool bad = false;           /* a read ran past the end */

    void Reset()
    {
        data.assign(4, '\0');
        pos = 4;
        bad = false;
    }

    void Put32(MQLONG v) { data.append((const char *)&v, 4); }
    void PutBytes(const void *p, size_t n)
    {
        Put32((MQLONG)n);
        data.append((const char *)p, n);
    }
    void PutString(const std::string &s) { PutBytes(s.data(), s.size()); }
    template <class T> void PutStruct(const T &t) { PutBytes(&t, sizeof t); }

    MQLONG Get32()
    {
        MQLONG v = 0;
        if (pos + 4 > data.size())
            bad = true;
        else
            memcpy(&v, data.data() + pos, 4);
        pos += 4;
        return v;
    }
    /* A field's bytes: a pointer into the frame and their count. */
    const char *GetBytes(size_t *n)
    {
        MQLONG len = Get32();
        if (bad || len < 0 || pos + (size_t)len > data.size()) {
            bad = true;
            *n = 0;
            return "";
        }
        const char *p = data.data() + pos;
        pos += (size_t)len;
        *n = (size_t)len;
        return p;
    }
    std::string GetString()
    {
        size_t n;
        const char *p = GetBytes(&n);
        return std::string(p, n);
    }
    /* A structure of exactly its size; left as it was otherwise. */
    template <class T> void GetStruct(T *t)
    {
        size_t n;
        const char *p = GetBytes(&n);
        if (n != sizeof *t)
            bad = true;
        else
            memcpy((void *)t, p, n);
    }
};

bool SimFrameSend(SimSocket s, SimFrame *f);
bool SimFrameRecv(SimSocket s, SimFrame *f);

/* The folder's channel file: port and key (false when there is none). */
bool SimChannelRead(const std::string &dir, int *port, std::string *key);

/* simserve.cpp: starts serving a queue manager just loaded (its channel
 * file written); stops serving them all, closing the sockets of the
 * connections served (before the queue managers are released). */
void SimChannelPublish(SimQMgr *q);
void SimChannelWithdraw(SimQMgr *q);
void SimChannelEndServed(void);

/* simremote.cpp: a connection to a queue manager another process owns
 * (0 or a reason); whether a connection handle is one of them. */
MQLONG SimRemoteConnect(const std::string &qmgr, const MQCNO *cno, MQHCONN *out);
bool SimRemoteHconn(MQHCONN h);
void SimRemoteEndAll(void);
/* Each verb on a remote connection: false when the handle is not one. */
bool SimRemoteDisc(PMQHCONN pHconn, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteOpen(MQHCONN Hconn, PMQVOID pObjDesc, MQLONG Options, PMQHOBJ pHobj, PMQLONG pCompCode,
                   PMQLONG pReason);
bool SimRemoteClose(MQHCONN Hconn, PMQHOBJ pHobj, MQLONG Options, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteGet(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pGetMsgOpts, MQLONG BufferLength,
                  PMQVOID pBuffer, PMQLONG pDataLength, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemotePut(MQHCONN Hconn, MQHOBJ Hobj, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength,
                  PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemotePut1(MQHCONN Hconn, PMQVOID pObjDesc, PMQVOID pMsgDesc, PMQVOID pPutMsgOpts, MQLONG BufferLength,
                   PMQVOID pBuffer, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteInq(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount,
                  PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteSet(MQHCONN Hconn, MQHOBJ Hobj, MQLONG SelectorCount, PMQLONG pSelectors, MQLONG IntAttrCount,
                  PMQLONG pIntAttrs, MQLONG CharAttrLength, PMQCHAR pCharAttrs, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteSyncpoint(MQHCONN Hconn, bool commit, PMQLONG pCompCode, PMQLONG pReason);
bool SimRemoteUnsupported(MQHCONN Hconn, PMQLONG pCompCode, PMQLONG pReason);
