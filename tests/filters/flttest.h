/* Test helpers of the filters: a hook recorder standing in for the
 * windows and the command engine, Queue List and Message List dialogs
 * whose rows are laid out by the list fill from PCF replies, compiling a
 * text, and the per-row protocol of the list fill run over the rows. */
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "../dialogs/dlgtest.h"
#include "filters.h"
#include "qms.h"

namespace flttest {

struct Status {
    std::string text;
    int mode;
};

/* Records what the filters ask of windows, sounds and the engine. */
struct Recorder {
    std::vector<Status> statuses;
    int beeps = 0;
    std::vector<std::string> sounds, commands, notes, namedErrors;
    std::vector<std::pair<int, int>> selections;
    int updates = 0, posts = 0, refreshLists = 0, whereFilters = 0, valueFills = 0;
    std::string field;               /* the filter field's text */
    int noField = 0;
    int commandFails = 0;            /* runCommand answers with an error */
    CSLIST own = {}, kind = {};      /* the recent-filter lists */
    int sharedList = 0;              /* one list serves both */

    void Install();
    void Uninstall();
    std::string LastStatus(int mode = -1) const;
};
extern Recorder *Rec;

/* A list dialog of a real definition with a location; its rows come from
 * replies through FillListArea. */
struct ListDialog {
    dlgtest::Dialog dlg;
    QMS location = {};
    explicit ListDialog(PCFCommandDef *def);
    ~ListDialog();
    DialogWords *d() { return dlg.get(); }
    /* The replies' rows become the dialog's list area (its current
       columns), as the window takes it over. */
    void Fill(const std::vector<dlgtest::Reply> &replies);
    void Fill(const dlgtest::Reply &reply) { Fill(std::vector<dlgtest::Reply>{ reply }); }
    PCFLISTAREA *Area() { return d()->first.replyArea; }
    std::vector<PCFROW *> Rows();
    /* The text of a row's value for an attribute ("-" when absent). */
    std::string Text(PCFROW *row, uint32_t attrId);
    int32_t Int(PCFROW *row, uint32_t attrId);
    uint8_t *Record(PCFROW *row, uint32_t attrId);
};

/* Queue replies: name, type and depth per queue (one reply). */
struct QueueRow {
    std::string name;
    int32_t type;
    int32_t depth;
    int32_t maxDepth = 5000;
};
dlgtest::Reply Queues(const std::vector<QueueRow> &rows);

/* Compiles a text for a dialog into its program (replacing it): "" or
 * the error text with its range in the outermost text. */
std::string Compile(DialogWords *d, const std::string &text, int *start = nullptr, int *end = nullptr);
/* Compiles without a definition (the Filter Manager's check). */
std::string Check(const std::string &text, const std::string &outerName = "", int *start = nullptr,
                  int *end = nullptr);
/* The list fill's protocol over the dialog's rows: each row's verdict
 * (1 shown, 0 hidden, -1 evaluation error) and, with column filters,
 * ColFilterMatch. */
std::vector<int> Fill(DialogWords *d, bool columnFilters = false);
/* The indexes of shown rows. */
std::vector<int> Shown(DialogWords *d, bool columnFilters = false);

/* A named filter in the local (or shared) list. */
void Named(const std::string &name, const std::string &text, bool local = true, bool shared = false);
void ClearNamed();

int64_t Blocks();
uint32_t Allocations();

/* Fixed local time: UTC plus an offset in seconds. */
void FixedZone(int32_t offset);

}  // namespace flttest
