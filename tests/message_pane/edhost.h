/* The program's Message dialog holding the editor pane, for the pane's
 * window tests: opened by the command dialog's open path on a location,
 * with its status line, count window, menus and tool bar; messages go
 * into its data area as reply processing leaves them. */
#pragma once

#include <windows.h>
#include "edwnd.h"
#include "eddialog.h"
#include "message_editor/edbytes.h"
#include "qms.h"
#include <string>
#include <vector>

struct EdHostDialog {
    HWND window = nullptr, pane = nullptr, status = nullptr, count = nullptr, toolbar = nullptr;
    HMENU menu = nullptr;
    HACCEL accelerators = nullptr;
    DialogWords *d = nullptr;
    QMS *qms = nullptr;
    PCFDATA *ed = nullptr;
    uint16_t lineGap = 0;
    uint32_t viewOptions = 0;

    /* a shown dialog of the client size; the pane gets the focus */
    bool Create(int width = 900, int height = 600, const char *title = "Message");
    void Destroy();
    /* the message into the data area and 10004 with bit 0 to the pane */
    void Load(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body);
    /* the message into the data area only */
    void Fill(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body);
    void Load(const Bytes &md, const Bytes &body) { Load(md.b, body.b); }
    void Command(int id);
    /* a key through the message loop with the view accelerators */
    void AccelKey(WPARAM vk, bool shift, bool control);
    std::string StatusText();
    /* the pane's row of a line (client y of its middle) and x of a column */
    int RowY(int32_t line);
    int ColumnX(int32_t column);
};

/* Runs the thread's messages through the dialog's accelerators. */
void PumpWith(EdHostDialog *host);

/* One dialog for all the window tests of the process (closing a
 * top-level window costs Wine two seconds): made on first use, its
 * dialog words, view words, body kind and selection reset for each test. */
EdHostDialog &SharedHost(void);
void ResetHost(EdHostDialog &host);
