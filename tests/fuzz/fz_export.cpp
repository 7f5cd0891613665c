/* Fuzz target: the export of object definitions from a hostile queue
 * manager's replies.  The first input byte chooses the export (MQSC, XML
 * or CSV) and the dialog (a queue list of every Queue field, or the Queue
 * Manager dialog); the rest is the reply that fills it.  Whatever the
 * values hold, an export never carries a command of its own: the MQSC
 * file, read back by the console's command-file reader, holds one
 * DEFINE or ALTER per object exported, each with its quotes closed; the
 * XML has no control character but its line ends; every CSV row has as
 * many values as the headings. */
#include "fuzz.h"

#include "export/exptest.h"
#include "mq/mqsc/mqsc.h"
#include "replysamples.h"

using namespace exptest;

namespace {

std::vector<PCFLISTENTRY> columns;
std::string mqscPath;

void Seeds(FuzzSeeds *s)
{
    std::vector<std::string> replies = dlgtest::SampleReplies(2);
    for (const std::string &r : replies)
        for (char kind = 0; kind < 6; kind++)
            s->Add(std::string(1, kind) + r);
    Reply hostile(MQCMD_INQUIRE_Q);
    hostile.Str(MQCA_Q_NAME, "EVIL.Q").Int(MQIA_Q_TYPE, MQQT_LOCAL)
        .Str(MQCA_Q_DESC, "a\r\nDELETE QLOCAL(VICTIM) PURGE\r\n*'')");
    for (char kind = 0; kind < 3; kind++)
        s->Add(std::string(1, kind) + hostile.data);
}

void Init(void)
{
    PCFPrefsDefaults();
    columns = AllColumns(&PCFQueueDef);
    mqscPath = FuzzScratch() + "/export.mqs";
}

/* The dialog's rows or values from the reply. */
void Fill(DialogWords *d, QMS *location, const std::string &reply)
{
    Recorder rec;
    rec.Install();
    FuzzBlock block(reply);
    if (d->definition->list) {
        FillListArea(d, nullptr, &d->first, block.data(), (uint32_t)block.size(), 0);
        for (Post &p : rec.posts)
            if (p.message == UM_PCF_UPDATE_LIST) {
                PCFTakeListArea(d, &d->first, (PCFLISTAREA *)p.lParam);
                p.message = 0;
            }
    } else {
        PCFSetDialogData(d, location, nullptr, nullptr, 1, block.data(), (uint32_t)block.size(), nullptr);
        PCFTakeDialogData(d);
    }
    rec.ReleasePosted();
    Recorder::Clear();
}

/* An MQSC export into a file, read back by the console's reader. */
void CheckMqsc(DialogWords *d)
{
    Exported e = ExportFile(d, EXP_MQSC, EXPO_SYSTEM | EXPO_DEFAULTS, mqscPath, "wb");
    if (e.count < 0)
        return;
    MQSCFILEREADER r = {};
    r.file = fopen(mqscPath.c_str(), "rb");
    FUZZ_CHECK(r.file, "the export file can not be read");
    std::vector<char> command(MQSC_FILE_BUFFER);
    r.command = command.data();
    int commands = 0;
    while (MQSCNextFileCommand(&r)) {
        std::string c(r.command, r.used);
        FUZZ_CHECK(!c.compare(0, 7, "DEFINE ") || !c.compare(0, 7, "ALTER  "), "a command of its own: " + c);
        int open = 0;
        for (char ch : c)
            open ^= ch == '\'';
        FUZZ_CHECK(!open, "a quote left open: " + c);
        commands++;
    }
    fclose(r.file);
    CSFreeMemAndClear(&r.line);
    FUZZ_CHECK(commands == e.count, "commands read " + std::to_string(commands) + ", objects exported " +
                                        std::to_string(e.count) + "\n" + e.text);
}

void CheckXml(DialogWords *d)
{
    Exported e = ExportText(d, EXP_XML, EXPO_SYSTEM | EXPO_DEFAULTS);
    const std::string &t = e.text;
    for (size_t i = 0; i < t.size(); i++) {
        unsigned char ch = (unsigned char)t[i];
        if (ch == '\r' && i + 1 < t.size() && t[i + 1] == '\n')
            i++;
        else
            FUZZ_CHECK(ch >= 0x20, "a control character in the XML at " + std::to_string(i) + "\n" + t);
    }
}

/* CSV rows: the number of values of each. */
std::vector<size_t> CsvWidths(const std::string &text)
{
    std::vector<size_t> widths;
    size_t values = 1;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (quoted)
            quoted = !(c == '"' && !(i + 1 < text.size() && text[i + 1] == '"' && ++i));
        else if (c == '"')
            quoted = true;
        else if (c == ',')
            values++;
        else if (c == '\n') {
            widths.push_back(values);
            values = 1;
        }
    }
    FUZZ_CHECK(!quoted, "a CSV quote left open");
    return widths;
}

void CheckCsv(DialogWords *d)
{
    Exported e = ExportText(d, EXP_CSV, EXPO_SYSTEM | EXPO_DEFAULTS);
    std::vector<size_t> widths = CsvWidths(e.text);
    for (size_t w : widths)
        FUZZ_CHECK(w == widths[0], "a CSV row of " + std::to_string(w) + " values under headings of " +
                                       std::to_string(widths[0]) + "\n" + e.text);
}

void Run(const uint8_t *data, size_t size)
{
    FuzzInput in = { data, size };
    uint8_t choice = in.Byte();
    std::string reply = in.Rest();
    bool list = (choice / 3) % 2 == 0;
    ListDialog dialog(list ? &PCFQueueListDef : &PCFQueueManagerDef, columns, "QMF");
    Fill(dialog.get(), &dialog.location, reply);
    switch (choice % 3) {
    case 0: CheckMqsc(dialog.get()); break;
    case 1: CheckXml(dialog.get()); break;
    default: CheckCsv(dialog.get()); break;
    }
}

}  // namespace

FUZZ_TARGET(Seeds, Init, Run)
