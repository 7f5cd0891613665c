/* MQSC words as IBM MQ takes them: SHARE, HARDENBO and TRIGGER and their
 * opposites stand alone and refuse a value, DEFTYPE belongs to model
 * queues, and a quoted name keeps its lower case. */
#include "simtest.h"

TEST_F(Sim, StandAloneWordsAndDefinitionType)
{
    std::string out = Mqsc("QM1",
        "DEFINE QLOCAL(A.Q) SHARE(NOSHARE)\n"
        "DEFINE QLOCAL(B.Q) TRIGGER(TRIGGER)\n"
        "DEFINE QLOCAL(C.Q) HARDENBO(HARDENBO)\n"
        "DEFINE QLOCAL(D.Q) DEFTYPE(PREDEFINED)\n"
        "DEFINE QMODEL(M.Q) DEFTYPE(PERMDYN) NOSHARE HARDENBO TRIGGER\n"
        "DEFINE QLOCAL('lower.q') NOHARDENBO NOTRIGGER SHARE\n"
        "ALTER QMODEL(M.Q) DEFTYPE(TEMPDYN)\n", false);
    size_t errors = 0;
    for (size_t at = out.find("AMQ8405I"); at != std::string::npos; at = out.find("AMQ8405I", at + 1))
        errors++;
    EXPECT_EQ(errors, 4u) << out;
    MQHCONN h = Connect("QM1");
    for (const char *refused : { "A.Q", "B.Q", "C.Q", "D.Q" })
        Open(h, refused, MQOO_INQUIRE, MQRC_UNKNOWN_OBJECT_NAME);
    Open(h, "LOWER.Q", MQOO_INQUIRE, MQRC_UNKNOWN_OBJECT_NAME);
    MQHOBJ lower = Open(h, "lower.q", MQOO_INQUIRE);
    MQLONG sel[3] = { MQIA_SHAREABILITY, MQIA_HARDEN_GET_BACKOUT, MQIA_TRIGGER_CONTROL }, v[3], cc, rc;
    MQINQ(h, lower, 3, sel, 3, v, 0, nullptr, &cc, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(v[0], MQQA_SHAREABLE);
    EXPECT_EQ(v[1], MQQA_BACKOUT_NOT_HARDENED);
    EXPECT_EQ(v[2], MQTC_OFF);
    Close(h, lower);
    MQHOBJ model = Open(h, "M.Q", MQOO_INQUIRE);
    MQLONG type;
    MQLONG which = MQIA_DEFINITION_TYPE;
    MQINQ(h, model, 1, &which, 1, &type, 0, nullptr, &cc, &rc);
    EXPECT_EQ(type, MQQDT_TEMPORARY_DYNAMIC);
    Close(h, model);
}
