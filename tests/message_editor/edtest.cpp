/* The window-free editor fixture: a recording host and a dialog with a
 * location and data area (see edtest.h). */
#include "edtest.h"
#include "csmem.h"
#include "prfdata.h"
#include <cstdio>
#include <cstdlib>

EdRecorder *edRec;

static int RecKey(int key)
{
    return key == ED_KEY_SHIFT ? edRec->shift : key == ED_KEY_CONTROL ? edRec->control
           : key == ED_KEY_MENU ? edRec->alt : 0;
}
static void RecInvalidate(PCFDATA *, int32_t, int32_t) { edRec->invalidations++; }
/* the toolkit's go-to request: the least scroll that shows the line */
static void RecScrollTo(PCFDATA *ed, int32_t line)
{
    edRec->scrolls++;
    int32_t top = ed->scroll.top, page = ed->scroll.visible ? ed->scroll.visible : 1;
    if (line < top)
        EdSetTop(ed, line);
    else if (line >= top + page)
        EdSetTop(ed, line - page + 1);
}
static void NoPane(PCFDATA *) {}
static void RecCaret(PCFDATA *) { edRec->caretRecreated++; }
static int RecCell(PCFDATA *, uint32_t) { return edRec->cell; }
static void RecStatus(DialogWords *, const char *text, int) { edRec->statuses.push_back(text); }
static void NoDialog(DialogWords *) {}
static int RecConfirm(DialogWords *, const char *q, uint32_t *, uint32_t)
{
    edRec->questions.push_back(q);
    return edRec->answer;
}
static void RecMissing(PCFDATA *, uint32_t ccsid) { edRec->missing.push_back(ccsid); }
static void NoCaption(PCFDATA *, const char *) {}
static void RecCommand(DialogWords *, int id) { edRec->commands.push_back(id); }
static void NoPost(DialogWords *, uintptr_t, intptr_t) {}
static void RecCheck(DialogWords *, int id, int on) { edRec->checks.push_back({id, on}); }
static void RecButton(DialogWords *, int id, int on) { edRec->buttons.push_back({id, on}); }
static void NoSound(void) {}

void EdFixture::SetUp()
{
    edRec = &rec;
    edHost = EdHost{ RecKey, RecInvalidate, RecScrollTo, NoPane, NoPane, RecCaret, RecCell,
                     RecStatus, NoDialog, NoDialog, RecConfirm, RecMissing, NoCaption, RecCommand,
                     NoPost, RecCheck, RecButton, NoDialog, NoSound, nullptr };
    EdTestDialog(&d, &qms, &area);
    ed = EdCreatePane(&d);
    ASSERT_NE(ed, nullptr);
    Size(40);
}

void EdFixture::TearDown()
{
    EdFreePane(ed);
    free(qms);
    EdHostDefaults(&edHost);
    edRec = nullptr;
}

void EdFixture::Load(const std::vector<unsigned char> &md, const std::vector<unsigned char> &body)
{
    FillMessageArea(&area, &block, md, body);
    EdReload(ed);
    EdBuildLineData(ed, 1);
}

void EdFixture::Size(int visible, int columns)
{
    ed->scroll.visible = (uint16_t)visible;
    ed->width = columns * rec.cell;
    ed->height = visible * 16;
}

std::string EdFixture::Text(int32_t line)
{
    LINEDATA *l = EdGetLine(ed, line);
    return l && l->text ? std::string(l->text, l->textLength) : std::string("<none>");
}

int32_t EdFixture::Find(const char *piece)
{
    return EdFindLine(ed, piece);
}

void EdFixture::Key(int vk, bool shift, bool control)
{
    rec.shift = shift;
    rec.control = control;
    EdKeyDown(ed, vk);
    rec.shift = rec.control = 0;
}

Bytes EdDescriptor(const char *format, int32_t ccsid, int32_t encoding)
{
    Bytes md = BuildMD(true, 2, format, encoding, ccsid);
    return md;
}

