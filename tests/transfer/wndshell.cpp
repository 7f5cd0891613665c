/* The shell's services as the transfer window tests need them: of the
 * location commands of DoAction only the transfer windows' (641 put, 747
 * publish, 731 load/unload), for the given location, and a modeless list
 * that only keeps its windows.  (The program's own are the shell's, which
 * bring the command dialog's windows and every part of the program; these
 * tests run the message editor's pane, which stands in for them.) */
#include "xferwnd.h"

#include <algorithm>
#include <vector>

struct DialogWords;

enum { IDM_PUT = 641, IDM_PUBLISH = 747, IDM_DRASK = 731 };

DialogWords *DoAction(HWND, QMS *location, void *, int id)
{
    switch (id) {
    case IDM_PUT:
        PutDialog(location, nullptr);
        break;
    case IDM_PUBLISH:
        PublishDialog(location, nullptr, nullptr);
        break;
    case IDM_DRASK:
        DraskDialog(location, nullptr);
        break;
    }
    return nullptr;
}

static std::vector<void *> modeless;

int AddModeless(void *window, int, void *, void *)
{
    modeless.push_back(window);
    return 0;
}

void UtilRemoveModeless(void *window)
{
    modeless.erase(std::remove(modeless.begin(), modeless.end(), window), modeless.end());
}
