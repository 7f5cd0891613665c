/* The PCF replies the damaged-reply tests and the reply fuzz targets start
 * from: the stand-in's own answers to the common inquiries (good ones and
 * an error) and a message list reply of the program's own parameters. */
#pragma once

#include "dlgtest.h"

#include <cstddef>
#include <iterator>

namespace dlgtest {

/* A message list reply: two messages, their fields of every type. */
inline std::string MessageListReply(void)
{
    Reply msgs(10002);
    msgs.Int(10033, 1).Bytes(10038, std::string(16, 'T'), 1001).Bytes(10034, "data\x01\x02", 1001)
        .Str(10016, "MQSTR").End().Int(10033, 2).Strs(MQCACF_Q_NAMES, { "A", "B" }, 4)
        .Bytes(10019, std::string(24, '\x10'), MQCFT_BYTE_STRING).Ints(10010, { 1, 2 }).Int64(10035, 5);
    return msgs.data;
}

/* The stand-in queue manager "QMF" with an object of each kind, its
 * answers to the first `inquiries` of the common inquiries (queues and the
 * queue manager first), then the message list reply. */
inline std::vector<std::string> SampleReplies(size_t inquiries = SIZE_MAX)
{
    StandinMqsc("QMF", "DEFINE QLOCAL(FUZZ.Q) DESCR('fuzz me') MAXDEPTH(77)\n"
                       "DEFINE QREMOTE(FUZZ.R) RNAME(X) RQMNAME(Y)\nDEFINE CHANNEL(FUZZ.SVRCONN) CHLTYPE(SVRCONN)\n"
                       "DEFINE TOPIC(FUZZ.T) TOPICSTR('a/b')\nDEFINE NAMELIST(FUZZ.N) NAMES(A, B)\n");
    const Reply asked[] = {
        Request(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "FUZZ.*").Ints(MQIACF_Q_ATTRS, { MQIACF_ALL }),
        Request(MQCMD_INQUIRE_Q_MGR).Ints(MQIACF_Q_MGR_ATTRS, { MQIACF_ALL }),
        Request(MQCMD_INQUIRE_CHANNEL).Str(MQCACH_CHANNEL_NAME, "FUZZ.*"),
        Request(MQCMD_INQUIRE_TOPIC).Str(MQCA_TOPIC_NAME, "FUZZ.*"),
        Request(MQCMD_INQUIRE_NAMELIST).Str(MQCA_NAMELIST_NAME, "FUZZ.*"),
        Request(MQCMD_INQUIRE_Q_STATUS).Str(MQCA_Q_NAME, "FUZZ.Q"),
        Request(MQCMD_INQUIRE_Q).Str(MQCA_Q_NAME, "NO.SUCH.Q"),
    };
    std::vector<std::string> replies;
    for (size_t i = 0; i < std::size(asked) && i < inquiries; i++)
        for (const std::string &reply : StandinAsk("QMF", asked[i]))
            replies.push_back(reply);
    replies.push_back(MessageListReply());
    return replies;
}

}  // namespace dlgtest
