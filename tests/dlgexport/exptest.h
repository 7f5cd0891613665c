/* Helpers of the export tests: a fixed clock and zone, exports into a
 * string or a file, list dialogs filled from replies with chosen columns,
 * and PCF replies read back as attribute maps. */
#pragma once

#include "dialogs/dlgtest.h"

#include <map>
#include <string>
#include <vector>

#include "export.h"
#include "qms.h"

namespace exptest {

using namespace dlgtest;

/* 17 February 2021 19:37:14 in a zone one hour east of UTC. */
extern const int64_t Moment;
void FixZone(void);
void FreeZone(void);

/* Every stored field of a definition as shown columns. */
std::vector<PCFLISTENTRY> AllColumns(PCFCommandDef *def);

/* A list dialog on a definition with a location and columns; rows from
 * replies through the list fill. */
struct ListDialog {
    Dialog d;
    QMS location = {};
    std::vector<PCFLISTENTRY> columns;
    ListDialog(PCFCommandDef *def, const std::vector<PCFLISTENTRY> &cols, const char *qm = "QMX");
    ~ListDialog();
    void Fill(const std::vector<std::string> &replies);
    void Fill(const Reply &reply) { Fill(std::vector<std::string>{ reply.data }); }
    DialogWords *get() { return d.get(); }
    std::vector<PCFROW *> Rows();
};

/* An export into a string (the clipboard's text area) or a file. */
struct Exported {
    int count;
    std::string text;
    std::string message;
    std::string warning;               /* the objects left out */
};
Exported ExportText(DialogWords *dialog, int type, uint32_t options, int selection = EXP_SHOWN,
                    int appending = 0);
Exported ExportFile(DialogWords *dialog, int type, uint32_t options, const std::string &path,
                    const char *mode);

/* Lines of a text (CR LF or LF). */
std::vector<std::string> Lines(const std::string &text);
/* A temporary file name of this process. */
std::string TempPath(const std::string &name);

/* Attributes of PCF replies: integers and lists as text, strings trimmed. */
typedef std::map<int32_t, std::string> Attrs;
Attrs ReplyAttrs(const std::string &reply);

/* A golden file of tests/data/export: compared, or written when
 * RAVOLT_WRITE_GOLDEN is set. */
void Golden(const std::string &name, const std::string &text);

}  // namespace exptest
