/* Escape as Cancel: the key pressed anywhere in a top-level window that
 * has a Cancel or Close button (control id IDCANCEL among its own
 * children) clicks that button; a dialog of the engine made to close on
 * Escape closes.  A combo box with its list dropped down keeps the key to
 * close its list. */
#include "tkwin.h"
#include "dd.h"

int WinDroppedCombo(HWND focus)
{
    char cls[32];
    for (HWND w = focus; w; w = GetParent(w)) {
        if (GetClassNameA(w, cls, sizeof cls) && !lstrcmpiA(cls, "ComboBox"))
            return SendMessageA(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
        if (!(GetWindowLongA(w, GWL_STYLE) & WS_CHILD))
            break;
    }
    return 0;
}

/* The window's own Cancel or Close button, when it can be pressed. */
static HWND CancelButton(HWND root)
{
    HWND b = GetDlgItem(root, IDCANCEL);
    char cls[16];
    if (!b || GetParent(b) != root || !GetClassNameA(b, cls, sizeof cls) || lstrcmpiA(cls, "Button") ||
        !IsWindowVisible(b) || !IsWindowEnabled(b))
        return nullptr;
    return b;
}

int WinEscapeCancels(const MSG *msg)
{
    if (msg->message != WM_KEYDOWN || msg->wParam != VK_ESCAPE || !msg->hwnd)
        return 0;
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (!root || WinDroppedCombo(GetFocus()))
        return 0;
    if (HWND cancel = CancelButton(root)) {
        PostMessageA(root, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), (LPARAM)cancel);
        return 1;
    }
    DDHANDLE dd = DDFindHandle(root);
    if (dd && (dd->flags & DDC_ESCAPECLOSES)) {
        PostMessageA(root, WM_CLOSE, 0, 0);
        return 1;
    }
    return 0;
}
