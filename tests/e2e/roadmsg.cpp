/* The road's message steps: messages opened from the frame's message
 * list into the frame's message pane (its Message dialog), the
 * descriptor shown above the data, and read back through Select All and
 * Copy in the pane; an edit of a descriptor field and of a word
 * of the body saved with Update; and, in the fault run, a save whose
 * put fails: nothing lost or doubled, the user told, the edit kept, and
 * the second save leaving exactly the new message. */
#include "road.h"
#include "mqsim.h"

#include <cstring>

/* ---- the message list and the Message dialog ---------------------------------- */

/* The list box of the frame's message list. */
static HWND MessageRows(Road *r)
{
    HWND split = MessageList(r->frame);
    return split ? E2EFindChild(split, "ZKTLISTBOX", -1) : nullptr;
}

static HWND Pane(HWND dialog)
{
    return E2EFindChild(dialog, "PCFData", 24);
}

static std::string PaneText(HWND dialog);
static std::string LastCopied;      /* the pane's text as last copied */

/* A row of the frame's message list opened as a user opens it: clicked,
 * then its Open command; the message comes into the frame's message pane.
 * The pane's Message dialog once it shows a message other than the one
 * it showed (the road never opens the message shown), or null with the
 * failure logged. */
static HWND OpenMessage(Road *r, const char *step, int row)
{
    std::string was = LastCopied;
    HWND list = MessageRows(r);
    HWND pane = E2EFindChild(r->frame, "PCFData", 24);
    if (!list || !pane) {
        Fail(r, step, "the frame shows no message list and message pane");
        return nullptr;
    }
    HWND dialog = GetParent(pane);
    E2EBringForward(r->frame);
    HWND lists = list;
    char cls[64] = "";
    while (lists && (GetClassNameA(lists, cls, sizeof cls), strcmp(cls, "RAVOLT_CHLD_COMMAND") != 0))
        lists = GetParent(lists);
    /* the row clicked, then its Open: a list filled again under the
       click loses its selection, and the Open then brings the pane an
       empty message; the row is clicked and opened again until it stays
       selected and its message shows */
    auto open = [&] {
        int height = (int)SendMessageA(list, LB_GETITEMHEIGHT, 0, 0);
        if (height <= 0)
            height = 16;
        int top = (int)SendMessageA(list, LB_GETTOPINDEX, 0, 0);
        LPARAM at = MAKELPARAM(40, (row - top) * height + height / 2);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list, WM_LBUTTONUP, 0, at);
        if (lists)
            E2ECommand(lists, 596);                 /* the row's Open */
    };
    open();
    if (E2EUntil(E2E_QMGR_MS, [&] {
            std::string text = PaneText(dialog);
            if (!text.empty() && text != was && text.find(" 0 bytes] Message Content") == std::string::npos)
                return true;
            if (SendMessageA(list, LB_GETSEL, (WPARAM)row, 0) <= 0)
                open();
            return false;
        }, 200))
        return dialog;
    E2EShot(r->frame, "e2e-open-failed");
    Fail(r, step, "row " + std::to_string(row) + " brought no message into the message pane");
    return nullptr;
}

/* The message pane's whole text: a click in the pane, Edit Select All
 * and Copy, and the clipboard read.  The click and the commands are
 * posted: the pane's thread takes them after the keys and characters
 * posted to it before, so the text copied holds every one of them (and
 * a click never lands among them). */
static std::string PaneText(HWND dialog)
{
    HWND pane = Pane(dialog);
    if (!pane)
        return "";
    E2EBringForward(GetAncestor(dialog, GA_ROOT));
    RECT rc;
    GetClientRect(pane, &rc);
    LPARAM at = MAKELPARAM(rc.right / 2, 4);
    E2EEmptyClipboard();
    PostMessageA(pane, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(pane, WM_LBUTTONUP, 0, at);
    E2ECommand(dialog, 937);                        /* Edit, Select All */
    E2ECommand(dialog, 896);                        /* Edit, Copy */
    std::string text = E2ECopiedText();
    LastCopied = text;
    return text;
}

/* The pane shows the message descriptor above the data: View,
 * Descriptor (Ctrl+0) chosen when it does not yet (the choice stays for
 * the messages opened later). */
static void ShowDescriptor(Road *r, HWND dialog)
{
    if (PaneText(dialog).find("(MQMD)") != std::string::npos)
        return;
    E2ECommand(r->frame, 573);
    E2EUntil(E2E_WINDOW_MS, [&] { return PaneText(dialog).find("(MQMD)") != std::string::npos; }, 100);
}

/* The number of the first line of text holding what (-1: none). */
static int LineOfText(const std::string &text, const char *what)
{
    size_t at = text.find(what);
    if (at == std::string::npos)
        return -1;
    int line = 0;
    for (size_t i = 0; i < at; i++)
        line += text[i] == '\n';
    return line;
}

/* What a step expects to read: every text must be in the copied pane. */
static void Expect(Road *r, const char *step, const std::string &text, const char *const *wanted, const char *what)
{
    std::string missing;
    for (const char *const *w = wanted; *w; w++)
        if (text.find(*w) == std::string::npos)
            missing += std::string(" \"") + *w + "\"";
    if (!missing.empty())
        Fail(r, step, std::string(what) + " lacks" + missing + "; the pane copied:\n" + text);
}

/* Whether text holds every one wanted. */
static bool HoldsAll(const std::string &text, const char *const *wanted)
{
    for (const char *const *w = wanted; *w; w++)
        if (text.find(*w) == std::string::npos)
            return false;
    return true;
}

/* Opens row of the list, copies the pane until it shows what it must
 * (the message formatted), checks that and leaves a picture. */
static void ReadMessage(Road *r, const char *step, int row, const char *const *wanted, const char *what,
                        const char *shot)
{
    HWND d = OpenMessage(r, step, row);
    if (!d)
        return;
    ShowDescriptor(r, d);
    std::string text;
    E2EUntil(E2E_WINDOW_MS, [&] { return HoldsAll(text = PaneText(d), wanted); }, 100);
    if (text.empty())
        Fail(r, step, std::string(what) + ": Select All and Copy left nothing on the clipboard");
    else
        Expect(r, step, text, wanted, what);
    if (shot)
        E2EShot(GetAncestor(d, GA_ROOT), shot);
}

/* ---- 3: messages opened ---------------------------------------------------------- */

static const char *const TextWants[] = {"Msg Id", "Reply Queue", "MQSTR", "The first text message of the road", nullptr};
static const char *const XmlWants[] = {"<order", "</order>", nullptr};
static const char *const JsonWants[] = {"deliver Monday", "\"sku\"", nullptr};
static const char *const PcfWants[] = {"MQADMIN", nullptr};
static const char *const RfhWants[] = {"MQHRF2", "<mcd>", nullptr};
static const char *const ChainedWants[] = {"MQHRF2", nullptr};
static const char *const BigEndianWants[] = {"Normal integers", "<jms>", nullptr};
static const char *const DeadLetterWants[] = {"MQDEAD", "2051 (Puts inhibited for the queue)", nullptr};

/* Every kind of message of the road opened and read as text: the
 * descriptor's fields, the XML and JSON bodies, the PCF parameters, the
 * RFH2 folders single, chained and big-endian. */
void OpenMessages(Road *r)
{
    const char *step = "open messages";
    if (OpenFromTree(r, step, "E2E.TEXT", (int)r->queues[RQ_TEXT].size()) > 0)
        ReadMessage(r, step, 0, TextWants, "the text message", "road-03-text");
    if (OpenFromTree(r, step, "E2E.XML", (int)r->queues[RQ_XML].size()) > 0)
        ReadMessage(r, step, 0, XmlWants, "the XML message", "road-03-xml");
    if (OpenFromTree(r, step, "E2E.JSON", (int)r->queues[RQ_JSON].size()) > 0)
        ReadMessage(r, step, 0, JsonWants, "the JSON message", "road-03-json");
    if (OpenFromTree(r, step, "E2E.PCF", (int)r->queues[RQ_PCF].size()) > 0) {
        ReadMessage(r, step, 0, PcfWants, "the PCF message", "road-03-pcf");
        ReadMessage(r, step, 2, PcfWants, "the statistics message", nullptr);
    }
    if (OpenFromTree(r, step, "E2E.RFH2", (int)r->queues[RQ_RFH2].size()) > 0) {
        ReadMessage(r, step, 0, RfhWants, "the RFH2 message", "road-03-rfh2");
        ReadMessage(r, step, 1, ChainedWants, "the chained RFH2 message", nullptr);
        ReadMessage(r, step, 2, BigEndianWants, "the big-endian RFH2 message", "road-03-rfh2-273");
    }
    CheckQueues(r, step, nullptr, 0);
}

/* 8, the dead-letter queue's first message opened: its header formatted,
 * the reason by name. */
void OpenDeadLetter(Road *r)
{
    ReadMessage(r, "dead letters", 0, DeadLetterWants, "the dead letter", "road-08-dead-letter");
}

/* ---- 4: an edit saved ---------------------------------------------------------------- */

static const char ReplyTo[] = "E2E.REPLIES";
static const char EditedWord[] = "fixed";

/* A key as the keyboard sends it to the message pane: its WM_KEYDOWN,
 * or the WM_CHAR of a character, through the program's message loop. */
static void PaneKey(HWND pane, UINT msg, WPARAM key, int times = 1)
{
    for (int i = 0; i < times; i++)
        PostMessageA(pane, msg, key, 1);
}

/* The cursor brought to a column of the value on the first line of the
 * pane holding piece, as a user brings it there: up to the first line
 * with the arrow key, down to the line, to the value's start with Home,
 * along it with the right arrow.  False (the failure logged) when the
 * pane shows no such line. */
static bool CursorTo(Road *r, const char *step, HWND d, const char *piece, int column)
{
    std::string text = PaneText(d);
    int line = LineOfText(text, piece);
    HWND pane = Pane(d);
    if (line < 0 || !pane) {
        Fail(r, step, std::string("no line holding \"") + piece + "\" in the pane:\n" + text);
        return false;
    }
    PaneKey(pane, WM_KEYDOWN, VK_UP, 1 + LineOfText(text + "\x01", "\x01"));
    PaneKey(pane, WM_KEYDOWN, VK_DOWN, line);
    PaneKey(pane, WM_KEYDOWN, VK_HOME);
    PaneKey(pane, WM_KEYDOWN, VK_RIGHT, column);
    return true;
}

/* The descriptor's ReplyToQ and the body's word "first" typed over, as a
 * user types.  False when a line was not found in the pane's text. */
static bool TypeEdits(Road *r, const char *step, HWND d)
{
    ShowDescriptor(r, d);
    HWND pane = Pane(d);
    const char *lines[] = {"Reply Queue", "The first text"};
    int columns[] = {0, 4};
    const char *typed[] = {ReplyTo, EditedWord};
    for (int i = 0; i < 2; i++) {
        if (!CursorTo(r, step, d, lines[i], columns[i]))
            return false;
        if (i == 0)                                    /* Insert: the empty queue name grows as typed */
            PaneKey(pane, WM_KEYDOWN, VK_INSERT);
        for (const char *c = typed[i]; *c; c++)
            PaneKey(pane, WM_CHAR, (WPARAM)(unsigned char)*c);
        if (i == 0)                                    /* back to overwriting for the body's word */
            PaneKey(pane, WM_KEYDOWN, VK_INSERT);
    }
    /* the pane's text copied after the keys: it shows both edits */
    std::string text = PaneText(d);
    if (text.find(ReplyTo) == std::string::npos || text.find("The fixed text") == std::string::npos) {
        Fail(r, step, "the pane does not show what was typed:\n" + text);
        return false;
    }
    return true;
}

/* Whether a status text answers an Update: done, or failed. */
static bool UpdateAnswer(const std::string &said)
{
    return said.find("updated") != std::string::npos || said.find("RC(") != std::string::npos ||
           said.find("MQRC_") != std::string::npos;
}

/* Update pressed (the dialog's own command, posted after the keys typed
 * before it) and its answer awaited in the status history: the text that
 * came after the press ("" when none came). */
static std::string Save(HWND d)
{
    MarkStatus(d);
    E2ECommand(d, 946);
    return StatusAnswer(d, UpdateAnswer, E2E_QMGR_MS);
}

/* A context field of the saved message as the original had it. */
static void SameContext(Road *r, const char *step, const char *name, const char *was, const char *now, size_t n)
{
    if (memcmp(was, now, n))
        Fail(r, step, std::string("the saved message's ") + name + " is \"" + std::string(now, n) +
                          "\", not the original's \"" + std::string(was, n) + "\"");
}

/* The queue holds exactly one message with the id, changed as typed, and
 * put by whom and when the original was (its context passed on). */
static void CheckSaved(Road *r, const char *step, int queue, const E2EMsg &original, const std::string &digest,
                       size_t depth)
{
    const std::string &msgId = original.msgId;
    const E2EMsg *m = nullptr;
    int count = 0;
    for (const E2EMsg &q : r->queues[queue])
        if (q.msgId == msgId)
            m = &q, count++;
    if (r->queues[queue].size() != depth)
        Fail(r, step, std::string(RoadQueues[queue]) + " holds " + std::to_string(r->queues[queue].size()) +
                          " messages, not " + std::to_string(depth));
    if (count != 1) {
        Fail(r, step, "the edited message is there " + std::to_string(count) + " times");
        return;
    }
    std::string replyTo(m->md.ReplyToQ, strnlen(m->md.ReplyToQ, sizeof m->md.ReplyToQ));   /* a NUL ends a name */
    replyTo.erase(replyTo.find_last_not_of(' ') + 1);
    if (replyTo != ReplyTo)
        Fail(r, step, "the saved ReplyToQ is \"" + replyTo + "\"");
    if (m->digest != digest)
        Fail(r, step, "the saved body is not the one typed");
    const MQMD &was = original.md, &now = m->md;
    SameContext(r, step, "user", was.UserIdentifier, now.UserIdentifier, sizeof was.UserIdentifier);
    SameContext(r, step, "application", was.PutApplName, now.PutApplName, sizeof was.PutApplName);
    SameContext(r, step, "put date", was.PutDate, now.PutDate, sizeof was.PutDate);
    SameContext(r, step, "put time", was.PutTime, now.PutTime, sizeof was.PutTime);
    if (was.PutApplType != now.PutApplType)
        Fail(r, step, "the saved message's application type is " + std::to_string(now.PutApplType) + ", not " +
                          std::to_string(was.PutApplType));
}

/* The digest of the first text message's body with its word typed over. */
static std::string EditedDigest(Road *r)
{
    std::string text = FileText(r->fill.substr(0, r->fill.find_last_of("/\\") + 1) + "data/text1.txt");
    size_t at = text.find("first");
    if (at != std::string::npos)
        text.replace(at, 5, EditedWord);
    return E2EDigest(text.data(), text.size());
}

/* The first message of E2E.TEXT opened, edited and saved: the queue then
 * holds it once, with the new ReplyToQ and body. */
void EditMessage(Road *r)
{
    const char *step = "edit and save";
    size_t depth = r->queues[RQ_TEXT].size();
    if (OpenFromTree(r, step, "E2E.TEXT", (int)depth) <= 0)
        return;
    HWND d = OpenMessage(r, step, 0);
    if (!d)
        return;
    E2EMsg first = r->queues[RQ_TEXT][0];
    if (TypeEdits(r, step, d)) {
        E2EShot(GetAncestor(d, GA_ROOT), "road-04-edited");
        std::string said = Save(d);
        if (said.find("updated") == std::string::npos)
            Fail(r, step, "Update was not confirmed: \"" + said + "\"");
        E2EShot(GetAncestor(d, GA_ROOT), "road-04-saved");
    }
    const char *touched[] = {"E2E.TEXT"};
    CheckQueues(r, step, touched, 1);
    CheckSaved(r, step, RQ_TEXT, first, EditedDigest(r), depth);
    for (const E2EBox &b : E2EWatchdogTake())
        Fail(r, step, "a message box came: \"" + b.caption + "\": " + b.text);
}

/* ---- 4b: messages edited field by field ------------------------------------------- */

static const char EditQueue[] = "E2E.EDIT";

const char RoadLedgerFormat[] = "struct Ledger ; A ledger entry\n{\n digits (4) units;\n char note[14];\n}\n"
                                "format LEDGER\n{\n struct Ledger;\n}\n";

/* E2E.EDIT's message of the id as the MQI reads it now, or null. */
static const E2EMsg *EditMsg(const std::vector<E2EMsg> &now, const std::string &id)
{
    for (const E2EMsg &m : now)
        if (m.msgId == id)
            return &m;
    return nullptr;
}

/* The list of E2E.EDIT opened afresh, its row into the message pane and
 * the descriptor shown: the pane's dialog, or null. */
static HWND OpenEdit(Road *r, const char *step, int rows, int row)
{
    if (OpenFromTree(r, step, EditQueue, rows) != rows) {
        Fail(r, step, std::string(EditQueue) + " does not show its " + std::to_string(rows) + " rows");
        return nullptr;
    }
    HWND d = OpenMessage(r, step, row);
    if (d)
        ShowDescriptor(r, d);
    return d;
}

/* One character typed over at the cursor and the message saved with
 * Update (taken after the character): whether the program said it was
 * updated. */
static bool TypeAndUpdate(Road *r, const char *step, HWND d, char c)
{
    PaneKey(Pane(d), WM_CHAR, (WPARAM)(unsigned char)c);
    std::string said = Save(d);
    if (said.find("updated") == std::string::npos)
        Fail(r, step, "Update was not confirmed: \"" + said + "\"");
    return said.find("updated") != std::string::npos;
}

/* A saved message as it should be: the bytes, CCSID, encoding and
 * format. */
static void ExpectSaved(Road *r, const char *step, const E2EMsg *m, const char *what, const std::string &data,
                        MQLONG ccsid, const char *format)
{
    if (!m) {
        Fail(r, step, std::string(what) + " is no longer on " + EditQueue);
        return;
    }
    if (m->data != data)
        Fail(r, step, std::string(what) + " holds other bytes than typed: \"" + m->data + "\"");
    if (m->md.CodedCharSetId != ccsid || m->md.Encoding != 546 || memcmp(m->md.Format, format, 8))
        Fail(r, step, std::string(what) + " has CCSID " + std::to_string(m->md.CodedCharSetId) + ", encoding " +
                          std::to_string(m->md.Encoding) + " and format '" + std::string(m->md.Format, 8) + "'");
}

/* IBM MQ's published MQIIH, chained to an MQSTR message of CCSID 819. */
static std::string PublishedIms()
{
    auto i4 = [](int32_t v) { return std::string((const char *)&v, 4); };
    return "IIH " + i4(1) + i4(84) + i4(546) + i4(819) + "MQSTR   " + i4(0) + std::string(32, ' ') +
           std::string(16, '\0') + " 0C ";
}

/* E2E.EDIT's two messages edited as a user edits them: the LEDGER
 * message's numeric text 12 typed over to 13 (its user format shows it
 * as a number) and saved; the Latin-1 text's first letter typed over and
 * saved, every other byte, the CCSID and the encoding kept; then an IMS
 * header added in front of the text and the message put as a new one,
 * the header carrying IBM MQ's published initial values. */
void EditByField(Road *r)
{
    const char *step = "edit by field";
    std::vector<E2EMsg> was, now;
    E2EQueue("E2EQM", EditQueue, &was);
    if (was.size() != 2) {
        Fail(r, step, std::string(EditQueue) + " holds " + std::to_string(was.size()) + " messages, not 2");
        return;
    }
    HWND d = OpenEdit(r, step, 2, 0);
    if (d && CursorTo(r, step, d, "units", 1) && TypeAndUpdate(r, step, d, '3')) {
        E2EShot(GetAncestor(d, GA_ROOT), "road-04-digits");
        E2EQueue("E2EQM", EditQueue, &now);
        ExpectSaved(r, step, EditMsg(now, was[0].msgId), "the LEDGER message", "0013+" + was[0].data.substr(5), 819,
                    "LEDGER  ");
    }
    d = OpenEdit(r, step, 2, 0);
    if (d && CursorTo(r, step, d, "Caf", 0) && TypeAndUpdate(r, step, d, 'K')) {
        E2EQueue("E2EQM", EditQueue, &now);
        ExpectSaved(r, step, EditMsg(now, was[1].msgId), "the Latin-1 message", "K" + was[1].data.substr(1), 819,
                    "MQSTR   ");
    }
    /* the IMS header: Add Message Header, IMS, then Add */
    if (d && CursorTo(r, step, d, "Kaf", 2)) {
        E2ECommand(d, 4026);
        if (!E2EUntil(E2E_WINDOW_MS, [&] {
                return PaneText(d).find("IMS Information Header (MQIIH)") != std::string::npos;
            }, 100))
            Fail(r, step, "no IMS header in the pane after Add Message Header:\n" + LastCopied);
        E2EShot(GetAncestor(d, GA_ROOT), "road-04-ims-header");
        E2ECommand(d, 941);
        if (!StatusComes(d, "added", E2E_QMGR_MS))
            Fail(r, step, "Add was not confirmed: \"" + DialogStatus(d) + "\"");
        E2EQueue("E2EQM", EditQueue, &now);
        const E2EMsg *ims = nullptr;
        for (const E2EMsg &m : now)
            if (!memcmp(m.md.Format, "MQIMS   ", 8))
                ims = &m;
        if (now.size() != 3 || !ims)
            Fail(r, step, std::string(EditQueue) + " holds " + std::to_string(now.size()) +
                              " messages, none of format MQIMS");
        else
            ExpectSaved(r, step, ims, "the message with its IMS header", PublishedIms() + "K" + was[1].data.substr(1),
                        819, "MQIMS   ");
    }
    CheckQueues(r, step, nullptr, 0);
    for (const E2EBox &b : E2EWatchdogTake())
        Fail(r, step, "a message box came: \"" + b.caption + "\": " + b.text);
}

/* ---- the fault run: a save whose put fails ------------------------------------------- */

/* The edited message's put struck with MQRC_Q_FULL in the program: the
 * queue keeps the original alone and unchanged, the user is told the
 * reason by name, the edit stays in the pane; the second save then
 * leaves exactly the new message. */
void FailedSave(Road *r)
{
    const char *step = "failed save";
    size_t depth = r->queues[RQ_TEXT].size();
    if (OpenFromTree(r, step, "E2E.TEXT", (int)depth) <= 0)
        return;
    HWND d = OpenMessage(r, step, 0);
    if (!d || !TypeEdits(r, step, d)) {
            return;
    }
    E2EMsg original = r->queues[RQ_TEXT][0];
    /* the request's own put to the agent goes first, the message's second */
    if (MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 2, 1, MQRC_Q_FULL, 0))
        Fail(r, step, "no process owns E2EQM to arm the fault in");
    std::string said = Save(d);
    MQSimFaultInOwner((PMQCHAR) "MQPUT", (PMQCHAR) "E2EQM", 1, 0, 0, 0);
    std::string told = said;
    for (const E2EBox &b : E2EWatchdogTake())
        told += " / " + b.text;
    if (told.find("RC(2053) MQRC_Q_FULL (Queue full)") == std::string::npos ||
        told.find("E2E.TEXT") == std::string::npos)
        Fail(r, step, "the user was not told the put failed with 2053 (queue full): \"" + told + "\"");
    E2EShot(GetAncestor(d, GA_ROOT), "road-faults-save-failed");
    const char *touched[] = {"E2E.TEXT"};
    CheckQueues(r, step, touched, 1);
    std::map<std::string, E2EMsg> now;
    std::string why;
    E2EById(r->queues[RQ_TEXT], &now, &why);
    auto kept = now.find(original.msgId);
    if (r->queues[RQ_TEXT].size() != depth || kept == now.end() || kept->second.digest != original.digest ||
        memcmp(kept->second.md.ReplyToQ, original.md.ReplyToQ, sizeof original.md.ReplyToQ))
        Fail(r, step, "after the failed save E2E.TEXT does not hold the original message alone and unchanged");
    std::string text = PaneText(d);
    if (text.find(ReplyTo) == std::string::npos || text.find("The fixed text") == std::string::npos)
        Fail(r, step, "the edit did not stay in the dialog:\n" + text);
    said = Save(d);
    if (said.find("updated") == std::string::npos)
        Fail(r, step, "the second Update was not confirmed: \"" + said + "\"");
    CheckQueues(r, step, touched, 1);
    CheckSaved(r, step, RQ_TEXT, original, EditedDigest(r), depth);
    for (const E2EBox &b : E2EWatchdogTake())
        Fail(r, step, "a message box came: \"" + b.caption + "\": " + b.text);
}
