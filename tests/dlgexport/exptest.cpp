/* Helpers of the export tests. */
#include "exptest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "pcfint.h"
#include "filters.h"
#include "pcflists.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace exptest {

const int64_t Moment = 1613587034;          /* 2021-02-17 18:37:14 UTC */

static int OneHourEast(int64_t, CSZoneInfo *zone)
{
    zone->offset = 3600;
    zone->standardOffset = 3600;
    zone->isDst = 0;
    return 1;
}

void FixZone(void)
{
    CSSetTimeZoneProc(OneHourEast);
}

void FreeZone(void)
{
    CSSetTimeZoneProc(nullptr);
}

std::vector<PCFLISTENTRY> AllColumns(PCFCommandDef *def)
{
    PCFInitCommandDefs();
    std::vector<PCFLISTENTRY> cols;
    for (PCFFieldEntry *e = def->fields; e && e->field; e++)
        if (PCFStoresValue(e) && e->field->type != PCFT_HEADING)
            cols.push_back({ e->field, PCFL_SHOWN });
    cols.push_back({ nullptr, 0 });
    return cols;
}

ListDialog::ListDialog(PCFCommandDef *def, const std::vector<PCFLISTENTRY> &cols, const char *qm)
    : d(def, (void *)7), columns(cols)
{
    snprintf(location.qmName, sizeof location.qmName, "%s", qm);
    snprintf(location.locationName, sizeof location.locationName, "Test location");
    location.platform = MQPL_WINDOWS_NT;
    location.commandLevel = 940;
    d->first.location = &location;
    d->first.columns = columns.data();
}

ListDialog::~ListDialog()
{
    ReleaseRefBlock(&d->first.replyArea);
    /* made when an export gathers the rows or a test rebuilds them */
    PCFListStateFree(d.get());
    PCFEvalFreeContext(d.get());
    PCFFilterFree(d.get());
}

void ListDialog::Fill(const std::vector<std::string> &replies)
{
    Recorder rec;
    rec.Install();
    for (const std::string &r : replies)
        EXPECT_EQ(FillListArea(d.get(), nullptr, &d->first, (const uint8_t *)r.data(), (uint32_t)r.size(), 0), 0);
    for (Post &p : rec.posts)
        if (p.message == UM_PCF_UPDATE_LIST) {
            PCFTakeListArea(d.get(), &d->first, (PCFLISTAREA *)p.lParam);
            p.message = 0;
        }
    rec.ReleasePosted();
    Recorder::Clear();
}

std::vector<PCFROW *> ListDialog::Rows()
{
    std::vector<PCFROW *> rows;
    PCFLISTAREA *a = d->first.replyArea;
    for (PCFROW *r = PCFFirstRow(a); r; r = PCFNextRow(a, r))
        rows.push_back(r);
    return rows;
}

Exported ExportText(DialogWords *dialog, int type, uint32_t options, int selection, int appending)
{
    EXPTEXTAREA *area = ExpNewTextArea(nullptr);
    EXPTARGET target = { nullptr, area, 0 };
    EXPORTRUN run = {};
    run.dialog = dialog;
    run.type = type;
    run.options = options;
    run.selection = selection;
    run.target = &target;
    run.appending = appending;
    run.now = Moment;
    Exported e;
    e.count = ExpRun(&run);
    e.text.assign(area->text, area->used);
    e.message = run.message;
    e.warning = run.warning;
    ExpFreeTextArea(area);
    return e;
}

Exported ExportFile(DialogWords *dialog, int type, uint32_t options, const std::string &path,
                    const char *mode)
{
    FILE *f = fopen(path.c_str(), mode);
    EXPECT_NE(f, nullptr);
    fseek(f, 0, SEEK_END);
    EXPTARGET target = { f, nullptr, 0 };
    EXPORTRUN run = {};
    run.dialog = dialog;
    run.type = type;
    run.options = options;
    run.target = &target;
    run.appending = ftell(f) > 0;
    run.now = Moment;
    Exported e;
    e.count = ExpRun(&run);
    fclose(f);
    e.text = ReadFile(path);
    e.message = run.message;
    e.warning = run.warning;
    return e;
}

std::vector<std::string> Lines(const std::string &text)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        std::string l = text.substr(at, end - at);
        if (!l.empty() && l.back() == '\r')
            l.pop_back();
        lines.push_back(l);
        at = end + 1;
    }
    return lines;
}

std::string TempPath(const std::string &name)
{
    std::filesystem::path dir = std::filesystem::temp_directory_path() /
                                ("ravolt-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    return (dir / name).string();
}

Attrs ReplyAttrs(const std::string &reply)
{
    Attrs attrs;
    PCFWALK w;
    if (!PCFWalkStart(&w, (const uint8_t *)reply.data(), (uint32_t)reply.size(), 0))
        return attrs;
    PCFPARM p;
    while (PCFWalkNext(&w, &p)) {
        std::string v;
        switch (p.type) {
        case MQCFT_INTEGER:
            v = std::to_string(Get32(p.value));
            break;
        case MQCFT_STRING:
            v.assign((const char *)p.value, (size_t)PCFTrimmedLength(p.value, p.valueLength));
            break;
        case MQCFT_INTEGER_LIST:
            for (int32_t i = 0; i < p.valueLength; i++)
                v += (i ? "," : "") + std::to_string(Get32(p.value + 4 * i));
            break;
        case MQCFT_STRING_LIST:
            for (int32_t i = 0; i < p.valueLength; i++) {
                const uint8_t *s = p.value + (size_t)i * (size_t)p.itemLength;
                v += (i ? ";" : "") + std::string((const char *)s, (size_t)PCFTrimmedLength(s, p.itemLength));
            }
            break;
        default:
            continue;
        }
        attrs[p.id] = v;
    }
    return attrs;
}

void Golden(const std::string &name, const std::string &text)
{
    const char *data = getenv("RAVOLT_TEST_DATA");
    ASSERT_NE(data, nullptr);
    std::string path = std::string(data) + "/export/" + name;
    if (getenv("RAVOLT_WRITE_GOLDEN")) {
        std::ofstream f(path, std::ios::binary);
        f << text;
        return;
    }
    EXPECT_EQ(text, ReadFile(path)) << "golden file " << path;
}

}  // namespace exptest
