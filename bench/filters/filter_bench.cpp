/* A typical filter over 100,000 Queue List rows laid out by the list
 * fill, beside a hand-written C++ predicate over the same rows doing the
 * same work (an integer comparison, a wildcard name, an enumerated
 * keyword, a colour action and a sort key), in the same run; the two
 * must agree row by row.  Prints ns per row and the ratio.
 *   filter_bench [rows] [rounds] [filter] [--check]   (target: 3 x the
 *   hand-written predicate) */
#include "benchcheck.h"
#include "filters.h"
#include "mqi.h"
#include "qms.h"
#include "cs.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

static DialogWords Dialog;
static QMS Location;

static int TakeArea(void *, void *, uint32_t message, uintptr_t wParam, intptr_t lParam)
{
    if (message == UM_PCF_UPDATE_LIST)
        PCFTakeListArea(&Dialog, (PCFLISTREQ *)wParam, (PCFLISTAREA *)lParam);
    return 1;
}

static void Put(std::string &r, std::vector<int32_t> w) { r.append((const char *)w.data(), 4 * w.size()); }

static void PutString(std::string &r, int32_t id, const std::string &s)
{
    int32_t len = (int32_t)((20 + s.size() + 3) & ~3u);
    Put(r, { MQCFT_STRING, len, id, 0, (int32_t)s.size() });
    r += s;
    r.append((size_t)len - 20 - s.size(), '\0');
}

/* Replies of 1000 queues each: names APP.n or SYS.n, local or remote,
 * depths spread to 5000. */
static void FillRows(int rows)
{
    PCFHOOKS h = {};
    h.post = TakeArea;
    PCFSetHooks(&h);
    Dialog.first.sequence = 1;
    for (int base = 0; base < rows; base += 1000) {
        std::string r;
        int n = rows - base < 1000 ? rows - base : 1000;
        Put(r, { MQCFT_RESPONSE, 36, 1, MQCMD_INQUIRE_Q, 1, base + n >= rows ? MQCFC_LAST : 0, 0, 0, 0 });
        int32_t params = 0;
        for (int i = 0; i < n; i++) {
            int k = base + i;
            if (i) {
                Put(r, { MQCFT_INTEGER, 16, 301162, 0 });
                params++;
            }
            PutString(r, MQCA_Q_NAME, (k % 3 ? "APP." : "SYS.") + std::to_string(k));
            Put(r, { MQCFT_INTEGER, 16, MQIA_Q_TYPE, k % 5 ? MQQT_LOCAL : MQQT_REMOTE });
            Put(r, { MQCFT_INTEGER, 16, MQIA_CURRENT_Q_DEPTH, (k * 7919) % 5000 });
            Put(r, { MQCFT_INTEGER, 16, MQIA_DEFINITION_TYPE, 1 });
            params += 4;
        }
        memcpy(&r[32], &params, 4);
        FillListArea(&Dialog, &Location, &Dialog.first, (const uint8_t *)r.data(), (uint32_t)r.size(), 0);
    }
    PCFSetHooks(nullptr);
}

/* The filter's work written by hand: the records found by walking the
 * row, then the same tests, colour and key. */
static int ByHand(PCFLISTAREA *area, const PCFLISTENTRY *columns, PCFROW *row)
{
    row->flags &= FLTR_KEEP;
    const uint8_t *name = nullptr, *type = nullptr, *depth = nullptr;
    const uint8_t *rec = (const uint8_t *)row + PCFLA_ROWHEADER;
    for (int c = 0; c < area->columns; c++) {
        uint32_t id = columns[c].field->attrId;
        if (id == MQCA_Q_NAME)
            name = rec;
        else if (id == MQIA_Q_TYPE)
            type = rec;
        else if (id == MQIA_CURRENT_Q_DEPTH)
            depth = rec;
        rec = PCFNextValue((uint8_t *)rec, columns[c].field);
    }
    int32_t d;
    memcpy(&d, depth + PCFLV_INT, 4);
    int32_t t;
    memcpy(&t, type + PCFLV_INT, 4);
    if (d > 1000) {
        row->flags |= FLTR_BG;
        row->colours[FLTR_BACKCOLOUR] = 0xFF;
    }
    row->flags |= FLTR_KEY1;
    row->primaryKey = (uint32_t)(5000 - d);
    int len = PCFListLength(name);
    const char *s = (const char *)name + PCFLV_TEXT;
    int app = len >= 4 && !memcmp(s, "APP.", 4);
    return d > 100 && app && t == MQQT_LOCAL;
}

int main(int argc, char **argv)
{
    BenchTakeCheck(&argc, argv);
    int rows = (int)BenchCount(argc, argv, 1, 100000), rounds = (int)BenchCount(argc, argv, 2, 20);
    PCFInitCommandDefs();
    strcpy(Location.qmName, "QM1");
    Dialog.definition = &PCFQueueListDef;
    Dialog.window = &Dialog;
    Dialog.first.location = &Location;
    FillRows(rows);
    PCFLISTAREA *area = Dialog.first.replyArea;
    if (!area || (int)area->rows != rows) {
        printf("the list fill made %d rows\n", area ? (int)area->rows : -1);
        return 1;
    }
    const char *text = argc > 3 ? argv[3] : "bg(curdepth > 1000, red); sort(5000 - curdepth); "
                                            "curdepth > 100 & queue == 'APP.*' & type = local";
    char error[FLT_ERROR_SIZE];
    FLTREADER reader;
    FltReaderInit(&reader, text, -1, "", error);
    FilterProgram *prog = nullptr;
    if (PCFEvalParse(nullptr, &PCFQueueListDef, FltDialogContext(&Dialog), &prog, &reader)) {
        printf("compile: %s\n", error);
        return 1;
    }
    FltReaderFree(&reader);
    Dialog.filterProgram = prog;
    PCFLISTPARTS parts;
    PCFListAreaPointers(area, &parts);
    std::vector<PCFROW *> list;
    for (PCFROW *r = PCFFirstRow(area); r; r = PCFNextRow(area, r))
        list.push_back(r);
    std::vector<char> byFilter(list.size()), byHand(list.size());
    std::vector<uint32_t> flagsFilter(list.size()), flagsHand(list.size());
    double filterNs = 1e30, handNs = 1e30;
    for (int round = 0; round < rounds; round++) {
        auto t0 = std::chrono::steady_clock::now();
        PCFFilterFillBegin(&Dialog);
        PCFFilterFillArea(&Dialog, area);
        for (size_t i = 0; i < list.size(); i++) {
            byFilter[i] = (char)PCFFilterFillRow(&Dialog, list[i], (int)i, i + 1 == list.size());
            flagsFilter[i] = list[i]->flags ^ list[i]->primaryKey;
        }
        PCFFilterFillEnd(&Dialog);
        auto t1 = std::chrono::steady_clock::now();
        for (size_t i = 0; i < list.size(); i++) {
            byHand[i] = (char)ByHand(area, parts.columns, list[i]);
            flagsHand[i] = list[i]->flags ^ list[i]->primaryKey;
        }
        auto t2 = std::chrono::steady_clock::now();
        double f = std::chrono::duration<double, std::nano>(t1 - t0).count() / (double)list.size();
        double h = std::chrono::duration<double, std::nano>(t2 - t1).count() / (double)list.size();
        filterNs = f < filterNs ? f : filterNs;
        handNs = h < handNs ? h : handNs;
    }
    size_t shown = 0;
    for (size_t i = 0; i < list.size(); i++) {
        if (argc <= 3 && (byFilter[i] != byHand[i] || flagsFilter[i] != flagsHand[i])) {
            printf("row %zu differs: filter %d/%08x, by hand %d/%08x\n", i, byFilter[i], flagsFilter[i],
                   byHand[i], flagsHand[i]);
            return 1;
        }
        shown += byFilter[i] != 0;
    }
    printf("%d rows, %zu shown: filter %.1f ns/row, hand-written predicate %.1f ns/row, ratio %.2f\n", rows,
           shown, filterNs, handNs, filterNs / handNs);
    BenchTarget("filter over rows", filterNs / handNs, 3);
    PCFEvalFreeContext(&Dialog);
    PCFFilterFree(&Dialog);
    ReleaseRefBlock(&Dialog.first.replyArea);
    return BenchExit();
}
