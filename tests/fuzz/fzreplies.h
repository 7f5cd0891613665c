/* The PCF replies the reply targets start from: the stand-in's own
 * answers to the common inquiries (good ones and an error) and a message
 * list reply of the program's own parameters. */
#pragma once

#include "dlgtest.h"

inline std::vector<std::string> FuzzStandinReplies(void)
{
    using namespace dlgtest;
    StandinMqsc("QMF", "DEFINE QLOCAL(FUZZ.Q) DESCR('fuzz me') MAXDEPTH(77)\n"
                       "DEFINE QREMOTE(FUZZ.R) RNAME(X) RQMNAME(Y)\nDEFINE CHANNEL(FUZZ.SVRCONN) CHLTYPE(SVRCONN)\n"
                       "DEFINE TOPIC(FUZZ.T) TOPICSTR('a/b')\nDEFINE NAMELIST(FUZZ.N) NAMES(A, B)\n");
    std::vector<std::string> replies;
    auto ask = [&](Reply r) {
        for (const std::string &reply : StandinAsk("QMF", r))
            replies.push_back(reply);
    };
    ask(Request(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "FUZZ.*").Ints(MQIACF_Q_ATTRS, { MQIACF_ALL }));
    ask(Request(MQCMD_INQUIRE_Q_MGR).Ints(MQIACF_Q_MGR_ATTRS, { MQIACF_ALL }));
    ask(Request(MQCMD_INQUIRE_CHANNEL).Str(MQCACH_CHANNEL_NAME, "FUZZ.*"));
    ask(Request(MQCMD_INQUIRE_TOPIC).Str(MQCA_TOPIC_NAME, "FUZZ.*"));
    ask(Request(MQCMD_INQUIRE_NAMELIST).Str(MQCA_NAMELIST_NAME, "FUZZ.*"));
    ask(Request(MQCMD_INQUIRE_Q_STATUS).Str(MQCA_Q_NAME, "FUZZ.Q"));
    ask(Request(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "NO.SUCH.Q"));
    Reply msgs(10002);
    msgs.Int(10033, 1).Bytes(10038, std::string(16, 'T'), 1001).Bytes(10034, "data\x01\x02", 1001)
        .Str(10016, "MQSTR").End().Int(10033, 2).Strs(MQCACF_Q_NAMES, { "A", "B" }, 4)
        .Bytes(10019, std::string(24, '\x10'), MQCFT_BYTE_STRING).Ints(10010, { 1, 2 }).Int64(10035, 5);
    replies.push_back(msgs.data);
    return replies;
}
