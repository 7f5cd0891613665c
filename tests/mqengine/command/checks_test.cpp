/* The checks before a command: the confirmation texts and the option bits
 * they are switched off with, the naming patterns and standards of a new
 * queue, the context fields of a put, the sent descriptor kept in a
 * message dialog, the put-context bits of the dialog qualifier, and user
 * command templates. */
#include "cmdtest.h"

#include <cstring>

#include "cs.h"
#include "prfdata.h"

using namespace cmdtest;

namespace {

struct Checks : CmdFixture {
    MQMD edited = { MQMD_DEFAULT }, saved = { MQMD_DEFAULT };
    void TearDown() override
    {
        Prf.po[3] = 0;
        Prf.nameStandards[0] = nullptr;
        CmdFixture::TearDown();
    }
};

const PCFActionDef *Action(const PCFCommandDef *def, uint32_t id)
{
    return PCFFindActionDef(def->actions, id);
}

TEST_F(Checks, ConfirmationTextsAndTheirOptionBits)
{
    Loc qm("QMCONFIRM");
    hooks.swallow = 1;                 /* the message list's queue name sends its close command */
    TestDialog list(&PCFQueueListDef, &qm);
    const char *name;
    uint32_t bit;
    char text[600];
    /* a queue list counts its selected rows: plural with three */
    const PCFActionDef *del = Action(&PCFQueueListDef, 578);
    ConfirmText(list.d, del, 1, text, sizeof text, &name, &bit);
    EXPECT_STREQ(text, "delete queue");
    EXPECT_EQ(bit, 0x80000000u);
    /* an object dialog: the verb with the object's name */
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "APP.ONE");
    ConfirmText(q.d, Action(&PCFQueueDef, 578), 3, text, sizeof text, &name, &bit);
    EXPECT_STREQ(text, "delete queue");
    EXPECT_STREQ(name, "APP.ONE");
    /* messages: by selection, or all of them */
    TestDialog m(&PCFMessageListDef, &qm);
    m.Set(MQCA_Q_NAME, "APP.TWO");
    const uint32_t ids[] = { 597, 598, 599 };
    const uint32_t one[] = { 0x1, 0x4, 0x10 }, all[] = { 0x2, 0x8, 0x20 };
    const char *verbs[] = { "copy", "move", "delete" };
    for (int i = 0; i < 3; i++) {
        m->viewOptions = 0;
        ConfirmText(m.d, Action(&PCFMessageListDef, ids[i]), 0, text, sizeof text, &name, &bit);
        EXPECT_EQ(bit, one[i]);
        m->viewOptions = DV_ALL_MESSAGES;
        ConfirmText(m.d, Action(&PCFMessageListDef, ids[i]), 0, text, sizeof text, &name, &bit);
        EXPECT_EQ(bit, all[i]);
        EXPECT_EQ(name, nullptr);
        EXPECT_EQ(std::string(text), std::string("!Are you sure you want to ") + verbs[i] +
                                         " all messages from queue 'APP.TWO'?\n\nNote that this operation applies "
                                         "to all messages, regardless of what is shown or selected or any active "
                                         "filters.");
    }
    /* asking: the option word decides, a dialog without confirmations passes */
    Prf.co = 0x80000000u;
    hooks.answers = { 0 };
    EXPECT_EQ(ConfirmAction(q.d, 0, Action(&PCFQueueDef, 578), 1, "APP.ONE"), 0);
    EXPECT_EQ(hooks.questions.back().text, "delete queue");
    EXPECT_EQ(hooks.questions.back().name, "APP.ONE");
    Prf.co = 0;
    EXPECT_EQ(ConfirmAction(q.d, 0, Action(&PCFQueueDef, 578), 1, "APP.ONE"), 1);
    q->statusFlags |= DS_NO_CONFIRM;
    size_t asked = hooks.questions.size();
    EXPECT_EQ(ConfirmAction(q.d, 0, Action(&PCFQueueDef, 578), 1, "APP.ONE"), 1);
    EXPECT_EQ(hooks.questions.size(), asked);
    /* where no window can ask, a question is not agreed to */
    q->statusFlags &= ~DS_NO_CONFIRM;
    Prf.co = 0x80000000u;
    CMDHOOKS without = *CmdHooks();
    without.confirm = nullptr;
    CmdSetHooks(&without);
    EXPECT_EQ(ConfirmAction(q.d, 0, Action(&PCFQueueDef, 578), 1, "APP.ONE"), 0);
    EXPECT_EQ(hooks.questions.size(), asked);
    hooks.Install();
    Prf.co = 0;
}

TEST_F(Checks, NamingPatternsAndStandards)
{
    Loc qm("QMNAMES");
    TestDialog q(&PCFQueueDef, &qm);
    q.Set(MQCA_Q_NAME, "OTHER.Q");
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);                /* nothing to check against */
    qm.q.nameLists[0] = "APP.*";
    EXPECT_EQ(CheckGlobalNaming(q.d), 0);
    EXPECT_EQ(hooks.boxes.back(), "Naming Error|Name 'OTHER.Q' does not match the Queue Manager name pattern.");
    Prf.po[3] = 0x10000;                                /* a question instead */
    hooks.answers = { 1, 0 };
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);
    EXPECT_EQ(hooks.boxes.back(), "Naming Error|Name 'OTHER.Q' does not match the Queue Manager name pattern.\n\n"
                                  "Are you sure you want to create this object?");
    EXPECT_EQ(CheckGlobalNaming(q.d), 0);
    q.Set(MQCA_Q_NAME, "SYSTEM.MINE");                  /* system names pass unasked ... */
    size_t boxes = hooks.boxes.size();
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);
    EXPECT_EQ(hooks.boxes.size(), boxes);
    Prf.po[3] = 0x20000;                                /* ... unless they are checked too */
    EXPECT_EQ(CheckGlobalNaming(q.d), 0);
    /* the location's pattern passes, the global standard does not */
    q.Set(MQCA_Q_NAME, "APP.X");
    Prf.nameStandards[0] = "APP.#";
    EXPECT_EQ(CheckGlobalNaming(q.d), 0);
    EXPECT_EQ(hooks.boxes.back(), "Naming Error|Name 'APP.X' does not match the global naming standards.");
    q.Set(MQCA_Q_NAME, "APP.7");
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);
    /* transmission queues have their own pattern */
    q.Set(MQIA_USAGE, "Transmission");
    q.Set(MQCA_Q_NAME, "OTHER.XMITQ");
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);
    qm.q.flags2 |= LF2_NMSNOCHKDEF;                     /* no naming check for this location */
    qm.q.nameLists[1] = "XMIT.*";
    EXPECT_EQ(CheckGlobalNaming(q.d), 1);
    qm.q.nameLists[0] = qm.q.nameLists[1] = nullptr;
}

/* The edited message of the tests' message dialog. */
Checks *Current;
void *KeptMd;                    /* the kept descriptor copy of the last load */
int Edited(void *, DialogWords *, CMDMESSAGE *out)
{
    out->mdCopy = &KeptMd;
    out->md = (const uint8_t *)&Current->edited;
    out->mdLength = sizeof(MQMD);
    out->savedMd = (const uint8_t *)&Current->saved;
    out->savedMdLength = sizeof(MQMD);
    return 1;
}

/* The test's edited message becomes the message dialog's. */
void UseEdited(Checks *test)
{
    Current = test;
    CMDHOOKS h = *CmdHooks();
    h.editedMessage = Edited;
    CmdSetHooks(&h);
}

TEST_F(Checks, ContextFieldsOfAPut)
{
    UseEdited(this);
    Loc qm("QMCTX");
    TestDialog m(&PCFMessageDef, &qm);
    memcpy(edited.UserIdentifier, "alice       ", 12);
    memcpy(edited.PutApplName, "app", 3);
    memcpy(edited.PutDate, "20240101", 8);
    memcpy(edited.PutTime, "12000000", 8);
    saved = edited;
    /* unchanged: every option passes without a question */
    for (uint32_t option : { MQPMO_SET_ALL_CONTEXT, MQPMO_SET_IDENTITY_CONTEXT, MQPMO_DEFAULT_CONTEXT,
                             MQPMO_PASS_ALL_CONTEXT, MQPMO_NO_CONTEXT })
        EXPECT_EQ(CheckContextFields(m.d, option), 1);
    EXPECT_TRUE(hooks.questions.empty());
    /* set all context with a blank field: the question's answer */
    memset(edited.PutTime, ' ', 8);
    hooks.answers = { 0 };
    EXPECT_EQ(CheckContextFields(m.d, MQPMO_SET_ALL_CONTEXT), 0);
    EXPECT_EQ(hooks.questions.back().text,
              "!You have specified 'set all context' and some of the Message Descriptor fields, such as "
              "'PutTime', are blank.\n\nThese fields will remain blank if you continue with the MQPUT. \n\nAre "
              "you sure you want to continue?");
    /* a context field changed under a context it is ignored with */
    memcpy(edited.PutTime, "12000000", 8);
    memcpy(edited.PutApplName, "other", 5);
    hooks.answers = { 1 };
    EXPECT_EQ(CheckContextFields(m.d, MQPMO_PASS_ALL_CONTEXT), 1);
    EXPECT_EQ(hooks.questions.back().text,
              "!You have changed the value of some context fields, such as 'PutApplName'. The value will be "
              "ignored if you put this message with the exisiting context option.\n\nAre you sure you want to "
              "continue?");
    memcpy(edited.UserIdentifier, "bob", 3);
    hooks.answers = { 0 };
    EXPECT_EQ(CheckContextFields(m.d, MQPMO_DEFAULT_CONTEXT), 0);
    EXPECT_NE(hooks.questions.back().text.find("such as 'UserIdentifier'"), std::string::npos);
    /* set identity: a blank user first, then the changed fields */
    memset(edited.UserIdentifier, 0, 12);
    hooks.answers = { 1, 1 };
    EXPECT_EQ(CheckContextFields(m.d, MQPMO_SET_IDENTITY_CONTEXT), 1);
    EXPECT_NE(hooks.questions[hooks.questions.size() - 2].text.find("such as 'UserIdentifier', are blank"),
              std::string::npos);
    EXPECT_NE(hooks.questions.back().text.find("such as 'PutApplName'"), std::string::npos);
}

/* The sent descriptor back into a Message dialog: its record holds a
 * message buffer, written in place, and the record after it untouched. */
TEST_F(Checks, SentDescriptorIntoTheMessageBuffer)
{
    UseEdited(this);
    Loc qm("QMSENT");
    TestDialog m(&PCFMessageDef, &qm);
    PCFFieldEntry *de = PCFFindField(nullptr, nullptr, PCFMessageDef.fields, MYPCFA_MSGDESCRIPTOR);
    PCFFieldEntry *me = PCFFindField(nullptr, nullptr, PCFMessageDef.fields, MYPCFA_FULLMESSAGE);
    ASSERT_TRUE(de && me && m.d->dataArea);
    uint8_t *mdRec = m.d->dataArea + de->offset, *msgRec = m.d->dataArea + me->offset;
    PCFMSGBUF *b = PCFNewMsgBuf(sizeof(MQMD) + 4, "PHEX Data");
    ASSERT_NE(b, nullptr);
    PCFSetRecPtr(mdRec, b);
    void *data = PCFRecPtr(msgRec);
    memcpy(edited.PutApplName, "sent", 4);
    EXPECT_EQ(LoadMessageFields(m.d), 1);
    EXPECT_EQ(PCFRecPtr(mdRec), (void *)b);
    EXPECT_EQ(b->length, sizeof(MQMD));
    EXPECT_EQ(0, memcmp(PCFMsgBufBytes(b), &edited, sizeof(MQMD)));
    EXPECT_EQ(PCFRecPtr(msgRec), data);
    /* the kept copy is renewed: what was put is no unsaved edit */
    ASSERT_NE(KeptMd, nullptr);
    uint32_t kept[2];
    memcpy(kept, KeptMd, sizeof kept);
    EXPECT_EQ(kept[1], sizeof(MQMD));
    EXPECT_EQ(0, memcmp((uint8_t *)KeptMd + 8, &edited, sizeof(MQMD)));
    CSFreeMemAndClear(&KeptMd);
}

TEST_F(Checks, PutContextBitsOfTheQualifier)
{
    Loc qm("QMPUTCTX");
    TestDialog m(&PCFMessageDef, &qm);
    PCFActionDef add = { 0, 0, 0, MYCMD_ADD_MSG, 941, nullptr, "&Add", 0x400000, 0, nullptr, nullptr, nullptr, nullptr };
    PCFActionDef update = add;
    update.command = MYCMD_UPDATE_MSG;
    PCFActionDef other = add;
    other.command = MYCMD_INQUIRE_MSG;
    m->viewOptions = 0x12F00;
    m->addContext = MQPMO_SET_ALL_CONTEXT;
    m->updateContext = MQPMO_DEFAULT_CONTEXT;
    EXPECT_EQ(PutContextFlags(m.d, &add), 0x12100u);
    EXPECT_EQ(PutContextFlags(m.d, &update), 0x12400u);
    m->updateContext = MQPMO_PASS_ALL_CONTEXT;
    EXPECT_EQ(PutContextFlags(m.d, &update), 0x12200u);
    m->updateContext = MQPMO_SET_IDENTITY_CONTEXT;
    EXPECT_EQ(PutContextFlags(m.d, &update), 0x12800u);
    m->updateContext = MQPMO_NO_CONTEXT;
    EXPECT_EQ(PutContextFlags(m.d, &update), 0x12000u);
    EXPECT_EQ(PutContextFlags(m.d, &other), 0x12F00u);  /* other commands: the view flags */
    other.flags = 0;
    EXPECT_EQ(PutContextFlags(m.d, &other), 0u);
}

/* A 32-bit word of a built request. */
static int32_t Word(const std::string &m, size_t at)
{
    int32_t v;
    memcpy(&v, m.data() + at, 4);
    return v;
}

/* The edited-message guard: moving on in a message dialog asks whether
 * to drop the edits (and stops when they are kept); Update and Add put
 * the edits themselves and never ask. */
int GuardAsked;
int KeepEdits(void *, DialogWords *)
{
    GuardAsked++;
    return 1;
}

TEST_F(Checks, SavingAnEditedMessageNeverAsksToDropIt)
{
    Loc qm("QMGUARD");
    hooks.swallow = 1;
    TestDialog m(&PCFMessageDef, &qm);
    m.Set(MQCA_Q_NAME, "APP.EDIT");
    /* the queue name given: the kind's close command lets the queue's
       cached handles go, for the queue named (10010, the name alone) */
    ASSERT_EQ(hooks.sent.size(), 1u);
    const std::string &close = hooks.sent[0].data;
    ASSERT_GE(close.size(), 36u + 20u);
    EXPECT_EQ(Word(close, 12), 10010);          /* the header's Command */
    EXPECT_EQ(Word(close, 32), 1);              /* ParameterCount */
    EXPECT_NE(close.find("APP.EDIT"), std::string::npos);
    /* another queue: the one in use is let go first, by its own name */
    hooks.sent.clear();
    m.Set(MQCA_Q_NAME, "APP.NEXT");
    ASSERT_EQ(hooks.sent.size(), 2u);
    EXPECT_NE(hooks.sent[0].data.find("APP.EDIT"), std::string::npos);
    EXPECT_NE(hooks.sent[1].data.find("APP.NEXT"), std::string::npos);
    hooks.sent.clear();
    CMDHOOKS h = *CmdHooks();
    h.discardEdits = KeepEdits;
    CmdSetHooks(&h);
    GuardAsked = 0;
    EXPECT_EQ(PCFDoCommand(m.d, 0, 1, 887, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GuardAsked, 1);                           /* Next: asked, kept, nothing sent */
    EXPECT_TRUE(hooks.sent.empty());
    const uint32_t saves[] = { 941, 946 };
    for (uint32_t id : saves) {
        m->viewOptions |= DV_STEPPED;               /* an Edit passed the guard */
        PCFDoCommand(m.d, 0, 1, id, nullptr, nullptr, nullptr, nullptr, 1, 0, nullptr, nullptr, nullptr);
        EXPECT_EQ(GuardAsked, 1) << id;
    }
    EXPECT_FALSE(m->viewOptions & DV_STEPPED);            /* Update ends an Edit's pass */
}

TEST_F(Checks, UserCommandTemplates)
{
    Loc qm("QMUSER");
    snprintf(qm.q.locationName, sizeof qm.q.locationName, "Test Box");
    char out[600];
    ExpandUserCommand(&qm, nullptr, nullptr, "run %m on %l for '%o' at 100%% %x%", out);
    EXPECT_STREQ(out, "run QMUSER on Test Box for '' at 100% x");
    /* at most 499 characters are written */
    std::string longer(700, 'a');
    ExpandUserCommand(&qm, nullptr, nullptr, ("%m" + longer).c_str(), out);
    EXPECT_EQ(strlen(out), 499u);
    EXPECT_EQ(std::string(out, 6), "QMUSER");
    ExpandUserCommand(nullptr, nullptr, nullptr, "%l%m%o", out);
    EXPECT_STREQ(out, "");
}

}  // namespace
