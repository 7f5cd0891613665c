/* Fuzz target: the export of object definitions from a hostile queue
 * manager's replies.  The first input byte chooses MQSC, XML or CSV and
 * a queue list of every Queue field or the Queue Manager dialog; the rest
 * fills it.  An export never carries a command of its own: its MQSC, read
 * back by the console's command-file reader, is one DEFINE or ALTER per
 * object with its quotes closed; its XML holds no control character but
 * its line ends; every CSV row is as wide as the headings. */
#include "fuzz.h"

#include <algorithm>

#include "dlgexport/exptest.h"
#include "mqsc.h"
#include "replysamples.h"

using namespace exptest;

namespace {

std::vector<PCFLISTENTRY> columns;

void Seeds(FuzzSeeds *s)
{
    Reply hostile(MQCMD_INQUIRE_Q);
    hostile.Str(MQCA_Q_NAME, "EVIL.Q").Int(MQIA_Q_TYPE, MQQT_LOCAL)
        .Str(MQCA_Q_DESC, "a\r\nDELETE QLOCAL(VICTIM) PURGE\r\n*'')");
    std::vector<std::string> replies = dlgtest::SampleReplies(2);
    replies.push_back(hostile.data);
    for (const std::string &r : replies)
        for (char kind = 0; kind < 6; kind++)
            s->Add(std::string(1, kind) + r);
}

void Init(void)
{
    PCFPrefsDefaults();
    columns = AllColumns(&PCFQueueDef);
}

void CheckMqsc(DialogWords *d)
{
    std::string path = FuzzScratch() + "/export.mqs";
    Exported e = ExportFile(d, EXP_MQSC, EXPO_SYSTEM | EXPO_DEFAULTS, path, "wb");
    MQSCFILEREADER r = {};
    std::vector<char> command(MQSC_FILE_BUFFER);
    r.command = command.data();
    r.file = fopen(path.c_str(), "rb");
    int commands = 0;
    while (e.count >= 0 && r.file && MQSCNextFileCommand(&r)) {
        std::string c(r.command, r.used);
        FUZZ_CHECK(!c.compare(0, 7, "DEFINE ") || !c.compare(0, 7, "ALTER  "), "a command of its own: " + c);
        FUZZ_CHECK(std::count(c.begin(), c.end(), '\'') % 2 == 0, "a quote left open: " + c);
        commands++;
    }
    if (r.file)
        fclose(r.file);
    CSFreeMemAndClear(&r.line);
    FUZZ_CHECK(e.count < 0 || commands == e.count, "commands " + std::to_string(commands) + ", objects " +
                                                       std::to_string(e.count) + "\n" + e.text);
}

void CheckXml(DialogWords *d)
{
    std::string t = ExportText(d, EXP_XML, EXPO_SYSTEM | EXPO_DEFAULTS).text;
    for (size_t i = 0; i < t.size(); i++)
        FUZZ_CHECK((unsigned char)t[i] >= 0x20 || (t[i] == '\r' && t[i + 1] == '\n' && ++i),
                   "a control character in the XML at " + std::to_string(i) + "\n" + t);
}

void CheckCsv(DialogWords *d)
{
    std::string t = ExportText(d, EXP_CSV, EXPO_SYSTEM | EXPO_DEFAULTS).text;
    std::vector<size_t> widths;
    size_t values = 1;
    bool quoted = false;
    for (size_t i = 0; i < t.size(); i++) {
        if (t[i] == '"')
            quoted = !quoted;            /* a doubled quote closes and opens again */
        else if (!quoted && t[i] == ',')
            values++;
        else if (!quoted && t[i] == '\n') {
            widths.push_back(values);
            values = 1;
        }
    }
    FUZZ_CHECK(!quoted, "a CSV quote left open");
    for (size_t w : widths)
        FUZZ_CHECK(w == widths[0], "a CSV row of " + std::to_string(w) + " values under headings of " +
                                       std::to_string(widths[0]) + "\n" + t);
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    uint8_t choice = in.Byte();
    FuzzBlock reply(in.Rest());
    ListDialog dialog((choice / 3) % 2 ? &PCFQueueManagerDef : &PCFQueueListDef, columns, "QMF");
    DialogWords *d = dialog.get();
    Recorder rec;
    rec.Install();
    if (d->definition->list) {
        FillListArea(d, nullptr, &d->first, reply.data(), (uint32_t)reply.size(), 0);
        for (Post &p : rec.posts)
            if (p.message == UM_PCF_UPDATE_LIST) {
                PCFTakeListArea(d, &d->first, (PCFLISTAREA *)p.lParam);
                p.message = 0;
            }
    } else {
        PCFSetDialogData(d, &dialog.location, nullptr, nullptr, 1, reply.data(), (uint32_t)reply.size(), nullptr);
        PCFTakeDialogData(d);
    }
    rec.ReleasePosted();
    Recorder::Clear();
    void (*checks[])(DialogWords *) = { CheckMqsc, CheckXml, CheckCsv };
    checks[choice % 3](d);
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
