/* Requests of every command of the agent, as the program's dialogs
 * build them (on APP.Q and TARGET.Q), and one of a code it does not
 * know: the seeds of the agent's fuzz test and fuzz target. */
#pragma once

#include "agenttest.h"

inline std::vector<std::vector<uint8_t>> AgentSampleRequests(void)
{
    std::string token(16, 't'), id(24, 'i');
    MQMD md = {MQMD_DEFAULT};
    std::string desc((const char *)&md, MQMD_LENGTH_2);
    return {
        Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_MSG_RANGE, "2,9").Int(MYPCFA_MAX_MSG_SIZE, 40)
            .Ints(MYPCFA_MSG_ATTRS, {MYPCFA_POSITION, MYPCFA_MSG_TOKEN, MYPCFA_MESSAGE, MYPCFA_MSGID, MYPCFA_FORMAT})
            .Str(MYPCFA_SEARCH, "message").Int(MYPCFA_DIALOG_QUALIFIER, 0x2000).Data(),
        Pcf(MYCMD_INQUIRE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_MSG_SELECTOR, "Root.MQMD.Priority < 5").Data(),
        Pcf(MYCMD_INQUIRE_MSG).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 2).Bytes(MYPCFA_MSG_TOKEN, token).Data(),
        Pcf(MYCMD_INQUIRE_MSG_NEXT_FAST).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 1).Data(),
        Pcf(MYCMD_INQUIRE_MSGDETAIL).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_POSITION, 3).Int(MYPCFA_MAX_MSG_SIZE, 64)
            .Bytes(MYPCFA_MSGID, id).Int(MYPCFA_DIALOG_QUALIFIER, 0x8000000).Data(),
        Pcf(MYCMD_COPY_MSGS).Str(MQCA_Q_NAME, "APP.Q").Str(MYPCFA_TARGET_Q, "TARGET.Q").Str(MYPCFA_TARGET_QM, "*")
            .Int(MYPCFA_DIALOG_QUALIFIER, 0x1 | 0x10).Ints(MYPCFA_POSITION, {1, 2}).Bytes(MYPCFA_MSGID, id + id).Data(),
        Pcf(MYCMD_MOVE_MSGS).Str(MQCA_Q_NAME, "TARGET.Q").Str(MYPCFA_TARGET_Q, "APP.Q").Str(MYPCFA_TARGET_QM, "*")
            .Int(MYPCFA_DIALOG_QUALIFIER, 0x8 | 0x20).Data(),
        Pcf(MYCMD_DELETE_MSGS).Str(MQCA_Q_NAME, "APP.Q").Int(MYPCFA_DIALOG_QUALIFIER, 0x4)
            .Bytes(MYPCFA_MSG_TOKEN, token, MQCFT_BYTE_STRING).Bytes(MYPCFA_MSGID, id).Data(),
        Pcf(MYCMD_UPDATE_MSG).Str(MQCA_Q_NAME, "APP.Q").Bytes(MYPCFA_MSG_TOKEN, token)
            .Bytes(MYPCFA_MSGDESCRIPTOR, desc).Bytes(MYPCFA_FULLMESSAGE, "new").Data(),
        Pcf(MYCMD_ADD_MSG).Str(MQCA_Q_NAME, "TARGET.Q").Bytes(MYPCFA_MSGDESCRIPTOR, desc)
            .Bytes(MYPCFA_FULLMESSAGE, "added").Int(MYPCFA_DIALOG_QUALIFIER, 0x100).Data(),
        Pcf(MYCMD_CLOSE_QUEUE).Str(MQCA_Q_NAME, "APP.Q").Data(),
        Pcf(MYCMD_INQUIRE_CONSOLE).Str(MQCA_Q_MGR_NAME, "Q*").Str(MYCA_LOCATION, "*").Str(MYCA_GROUP, "G")
            .Ints(MYIACF_CSL_ATTRS, {MYIA_EVENT_TYPE, MYCA_CSL_DATE}).Data(),
        Pcf(MYCMD_DELETE_CONSOLE).Int(MYPCFA_POSITION, 1).Data(),
        Pcf(10200).Str(MQCA_Q_NAME, "APP.Q").Data(),
    };
}
