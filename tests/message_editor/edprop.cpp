/* The random user actions of edprop.h. */
#include "edprop.h"
#include "edbytes.h"
#include "edfind.h"
#include "edops.h"
#include "edstruct.h"
#include "eddialog.h"
#include "csmem.h"
#include "mq/pcf.h"
#include <algorithm>
#include <cstdio>

namespace {

struct Rng {
    uint64_t s;
    uint32_t Next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return (uint32_t)(s >> 11); }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

struct Seed {
    const char *name;
    Bytes md, body;
    uint32_t bodyKind;
};

Bytes Md(const char *format, int32_t encoding = 546, int32_t ccsid = 850)
{
    return BuildMD(true, 2, format, encoding, ccsid);
}

Bytes &CfSl(Bytes &b, int parm, int width, std::initializer_list<const char *> strings)
{
    b.I32(6).I32(24 + (int64_t)(width * strings.size() + 3) / 4 * 4).I32(parm).I32(0)
        .I32((int64_t)strings.size()).I32(width);
    size_t before = b.size();
    for (const char *s : strings)
        b.Chars(s, (size_t)width);
    while ((b.size() - before) % 4)
        b.Fill(' ', 1);
    return b;
}

Bytes &CfIl(Bytes &b, int parm, std::initializer_list<int> values)
{
    b.I32(5).I32(16 + 4 * (int64_t)values.size()).I32(parm).I32((int64_t)values.size());
    for (int v : values)
        b.I32(v);
    return b;
}

Bytes &CfBs(Bytes &b, int parm, const char *bytes, uint32_t n)
{
    b.I32(9).I32(16 + (n + 3) / 4 * 4).I32(parm).I32(n).Raw(bytes, n);
    return b.Pad4();
}

/* An inquiry with every parameter kind and a group of two */
Bytes AdminCommand(bool rev)
{
    Bytes b = BuildPcfHeader(rev, 1, 13, 6);
    CfSt(b, 2016, "APP.QUEUE.red");
    CfIn(b, 20, 1);
    CfIl(b, 1002, { 3, 15, 16 });
    CfSl(b, 3003, 8, { "alpha", "blue" });
    CfBs(b, 7001, "\x01\x02\x03", 3);
    CfGr(b, 8001, 2);
    CfSt(b, 2002, "line blue");
    CfIn(b, 1016, 4);
    return b;
}

Bytes AdminResponse()
{
    Bytes b = BuildPcfHeader(true, 2, 13, 4, 0, 0);
    CfSt(b, 2016, "SYSTEM.red");
    CfIn(b, 20, 1);
    CfIn(b, 3, 5000);
    CfSl(b, 3003, 12, { "item one", "item two", "item three" });
    return b;
}

Bytes Event()
{
    Bytes b = BuildPcfHeader(true, 7, 44, 3, 1, 2085);
    CfSt(b, 2015, "QM1");
    CfSt(b, 2016, "NO.SUCH.blue");
    CfIn(b, 1012, 1);
    return b;
}

Bytes Eph()
{
    Bytes b;
    Bytes pcf = BuildPcfHeader(true, 1, 13, 2);
    CfSt(pcf, 2016, "red queue");
    CfIn(pcf, 20, 1);
    b.Chars("EPH ", 4).I32(1).I32(32 + (int64_t)pcf.size()).I32(546).I32(850).Chars("MQSTR   ", 8).I32(0);
    b.Add(pcf).Raw("line after", 10);
    return b;
}

Bytes DeadLetterChain()
{
    Bytes b = BuildDLH(true, "MQHRF2  ");
    b.Add(BuildRfh2(true, "MQSTR   ", { "<mcd><Msd>jms_text</Msd></mcd>", "<usr><color>red</color><a>1</a></usr>" }));
    b.Raw("dead line one\nline two", 22);
    return b;
}

std::vector<Seed> &Seeds()
{
    static std::vector<Seed> seeds;
    if (!seeds.empty())
        return seeds;
    auto raw = [](const char *s) { return Bytes().Raw(s, strlen(s)); };
    seeds.push_back({ "text", Md("MQSTR   "), raw("line one\nline two red\r\nthird line blue\n\nlast"), BK_AUTO });
    seeds.push_back({ "xml", Md("MQSTR   "),
                      raw("<order id=\"7\">\n <item>red</item><!-- note -->\n <item a='x'>blue</item><empty/>\n</order>"),
                      BK_XML });
    seeds.push_back({ "json", Md("MQSTR   "), raw("{\"a\": [1, {\"b\": \"red\"}], \"line\": \"blue\", \"n\": null}"),
                      BK_JSON });
    seeds.push_back({ "csv", Md("MQSTR   "), raw("a,b,line\n1,red,3\n4,,blue"), BK_CSV });
    seeds.push_back({ "admin command", Md("MQADMIN "), AdminCommand(true), BK_AUTO });
    seeds.push_back({ "admin response", Md("MQADMIN "), AdminResponse(), BK_AUTO });
    seeds.push_back({ "event", Md("MQEVENT "), Event(), BK_AUTO });
    seeds.push_back({ "big-endian PCF", Md("MQADMIN ", 273), AdminCommand(false), BK_AUTO });
    seeds.push_back({ "rfh2", Md("MQHRF2  "),
                      BuildRfh2(true, "MQSTR   ", { "<mcd><Msd>jms_text</Msd></mcd>", "<usr><color>red</color></usr>" })
                          .Raw("line body", 9), BK_AUTO });
    seeds.push_back({ "dead letter chain", Md("MQDEAD  "), DeadLetterChain(), BK_AUTO });
    seeds.push_back({ "eph", Md("MQHEPCF "), Eph(), BK_AUTO });
    /* "HELLO" LF "WORLD red line" in code page 500 */
    seeds.push_back({ "ebcdic", Md("MQSTR   ", 785, 500),
                      raw("\xC8\xC5\xD3\xD3\xD6\x25\xE6\xD6\xD9\xD3\xC4\x40\x99\x85\x84\x40\x93\x89\x95\x85"), BK_AUTO });
    return seeds;
}

/* ---- checks of a message's wholeness ---- */

uint32_t Rd(const std::vector<unsigned char> &b, size_t at, uint32_t encoding)
{
    if (at + 4 > b.size())
        return 0;
    if ((encoding & 0xF) == 2)
        return (uint32_t)b[at] | (uint32_t)b[at + 1] << 8 | (uint32_t)b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
    return (uint32_t)b[at] << 24 | (uint32_t)b[at + 1] << 16 | (uint32_t)b[at + 2] << 8 | (uint32_t)b[at + 3];
}

}

std::string EdWalkPcf(const unsigned char *data, size_t length, uint32_t encoding, int *all, size_t *used)
{
    std::vector<unsigned char> copy(data, data + length);
    if ((encoding & 0xF) != 2)
        for (size_t i = 0; i + 4 <= copy.size(); i += 4)
            std::swap(copy[i], copy[i + 3]), std::swap(copy[i + 1], copy[i + 2]);
    MQPP pp;
    MQLONG command, cc, rc, type, parm, plength, count;
    void *value;
    *all = 0;
    *used = 0;
    PCFInitParse(&pp, copy.data(), (int32_t)copy.size(), &command, &cc, &rc);
    if (cc)
        return "the PCF header cannot be read (" + std::to_string(rc) + ")";
    int depth = 0, top = 0;
    for (;;) {
        PCFGetNextParm(&pp, &type, &parm, &value, &plength, &count, &cc, &rc);
        if (cc) {
            if (rc != PCF_RC_END_OF_PARMS)
                return "the PCF walk stops after " + std::to_string(*all) + " parameters (" + std::to_string(rc) + ")";
            break;
        }
        if (type == PCF_END_GROUP) {
            depth--;
            continue;
        }
        ++*all;
        if (depth == 0)
            top++;
        if (type == 20)
            depth++;
    }
    *used = (size_t)pp.position;
    MQCFH *h = (MQCFH *)copy.data();
    if (top != h->ParameterCount)
        return "ParameterCount " + std::to_string(h->ParameterCount) + ", walked " + std::to_string(top);
    return "";
}

namespace {

/* The walk reaches the header's count and the end of the bytes. */
std::string WalkPcf(const std::vector<unsigned char> &b, size_t start, size_t end, uint32_t encoding)
{
    int all;
    size_t used;
    std::string e = EdWalkPcf(b.data() + start, end - start, encoding, &all, &used);
    if (e.empty() && used != end - start)
        return "bytes after the counted parameters at " + std::to_string(used);
    return e;
}

bool IsPcfFormat(const char *f)
{
    return !memcmp(f, "MQADMIN ", 8) || !memcmp(f, "MQEVENT ", 8) || !memcmp(f, "MQPCF   ", 8);
}

/* The header chain from the descriptor's Format: each MQRFH2's folders
 * fill its StrucLength, an MQEPH's PCF fills its StrucLength, a PCF body
 * walks to its end. */
std::string CheckChain(const std::vector<unsigned char> &md, const std::vector<unsigned char> &data)
{
    if (md.size() < 40)
        return "";
    uint32_t encoding = Rd(md, 24, 546);
    char format[9] = {};
    memcpy(format, md.data() + 32, 8);
    size_t at = 0;
    for (int n = 0; n < 20 && at < data.size(); n++) {
        size_t left = data.size() - at;
        auto next = [&](size_t encAt, size_t formatAt, size_t length) {
            uint32_t e = Rd(data, at + encAt, encoding);
            memcpy(format, data.data() + at + formatAt, 8);
            encoding = e;
            at += length;
        };
        if (!memcmp(format, "MQDEAD  ", 8)) {
            if (left < 172)
                return "";
            next(108, 116, 172);
        } else if (!memcmp(format, "MQHRF2  ", 8) || !memcmp(format, "MQHEPCF ", 8) ||
                   !memcmp(format, "MQHRF   ", 8) || !memcmp(format, "MQCICS  ", 8) ||
                   !memcmp(format, "MQIMS   ", 8) || !memcmp(format, "MQHWIH  ", 8) ||
                   !memcmp(format, "MQHMDE  ", 8)) {
            uint32_t length = Rd(data, at + 8, encoding);
            if (left < 36 || length < 28 || length > left)
                return std::string(format, 8) + " StrucLength " + std::to_string(length) + " of " +
                       std::to_string(left) + " bytes left";
            if (!memcmp(format, "MQHRF2  ", 8)) {
                size_t p = at + 36;
                while (p < at + length) {
                    uint32_t folder = Rd(data, p, encoding);
                    if (folder > at + length - p - 4)
                        return "an MQRFH2 folder of " + std::to_string(folder) + " bytes passes its StrucLength";
                    p += 4 + folder;
                }
                if (length < 36)
                    return "MQRFH2 StrucLength under 36";
            }
            if (!memcmp(format, "MQHEPCF ", 8)) {
                if (length < 68)
                    return "MQEPH StrucLength under 68";
                std::string e = WalkPcf(data, at + 32, at + length, encoding);
                if (!e.empty())
                    return "in the MQEPH: " + e;
            }
            next(12, 20, length);
        } else if (IsPcfFormat(format)) {
            return WalkPcf(data, at, data.size(), encoding);
        } else
            break;
    }
    return "";
}

/* ---- the host ---- */

struct Run {
    Rng rng{ 1 };
    int shift = 0, alt = 0, answer = 1;
    std::string find, replace;
};
Run *run;

int RunKey(int key)
{
    return key == ED_KEY_SHIFT ? run->shift : key == ED_KEY_MENU ? run->alt : 0;
}
int RunConfirm(DialogWords *, const char *, uint32_t *, uint32_t) { return run->answer; }
int RunTexts(DialogWords *, char *find, uint32_t fs, char *replace, uint32_t rs)
{
    snprintf(find, fs, "%s", run->find.c_str());
    snprintf(replace, rs, "%s", run->replace.c_str());
    return 2;
}

struct State {
    std::vector<unsigned char> md, data;
    bool operator==(const State &o) const { return md == o.md && data == o.data; }
};

const char *const words[] = { "red", "blue", "line", "item", "a", "e", "note", "color", "Q", "x" };
const char *const replacements[] = { "green", "aa", "X", "", "line two", "<b>", "\"" };
const char *const pastes[] = { "z", "new text", "<c>d</c>", "line\r\nnext", "414243", "A1B", "{\"k\": 1}",
                               "-12", "7", "1,2" };
const char *const hexes[] = { "41", "0A0B0C", "414", "00", "7B7D" };
const int chars[] = { 'a', 'Z', '5', '0', '-', '+', ' ', '<', '>', '/', '"', '{', '[', '=', 'x', '.' };

/* Fields whose change would (rightly) change how the rest is read: the
 * structure's type, lengths, counts, version, chain. */
bool Structural(const LINEDATA *l)
{
    if (!l || !l->field)
        return false;
    const FmtFieldDef *f = l->field;
    if (f->type == FT_ENCODING || f->type == FT_FORMAT || (f->flags & (FF_STRUCID | FF_FORMAT | FF_ENCODING)))
        return true;
    static const char *const names[] = { "Type", "Struc Length", "Parm Count", "String Length", "Count",
                                         "XML Length", "Filter Length", "Version", "Reply Format" };
    for (const char *n : names)
        if (!strcmp(f->name, n))
            return true;
    return false;
}

struct Driver {
    QMS *qms = nullptr;
    DialogWords d{};
    EdMessageArea area{};
    std::vector<unsigned char> block;
    PCFDATA *ed = nullptr;
    uint64_t sequenceSeed = 0;
    const Seed *seed = nullptr;
    int incomplete = 0, notCounted = 0;
    std::vector<State> states;
    size_t position = 0;
    std::string action, failure;
    std::vector<std::string> log;       /* the sequence's actions, for RAVOLT_EDPROP_TRACE */
    EdPropResult *result = nullptr;

    ~Driver()
    {
        if (ed)
            EdFreePane(ed);
        free(qms);
    }
    State Now() const
    {
        State s;
        s.md.assign(ed->descriptor.data, ed->descriptor.data + ed->descriptor.length);
        s.data.assign(ed->data.data, ed->data.data + ed->data.length);
        return s;
    }
    /* undo steps behind the undo position */
    uint32_t Depth() const
    {
        uint32_t n = 0;
        const EdUndoRecord *r = (const EdUndoRecord *)ed->undoPosition;
        for (int first = 1; r && r->type; r = r->previous) {
            if (first || r->group != r->next->group)
                n++;
            first = 0;
        }
        return n;
    }
    /* the newest groups from first to last (1: the newest) hold only
     * typing-buffer records */
    bool TypingOnly(uint32_t first, uint32_t last) const
    {
        const EdUndoRecord *r = (const EdUndoRecord *)ed->undoPosition;
        uint32_t n = 0;
        for (int newest = 1; r && r->type; r = r->previous) {
            if (newest || r->group != r->next->group)
                n++;
            newest = 0;
            if (n >= first && n <= last && r->buffer != &ed->typed)
                return false;
        }
        return true;
    }
    void Markers(int *inc, int *nc)
    {
        *inc = *nc = 0;
        for (int32_t i = 0; i < ed->scroll.lineCount; i++) {
            const LINEDATA *l = EdGetLine(ed, i);
            if (!l || !l->text)
                continue;
            std::string t(l->text, l->textLength);
            /* the structures' markers; an XML body's own "XML Incomplete"
             * follows from text edits and is not counted */
            *inc += t.find("Field Incomplete") != std::string::npos ||
                    t.find("Data Appears to be Incomplete") != std::string::npos ||
                    t.find(" incomplete --") != std::string::npos;
            *nc += t.find("Fields not in PCF parameter count") != std::string::npos;
        }
    }
    bool Fail(const std::string &what)
    {
        if (failure.empty()) {
            char head[160];
            snprintf(head, sizeof head, "seed %llu (%s), action %zu", (unsigned long long)sequenceSeed, seed->name,
                     (size_t)result->actions);
            failure = std::string(head) + " [" + action + "]: " + what;
            if (getenv("RAVOLT_EDPROP_TRACE")) {
                for (auto &a : log)
                    fprintf(stderr, "  %s\n", a.c_str());
                const EdUndoRecord *r = (const EdUndoRecord *)ed->undoPosition;
                while (r && r->previous)
                    r = r->previous;
                for (; r; r = r->next)
                    fprintf(stderr, "  undo%s group %u type %u %s at %u count %d\n",
                            r == ed->undoPosition ? "*" : " ", r->group, r->type,
                            r->buffer == &ed->descriptor ? "md" : r->buffer == &ed->data ? "data" : "typed",
                            r->position, r->count);
                for (int pass = 0; pass < 2; pass++) {
                    for (int32_t i = 0; i < ed->scroll.lineCount; i++)
                        if (const LINEDATA *l = EdGetLine(ed, i))
                            fprintf(stderr, "%4d|%.*s\n", (int)i, (int)l->textLength, l->text ? l->text : "");
                    if (!pass && EdUndo(ed, 0))
                        fprintf(stderr, "  -- and one step back:\n");
                    else
                        break;
                }
            }
        }
        return false;
    }
    bool Whole()
    {
        State s = Now();
        std::string e = CheckChain(s.md, s.data);
        if (!e.empty())
            return Fail(e);
        int inc, nc;
        Markers(&inc, &nc);
        if (inc > incomplete)
            return Fail("a new incomplete marker");
        if (nc > notCounted)
            return Fail("a new \"Fields not in PCF parameter count\" marker");
        return true;
    }

    void Start(uint64_t s, uint32_t index)
    {
        sequenceSeed = s;
        run->rng = Rng{ s * 0x9E3779B97F4A7C15ull | 1 };
        seed = &Seeds()[index];
        EdTestDialog(&d, &qms, &area);
        d.viewWords[0] = 3 | VW_FORMATTED | VW_SHOW_MD | (run->rng.Below(2) ? LR_XML_DETECT : 0);
        d.bodyKind = seed->bodyKind;
        d.viewSwitches[0] = run->rng.Below(2);
        d.viewSwitches[1] = run->rng.Below(2);
        d.displayFlags = FO_MATCH_CASE | FO_DATA_ONLY;
        ed = EdCreatePane(&d);
        ed->scroll.visible = 20;
        ed->width = 100 * 8;
        ed->height = 20 * 16;
        FillMessageArea(&area, &block, seed->md.b, seed->body.b);
        EdReload(ed);
        EdBuildLineData(ed, 1);
        states.assign(1, Now());
        position = 0;
        Markers(&incomplete, &notCounted);
    }

    /* the cursor somewhere: mostly in a value, now and then anywhere */
    void Place(int extend)
    {
        int32_t lines = ed->scroll.lineCount;
        if (lines <= 0)
            return;
        int32_t line = (int32_t)run->rng.Below((uint32_t)lines);
        const LINEDATA *l = EdGetLine(ed, line);
        if (!l)
            return;
        int32_t column = run->rng.Below(4) && l->valueColumn >= 0
                             ? l->valueColumn + (int32_t)run->rng.Below((uint32_t)(l->valueLength > 0 ? l->valueLength : 0) + 2)
                             : (int32_t)run->rng.Below((uint32_t)l->textLength + 2);
        EdMoveCursor(ed, 0, 0, extend ? MC_EXTEND_TO : MC_GOTO, column, line);
        Settle();
    }
    /* A cursor move ends pending typing with a step of its own: taken
     * into the model before the action proper. */
    void Settle()
    {
        uint32_t depth = Depth();
        if (depth <= depthBefore || !TypingOnly(1, depth - depthBefore) || !(Now() == before))
            return;
        states.resize(position + 1);
        for (uint32_t k = depthBefore; k < depth; k++)
            states.push_back(before);
        position = depth;
        depthBefore = depth;
    }
    const LINEDATA *CursorLine() { return EdGetLine(ed, ed->cursor.line); }
    bool Editable() { return !Structural(CursorLine()); }
    /* the cursor's line lies inside a header or PCF structure (not the body) */
    bool InStructure()
    {
        const LINEDATA *l = CursorLine();
        return l && (l->lengthParent || (l->structure && l->structure != &FmtDefMessageContent &&
                                          l->structure != &FmtDefHeaderChain));
    }
    /* a selection within one line, or across a few */
    bool Select()
    {
        Place(0);
        if (!Editable())
            return false;
        if (run->rng.Below(3)) {
            const LINEDATA *l = CursorLine();
            int32_t column = ed->cursor.column + 1 + (int32_t)run->rng.Below(6);
            if (l && column > l->valueColumn + l->valueLength)
                column = l->valueColumn + l->valueLength;
            EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, column, ed->cursor.line);
        } else {
            int32_t line = ed->cursor.line + (int32_t)run->rng.Below(3);
            if (line >= ed->scroll.lineCount)
                line = ed->scroll.lineCount - 1;
            for (int32_t k = ed->cursor.line; k <= line; k++)
                if (Structural(EdGetLine(ed, k)))
                    return false;
            const LINEDATA *l = EdGetLine(ed, line);
            EdMoveCursor(ed, 0, 0, MC_EXTEND_TO, l ? l->valueColumn + (int32_t)run->rng.Below(4) : 0, line);
        }
        Settle();
        return true;
    }
    void Board()
    {
        edClipboard.empty();
        if (run->rng.Below(3)) {
            const char *t = pastes[run->rng.Below(sizeof pastes / sizeof *pastes)];
            edClipboard.setText(t, (uint32_t)strlen(t) + 1);
        } else {
            const char *h = hexes[run->rng.Below(sizeof hexes / sizeof *hexes)];
            edClipboard.setHex(h, (uint32_t)strlen(h));
        }
    }
    /* a random item of one of the structure sub-menus */
    int StructureCommand(int add)
    {
        static StructMenu menu;
        StructContext c;
        StructLocate(&c, &d);
        if (add)
            StructBuildAddMenu(&d, &c, &menu);
        else
            StructBuildRemoveMenu(&d, &c, &menu);
        StructFreeContext(&c);
        std::vector<int> ids;
        /* a PCF header put before other data leaves that data uncounted
         * by the user's own choice: not drawn */
        for (uint32_t i = 0; i < menu.count; i++)
            if (menu.items[i].kind == SMI_ITEM &&
                !(menu.items[i].id < SM_REMOVE && (StructMenuTable[menu.items[i].id % 1000].flags & SMR_PCF_HEADER)))
                ids.push_back(menu.items[i].id);
        if (ids.empty())
            return 0;
        int id = ids[run->rng.Below((uint32_t)ids.size())];
        action += " " + std::to_string(id);
        return id;
    }
    bool NamedValue()
    {
        for (int tries = 0; tries < 8; tries++) {
            int32_t line = (int32_t)run->rng.Below((uint32_t)ed->scroll.lineCount);
            LINEDATA *l = EdGetLine(ed, line);
            if (!l || Structural(l) || !EdFieldOffersValues(l, 0))
                continue;
            EdMoveCursor(ed, 0, 0, MC_GOTO, l->valueColumn, line);
            Settle();
            ed->listLine = line;
            EdEnumList list;
            if (!EdEnumValues(ed, (int)run->rng.Below(2), &list))
                return false;
            std::vector<uint8_t> chosen(list.count, 0);
            int picks = list.several ? 1 + (int)run->rng.Below(2) : 1;
            for (int p = 0; p < picks && list.count; p++)
                chosen[run->rng.Below(list.count)] = 1;
            action += std::string(" ") + (l->field ? l->field->name : "?");
            int ok = EdApplyEnumEntries(ed, &list, chosen.data());
            EdFreeEnumList(&list);
            return ok != 0;
        }
        return false;
    }

    enum Reported { NOT_REPORTED = -1 };
    /* One action; its result (1 done, 0 refused) or NOT_REPORTED. */
    int Act(uint32_t kind)
    {
        ed->insertMode = run->rng.Below(5) != 0;
        run->answer = run->rng.Below(12) != 0;
        run->alt = run->rng.Below(8) == 0;
        switch (kind) {
        case 0: case 1: {                                  /* typing */
            Place(0);
            if (!Editable())
                return NOT_REPORTED;
            int n = kind ? 2 + (int)run->rng.Below(5) : 1;
            action = "type";
            for (int i = 0; i < n && Editable(); i++) {     /* the cursor moves on */
                int ch = chars[run->rng.Below(sizeof chars / sizeof *chars)];
                action += (char)ch;
                EdCharProc(ed, ch);
                if (i + 1 < n && !Step())
                    return NOT_REPORTED;
            }
            return NOT_REPORTED;
        }
        case 2:
            Place(0);
            action = "Delete";
            if (!Editable())
                return NOT_REPORTED;
            EdKeyDown(ed, 46);
            return NOT_REPORTED;
        case 3:
            Place(0);
            action = "Backspace";
            if (!Editable())
                return NOT_REPORTED;
            EdCharProc(ed, 8);
            return NOT_REPORTED;
        case 4:
            Place(0);
            action = "Return";
            if (!Editable())
                return NOT_REPORTED;
            EdCharProc(ed, 13);
            return NOT_REPORTED;
        case 5:
            action = "selection delete";
            if (!Select())
                return NOT_REPORTED;
            if (run->rng.Below(2))
                EdKeyDown(ed, 46);
            else
                EdCharProc(ed, 8);
            return NOT_REPORTED;
        case 6: case 7: {
            Board();
            int all = kind == 7;
            action = all ? "Paste All" : "Paste";
            if (run->rng.Below(3) ? (Place(0), false) : !Select())
                return NOT_REPORTED;
            if (!Editable())
                return NOT_REPORTED;
            /* bytes pasted over the descriptor's first fields would change
             * its Version, Encoding or Format */
            if (all && ed->cursor.buffer == &ed->descriptor && ed->cursor.digit / 2 < 48)
                return NOT_REPORTED;
            /* raw bytes go in anywhere; inside a structure they break its
               lengths and counts, which is the user's choice, not a fault */
            if (all && ed->cursor.buffer == &ed->data && InStructure())
                return NOT_REPORTED;
            return EdEditCommand(&d, all ? 899 : 898), NOT_REPORTED;
        }
        case 8:
            action = "Cut";
            if (!Select())
                return NOT_REPORTED;
            return EdCut(&d) ? (EdBuildLineData(ed, 1), 1) : 0;
        case 9: {
            static const int xml[] = { 911, 915, 916, 917, 910, 912, 914 };
            int id = xml[run->rng.Below(7)];
            action = "XML command " + std::to_string(id);
            if (run->rng.Below(2) ? !Select() : (Place(0), !Editable()))
                return NOT_REPORTED;
            EdEditCommand(&d, id);
            return NOT_REPORTED;
        }
        case 10:
            run->find = words[run->rng.Below(sizeof words / sizeof *words)];
            run->replace = replacements[run->rng.Below(sizeof replacements / sizeof *replacements)];
            action = "Replace All " + run->find + " by " + run->replace;
            Place(0);
            if (getenv("RAVOLT_EDPROP_TRACE"))
                fprintf(stderr, "seed %llu: %s\n", (unsigned long long)sequenceSeed, action.c_str());
            return FRValidate(&d, FR_REPLACE_ALL) ? FindReplaceAll(&d) : 0;
        case 11: case 12: {
            Place(0);
            action = kind == 11 ? "structure add" : "structure remove";
            int id = StructureCommand(kind == 11);
            if (!id)
                return NOT_REPORTED;
            EdEditCommand(&d, id);
            return NOT_REPORTED;
        }
        case 13:
            action = "named value";
            return NamedValue();
        }
        return NOT_REPORTED;
    }

    /* after one action or keystroke: the model of snapshots and the checks */
    uint32_t depthBefore = 0;
    State before;
    bool Step(int reported = NOT_REPORTED)
    {
        result->actions++;
        uint32_t depth = Depth();
        State now = Now();
        if (reported == 0) {
            result->refused++;
            if (!(now == before) || depth != depthBefore)
                return Fail("a refused action changed the message or the undo list");
        }
        if (depth == depthBefore) {
            if (!(now == before))
                return Fail("the message changed without an undo step");
            if (states.size() > position + 1 && !EdCanRedo(ed))
                states.resize(position + 1);
        } else if (depth == depthBefore + 1) {
            result->changes++;
            states.resize(position + 1);
            states.push_back(now);
            position++;
        } else if (depth > depthBefore && TypingOnly(2, depth - depthBefore)) {
            /* pending typing ended by this action's cursor move: a step
             * of its own that changes no message byte */
            result->changes++;
            states.resize(position + 1);
            for (uint32_t k = depthBefore + 1; k < depth; k++)
                states.push_back(before);
            states.push_back(now);
            position = depth;
        } else
            return Fail("the undo depth went from " + std::to_string(depthBefore) + " to " + std::to_string(depth));
        if (EdCanRedo(ed) != (states.size() > position + 1))
            return Fail("Redo is offered " + std::to_string(EdCanRedo(ed)) + " against the model");
        depthBefore = depth;
        before = now;
        return Whole();
    }
    bool UndoRedo(int redo)
    {
        result->steps++;
        int done = redo ? EdRedo(ed) : EdUndo(ed, 0);
        size_t expect = position;
        if (done != (redo ? states.size() > position + 1 : position > 0))
            return Fail(std::string(redo ? "Redo" : "Undo") + " done " + std::to_string(done) + " against the model");
        if (done)
            expect = redo ? position + 1 : position - 1;
        position = expect;
        depthBefore = Depth();
        before = Now();
        if (depthBefore != position)
            return Fail("undo depth " + std::to_string(depthBefore) + " at snapshot " + std::to_string(position));
        if (!(before == states[position]))
            return Fail(std::string(redo ? "Redo" : "Undo") + " gives other bytes than snapshot " +
                        std::to_string(position));
        return Whole();
    }

    bool Sequence(uint32_t length)
    {
        depthBefore = 0;
        before = Now();
        if (!Whole())
            return Fail("the seed is not whole");
        for (uint32_t i = 0; i < length; i++) {
            uint32_t kind = run->rng.Below(16);
            if (kind >= 14) {
                action = kind == 14 ? "Undo" : "Redo";
                log.push_back(action);
                if (!UndoRedo(kind == 15))
                    return false;
                continue;
            }
            action.clear();
            int reported = Act(kind);
            char at[64];
            snprintf(at, sizeof at, " at %d:%d", (int)ed->cursor.line, (int)ed->cursor.column);
            log.push_back(action + at + (reported == 0 ? " refused" : "") + (ed->status[0] ? std::string(" \"") + ed->status + "\"" : ""));
            if (!failure.empty() || !Step(reported))
                return false;
        }
        /* everything undone, everything redone, then a mix */
        action = "Undo of everything";
        while (position > 0)
            if (!UndoRedo(0))
                return false;
        if (EdCanUndo(ed) || !(Now() == states[0]))
            return Fail("Undo of everything is not the seed");
        action = "Redo of everything";
        while (position + 1 < states.size())
            if (!UndoRedo(1))
                return false;
        if (EdCanRedo(ed))
            return Fail("Redo is still offered");
        action = "Undo and Redo mixed";
        for (int i = 0; i < 40; i++)
            if (!UndoRedo((int)run->rng.Below(2)))
                return false;
        return true;
    }
};

}

int EdPropSeedCount(void)
{
    return (int)Seeds().size();
}

const char *EdPropSeedName(int index)
{
    return Seeds()[(size_t)index].name;
}

EdPropResult EdPropRun(uint64_t seed, uint32_t sequences, uint32_t length)
{
    EdPropResult result;
    Run r;
    run = &r;
    EdHost saved = edHost;
    EdFindHost savedFind = edFind;
    EdHostDefaults(&edHost);
    edHost.keyDown = RunKey;
    edHost.confirm = RunConfirm;
    edFind.texts = RunTexts;
    EdClipboardDefaults(&edClipboard);
    for (uint32_t n = 0; n < sequences && result.ok; n++) {
        Driver drv;
        drv.result = &result;
        uint64_t s = seed + n;
        drv.Start(s, (uint32_t)(s % Seeds().size()));
        if (!drv.Sequence(length)) {
            result.ok = false;
            result.failure = drv.failure;
        }
    }
    edClipboard.empty();
    FRFreeHistories();
    edHost = saved;
    edFind = savedFind;
    run = nullptr;
    return result;
}
