/* Helpers of the dialogs benchmarks: the replies of a queue inquiry. */
#include "benchask.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

void BenchCheck(const char *what, MQLONG rc)
{
    if (rc) {
        fprintf(stderr, "%s failed: %d\n", what, (int)rc);
        exit(1);
    }
}

static void Fill(char *field, size_t size, const char *text)
{
    size_t n = strlen(text);
    memset(field, ' ', size);
    memcpy(field, text, n < size ? n : size);
}

static MQHOBJ Open(MQHCONN h, const char *name, MQLONG options, char *opened)
{
    MQOD od = {MQOD_DEFAULT};
    Fill(od.ObjectName, sizeof od.ObjectName, name);
    MQHOBJ o;
    MQLONG cc, rc;
    MQOPEN(h, &od, options, &o, &cc, &rc);
    BenchCheck("MQOPEN", rc);
    if (opened)
        memcpy(opened, od.ObjectName, 48);
    return o;
}

std::vector<std::string> BenchInquireQueues(MQHCONN h, const char *pattern, const char *replyQueue)
{
    MQLONG header[9] = {MQCFT_COMMAND, 36, 1, MQCMD_INQUIRE_Q, 1, MQCFC_LAST, 0, 0, 2};
    std::string m((const char *)header, sizeof header);
    MQLONG length = (MQLONG)strlen(pattern), padded = (length + 3) & ~3;
    MQLONG name[5] = {MQCFT_STRING, 20 + padded, MQCA_Q_NAME, 0, length};
    m.append((const char *)name, sizeof name).append(pattern).append((size_t)(padded - length), '\0');
    MQLONG attrs[5] = {MQCFT_INTEGER_LIST, 20, MQIACF_Q_ATTRS, 1, MQIACF_ALL};
    m.append((const char *)attrs, sizeof attrs);
    MQHOBJ cmd = Open(h, "SYSTEM.ADMIN.COMMAND.QUEUE", MQOO_OUTPUT, nullptr);
    char replyName[48];
    MQHOBJ reply = Open(h, replyQueue, MQOO_INPUT_EXCLUSIVE, replyName);
    MQMD md = {MQMD_DEFAULT};
    MQPMO pmo = {MQPMO_DEFAULT};
    MQLONG cc, rc;
    md.MsgType = MQMT_REQUEST;
    memcpy(md.Format, MQFMT_ADMIN, 8);
    memcpy(md.ReplyToQ, replyName, 48);
    MQPUT(h, cmd, &md, &pmo, (MQLONG)m.size(), &m[0], &cc, &rc);
    BenchCheck("MQPUT request", rc);
    std::vector<std::string> out;
    std::string buf(1 << 20, '\0');
    for (;;) {
        MQMD rmd = {MQMD_DEFAULT};
        MQGMO gmo = {MQGMO_DEFAULT};
        gmo.Options = MQGMO_WAIT | MQGMO_NO_SYNCPOINT;
        gmo.WaitInterval = 60000;
        MQLONG len = 0;
        MQGET(h, reply, &rmd, &gmo, (MQLONG)buf.size(), &buf[0], &len, &cc, &rc);
        BenchCheck("MQGET reply", rc);
        out.push_back(buf.substr(0, (size_t)len));
        MQCFH cfh;
        memcpy(&cfh, buf.data(), sizeof cfh);
        if (cfh.Control == MQCFC_LAST)
            break;
    }
    MQCLOSE(h, &cmd, MQCO_NONE, &cc, &rc);
    MQCLOSE(h, &reply, MQCO_NONE, &cc, &rc);
    return out;
}
