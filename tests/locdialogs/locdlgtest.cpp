/* Helpers of the location-dialog tests: the hook recorder. */
#include "locdlgtest.h"

#include "dialogs.h"

namespace locdlgtest {

Recorder *Rec;

static void Call(const std::string &text) { Rec->calls.push_back(text); }

static int Post(void *, void *, uint32_t message, uintptr_t, intptr_t)
{
    Rec->posts.push_back(message);
    return 1;
}

static DialogWords *CommandDialog(void *, void *, DialogWords *templ, void (*done)(DialogWords *))
{
    Rec->lastDialog = templ;
    Rec->lastArea = templ->dataArea;
    Rec->done = done;
    Rec->opened = *templ;
    Rec->opened.window = (void *)0x5151;
    Call("commandDialog");
    return &Rec->opened;
}

void InstallHooks(Recorder *rec)
{
    Rec = rec;
    LOCDLGHOOKS h = {};
    h.post = Post;
    h.startPutThread = [](void *, QMS *r) { Call(std::string("start ") + r->qmName); };
    h.endPutThread = [](void *, QMS *r, int) { Call(std::string("end ") + r->qmName); };
    h.commandDialog = CommandDialog;
    h.focusWindow = [](void *, void *) { Call("focus"); };
    h.closeWindow = [](void *, void *) { Call("close"); };
    h.userIdDialog = [](void *, void *, QMS *) { Call("userIdDialog"); };
    h.deleteCredentials = [](void *, QMS *) { Call("deleteCredentials"); };
    h.kdbForget = [](void *, QMS *) { Call("kdbForget"); };
    h.splashShow = [](void *, QMS *) { Call("splash"); };
    h.showIniFile = [](void *, QMS *) { Call("ini"); };
    h.showErrorLog = [](void *, QMS *) { Call("errorlog"); };
    h.repaint = [](void *, uint32_t mask) { Rec->repaints.push_back(mask); };
    h.setDlgColours = [](void *, void *) { Call("colours"); };
    h.addModeless = [](void *, void *, int, uintptr_t, uintptr_t) { Call("addModeless"); };
    h.removeModeless = [](void *, void *) { Call("removeModeless"); };
    h.configChanged = [](void *) { Call("configChanged"); };
    LocDlgSetHooks(&h);
}

}  // namespace locdlgtest
