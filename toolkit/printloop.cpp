/* The least page loop of printing (tkprint.h): measure once, then page
 * after page until the content is drawn, then release.  A page shows the
 * content's header lines (the list's titles) and then the next lines. */
#include "tkprint.h"

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
