/* The shell's services as the transfer window tests need them: of the
 * location commands of DoAction only the transfer windows' (641 put, 747
 * publish, 731 load/unload), for the given location.  (The program's own
 * is the shell's, which brings every part of the program; the modeless
 * list is the configuration's own.) */
#include "wndtest.h"

struct DialogWords;

DialogWords *DoAction(HWND, QMS *location, void *, int id)
{
    switch (id) {
    case IDM_PUT_MESSAGE:
        PutDialog(location, nullptr);
        break;
    case IDM_PUBLISH:
        PublishDialog(location, nullptr, nullptr);
        break;
    case IDM_LOAD_UNLOAD:
        DraskDialog(location, nullptr);
        break;
    }
    return nullptr;
}
