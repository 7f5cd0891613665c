/* Printing a window (tkprint.h): the print dialog, the document on the
 * printer, and the least page loop: measure once, then page after page
 * until the content is drawn, then release.  A page shows the content's
 * header lines (the list's titles) and then the next lines. */
#include "tkprint.h"

#include <commdlg.h>
#include <cderr.h>
#include <winspool.h>
#include <cstdio>

int TkPrintPages(HWND window, HDC device, const RECT *area, double scale,
                 int (*startPage)(void *ctx, int page), void (*endPage)(void *ctx), void *ctx)
{
    TkPrintContext pc = {};
    pc.device = device;
    pc.scale = scale > 0 ? scale : 1;
    pc.left = area->left;
    pc.top = area->top;
    pc.right = area->right;
    pc.bottom = area->bottom;
    SendMessageA(window, UM_PRINT_MEASURE, 0, (LPARAM)&pc);
    int pages = 0;
    int32_t lines = pc.lineHeight > 0 ? (pc.bottom - pc.top) / pc.lineHeight : 0;
    int32_t totalLines = pc.lineHeight > 0 ? pc.contentHeight / pc.lineHeight : 0;
    int32_t step = lines - pc.headerLines, body = totalLines - 2 * pc.headerLines;
    if (step >= 1 && totalLines > 0) {
        for (pc.first = 0; pc.first == 0 || pc.first < body; pc.first += step) {
            if (startPage && !startPage(ctx, pages + 1))
                break;
            SendMessageA(window, UM_PRINT_PAGE, 0, (LPARAM)&pc);
            if (endPage)
                endPage(ctx);
            pages++;
        }
    }
    SendMessageA(window, UM_PRINT_RELEASE, 0, (LPARAM)&pc.state);
    return pages;
}

static int StartOne(void *dc, int)
{
    return StartPage((HDC)dc) > 0;
}

static void EndOne(void *dc)
{
    EndPage((HDC)dc);
}

/* Whether the system knows any printer (the print dialog has none to
 * offer otherwise). */
static int AnyPrinter(void)
{
    DWORD needed = 0, count = 0;
    EnumPrintersA(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 4, nullptr, 0, &needed, &count);
    return needed > 0;
}

int TkPrintWindow(HWND owner, HWND window, const char *document, char *error, size_t size)
{
    if (!AnyPrinter()) {
        snprintf(error, size, "No printer is installed");
        return -1;
    }
    PRINTDLGA pd = {};
    pd.lStructSize = sizeof pd;
    pd.hwndOwner = owner;
    pd.Flags = PD_RETURNDC | PD_NOSELECTION | PD_NOPAGENUMS | PD_USEDEVMODECOPIESANDCOLLATE;
    BOOL chosen = PrintDlgA(&pd);
    if (pd.hDevMode)
        GlobalFree(pd.hDevMode);
    if (pd.hDevNames)
        GlobalFree(pd.hDevNames);
    if (!chosen) {
        DWORD why = CommDlgExtendedError();
        if (!why)
            return 0;
        if (why == PDERR_NODEFAULTPRN)
            snprintf(error, size, "No printer is installed");
        else
            snprintf(error, size, "The print dialog failed (%lu)", (unsigned long)why);
        return -1;
    }
    HDC dc = pd.hDC;
    DOCINFOA doc = {};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = document;
    if (!dc || StartDocA(dc, &doc) <= 0) {
        snprintf(error, size, "The printer did not take the document (%lu)", (unsigned long)GetLastError());
        if (dc)
            DeleteDC(dc);
        return -1;
    }
    int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    RECT area = { dpiX / 2, dpiY / 2, GetDeviceCaps(dc, HORZRES) - dpiX / 2, GetDeviceCaps(dc, VERTRES) - dpiY / 2 };
    HDC screen = GetDC(nullptr);
    int screenDpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    int pages = TkPrintPages(window, dc, &area, screenDpi > 0 ? (double)dpiY / screenDpi : 1.0, StartOne, EndOne, dc);
    if (pages > 0)
        EndDoc(dc);
    else
        AbortDoc(dc);
    DeleteDC(dc);
    return pages;
}
