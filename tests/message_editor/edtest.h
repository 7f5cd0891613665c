/* The editor pane without a window: a dialog instance with a location and
 * a message data area, a pane state on it, and a host that records what
 * the pane asks of its window (repaints, scrolls, status texts,
 * questions) and answers with settable keys and cell widths. */
#pragma once

#include "edpane.h"
#include "eddialog.h"
#include "eddialog.h"
#include "edops.h"
#include "edbytes.h"
#include "qms.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

struct EdRecorder {
    int shift = 0, control = 0, alt = 0;
    int cell = 8;                           /* pixels per character */
    std::vector<std::string> statuses;
    std::vector<std::string> questions;
    int answer = 1;
    std::vector<uint32_t> missing;          /* CCSIDs reported */
    int invalidations = 0, scrolls = 0, caretRecreated = 0;
    std::vector<std::pair<int, int>> checks, buttons;
    std::vector<int> commands;
};
extern EdRecorder *edRec;

struct EdFixture : ::testing::Test {
    EdRecorder rec;
    QMS *qms = nullptr;
    DialogWords d{};
    EdMessageArea area{};
    std::vector<unsigned char> block;
    PCFDATA *ed = nullptr;

    void SetUp() override;
    void TearDown() override;
    /* puts the message into the data area and reloads the pane (md may be empty) */
    void Load(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body);
    void Load(const Bytes &md, const Bytes &body) { Load(md.b, body.b); }
    /* window of visible lines and the pane's width in characters */
    void Size(int visible, int columns = 100);
    std::string Text(int32_t line);
    LINEDATA *Line(int32_t line) { return EdGetLine(ed, line); }
    /* the first line whose text holds the piece, -1 when none */
    int32_t Find(const char *piece);
    void Key(int vk, bool shift = false, bool control = false);
};

/* A descriptor of the format with CCSID and encoding, in this machine's order. */
Bytes EdDescriptor(const char *format, int32_t ccsid = 850, int32_t encoding = 546);
