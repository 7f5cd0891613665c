/* The pane's side of user formats: what the chooser of a message's
 * structure reads of a pane (its descriptor, data and queue, and whether
 * the dialog fixed the body's view), installed by the program
 * (WireLibraries). */
#include "edpane.h"
#include "eddialog.h"
#include "userfmt.h"

static int PaneView(void *, PCFDATA *ed, UFPaneView *v)
{
    v->md = ed->descriptor.data;
    v->mdLength = ed->descriptor.length;
    v->data = ed->data.data;
    v->length = ed->data.length;
    v->queue = ed->queueName;
    v->queueLength = ed->queueNameLength;
    /* a body kind the user chose (922-930) keeps "Message Content" */
    v->fixedView = ed->dialog ? ed->dialog->bodyKind : 0;
    return 1;
}

void EdUseUserFormats(void)
{
    UFSetPaneView(PaneView, nullptr);
}
