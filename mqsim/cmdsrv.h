/* The stand-in's command server: what its files share.
 *
 * A request is parsed into a list of parameters (CmdParm); a command
 * handler answers it by adding response messages (CmdMsg) to a CmdReply.
 * Handlers run under SimLock and touch the queue manager's model
 * directly; the thread that serves the command queue puts the replies
 * after the lock is released. */
#pragma once

#include "sim.h"

#include <string>
#include <vector>

struct CmdParm {
    MQLONG type;              /* MQCFT_* of the structure */
    MQLONG id;
    MQLONG op;                /* filters: MQCFOP_* */
    MQLONG ival;
    int64_t i64;
    std::string sval;         /* strings without trailing blanks; byte strings */
    std::vector<MQLONG> ilist;
    std::vector<std::string> slist;
};

struct CmdRequest {
    MQLONG command;
    MQLONG version;
    std::vector<CmdParm> parms;
};

/* One response message under construction. */
struct CmdMsg {
    MQLONG compCode, reason;
    MQLONG ccsid;             /* of the strings: the queue manager's */
    MQLONG count;             /* parameters added */
    std::string data;         /* room for the header (MQCFH), then the parameters */
};

struct CmdReply {
    MQLONG command;
    MQLONG version;
    MQLONG ccsid;
    std::vector<CmdMsg> msgs;
};

/* cmdsrv.cpp: building responses */
CmdMsg *CmdNewMsg(CmdReply *r);
void CmdAddInt(CmdMsg *m, MQLONG id, MQLONG v);
void CmdAddInt64(CmdMsg *m, MQLONG id, int64_t v);
void CmdAddStr(CmdMsg *m, MQLONG id, const std::string &s, size_t padTo);
void CmdAddIntList(CmdMsg *m, MQLONG id, const std::vector<MQLONG> &v);
void CmdAddStrList(CmdMsg *m, MQLONG id, const std::vector<std::string> &v, size_t padTo);
void CmdAddBytes(CmdMsg *m, MQLONG id, const std::string &b);
/* An error response: CompCode 2, the reason, and the error parameter
 * (MQIACF_PARAMETER_ID ...) when parmId is not 0. */
void CmdError(CmdReply *r, MQLONG reason, MQLONG errParm = 0, MQLONG errValue = 0);
/* The whole reply as messages, MsgSeqNumber and Control set; the
 * messages' data is moved out, the reply left empty. */
void CmdFinish(CmdReply *r, std::vector<std::string> *out);

/* Parses a PCF request: 0, or the reason of an error response with the
 * offending parameter in *badParm. */
MQLONG CmdParse(const void *data, MQLONG length, CmdRequest *req, MQLONG *badParm);
const CmdParm *CmdFind(const CmdRequest *req, MQLONG id);

/* cmdtables.cpp: the commands on objects, table driven */
/* Runs one request on the queue manager (SimLock held): 0, or -1 when
 * the command code is not one of the object commands. */
int CmdObjectCommand(SimQMgr *q, const CmdRequest *req, CmdReply *r);
/* The value of an attribute of an object as an inquiry shows it:
 * stored, or worked out (depth, open counts, name). */
bool CmdAttrOf(SimQMgr *q, const SimObject *o, MQLONG id, SimAttr *out);

/* cmdfilter.cpp: WHERE filters */
/* Whether the filter's operator fits its type; whether a value passes. */
bool CmdFilterValid(const CmdParm *filter, int kind);
/* Whether an attribute's values come from a set of named values. */
bool CmdNamedValues(MQLONG id);
bool CmdFilterMatch(const CmdParm *filter, const SimAttr *value);

/* cmdstatus.cpp: status and connection commands */
int CmdStatusCommand(SimQMgr *q, const CmdRequest *req, CmdReply *r);
