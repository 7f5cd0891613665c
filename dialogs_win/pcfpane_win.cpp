/* The message editor pane of a message dialog, from the dialog's side:
 * the pane's window code as the program installs it, the editing
 * commands handed to it, its browse-state bits for the menu state, the
 * line-number gutter, and the edited message the command engine puts or
 * updates. */
#include "pcfwin.h"

#include "edops.h"
#include "edstruct.h"
#include "command.h"
#include "tkwin.h"

static PCFPANEHOOKS Pane;

void PCFSetPaneHooks(const PCFPANEHOOKS *hooks)
{
    Pane = hooks ? *hooks : PCFPANEHOOKS{};
}

const PCFPANEHOOKS *PCFPaneHooks(void)
{
    return &Pane;
}

/* Without the pane's window code there is no class to register; a
 * message dialog then cannot be made, and the user is told. */
int PCFPaneRegisterClass(HINSTANCE instance)
{
    return Pane.registerClass ? Pane.registerClass(Pane.context, instance) : 1;
}

HWND PCFPaneCreateWindow(DialogWords *d, HWND parent, PCFDATA *ed)
{
    if (!Pane.createWindow) {
        WinOpError("The message editor is not available in this build");
        return nullptr;
    }
    return Pane.createWindow(Pane.context, d, parent, ed);
}

void PCFPaneCopyView(DialogWords *d, int32_t menuId)
{
    if (Pane.copyView)
        Pane.copyView(Pane.context, d, menuId);
    else
        PCFDialogStatus(d, "Copying the message view is not available in this build", nullptr, 5);
}

/* A message dialog's menu bar: its structure sub-menus, filled as the
 * menu (or the context menu lending its sub-menus) is about to show. */
void PCFPaneStructMenus(DialogWords *d)
{
    if (Pane.structMenus && d && d->editor && d->menu)
        Pane.structMenus(Pane.context, d, (HMENU)d->menu);
}

/* The bytes a saved copy of the loaded message holds (0 without one). */
static uint32_t SavedLength(const void *copy)
{
    return copy ? ((const PCFMSGBUF *)copy)->length : 0;
}

/* 1 when the pane shows a message (or had one loaded that its edits
 * emptied); a pane that let its message go keeps an empty saved copy. */
static int ShowsMessage(const PCFDATA *ed)
{
    return ed->descriptor.length || ed->data.length || SavedLength(ed->savedDescriptor) ||
           SavedLength(ed->savedData);
}

int PCFEditorBrowseBits(DialogWords *d)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed || !ShowsMessage(ed))
        return -1;
    int bits = 0;
    if (EdCanUndo(ed))
        bits |= 0x1;
    if (EdCanRedo(ed))
        bits |= 0x2;
    if (EdHasSelection(ed))
        bits |= 0x8;
    if (ed->mark.buffer)
        bits |= 0x20;
    /* the cursor's line: an XML tag (0x40), and a comment's (0x80) */
    const LINEDATA *l = EdCachedLine(ed, ed->cursor.line);
    if (l && (l->lineFlags & LF_XML_TAG) && l->element && l->element->tag != FMT_NO_TAG) {
        bits |= 0x40;
        if (l->lineFlags & LF_XML_SPECIAL)
            bits |= 0x80;
    }
    return bits;
}

int PCFEditorCommand(DialogWords *d, int32_t command)
{
    if (!d || !d->editor)
        return 0;
    int taken = Pane.command ? Pane.command(Pane.context, d, command) : 0;
    PCFUpdateBrowseState(d, 1);
    return taken;
}

/* The gutter follows the view option; the lines are drawn again. */
void PCFEditorLineNumbers(DialogWords *d)
{
    if (!d || !d->editor)
        return;
    SetLineNumberWidth(d->editor);
    if (d->dataWindow)
        InvalidateRect(PCFWnd(d->dataWindow), nullptr, FALSE);
}

/* The engine's view of the edited message: the pane's bytes and the
 * copies kept when the message was loaded. */
static int EditedMessage(void *, DialogWords *d, CMDMESSAGE *out)
{
    PCFDATA *ed = d ? d->editor : nullptr;
    if (!ed)
        return 0;
    if (ed->typing && PCFOnUiThread())
        EdSetPending(ed, 0);         /* what is typed belongs to the message */
    if (PCFOnUiThread())
        EdNoteSent(ed);              /* what a request takes is what it puts */
    static const uint8_t none = 0;         /* an empty message is still the pane's */
    out->md = ed->descriptor.data ? ed->descriptor.data : &none;
    out->mdLength = ed->descriptor.length;
    out->data = ed->data.data ? ed->data.data : &none;
    out->dataLength = ed->data.length;
    if (const PCFMSGBUF *saved = (const PCFMSGBUF *)ed->savedDescriptor) {
        out->savedMd = (const uint8_t *)(saved + 1);
        out->savedMdLength = saved->length;
    }
    out->dataCopy = &ed->savedData;
    out->mdCopy = &ed->savedDescriptor;
    return 1;
}

/* 1 when the user keeps the pane's unsaved edits. */
static int DiscardEdits(void *, DialogWords *d)
{
    return ConfirmDiscardEdits(d);
}

static void FormatName(void *, DialogWords *d)
{
    EdSetFormatName(d);
}

static void MessageFormat(void *, DialogWords *d)
{
    EdSetMessageFormat(d);
}

static void GenericFormat(void *, DialogWords *d, const char *format)
{
    EdSetGenericFormat(d, format, 0, 0);
}

/* 1 when the pane could not format the message it holds. */
static int NotFormatting(void *, DialogWords *d)
{
    return d && d->editor && d->editor->noFormat;
}

void PCFEditorHooks(CMDHOOKS *h)
{
    h->discardEdits = DiscardEdits;
    h->formatName = FormatName;
    h->messageFormat = MessageFormat;
    h->genericFormat = GenericFormat;
    h->notFormatting = NotFormatting;
    h->editedMessage = EditedMessage;
}
