/* Colour arithmetic behind the colour schemes: shading and blending. */
#include "tklogic.h"

/* one channel of a shade */
static int shade_channel(int c, float percent, int sum)
{
    int v;
    if (percent == 1.0f)
        v = c + 150;
    else if (percent == -1.0f)
        v = c - 80;
    else if (percent == -2.0f)
        v = sum < 385 ? c + 150 : c - 80;
    else if (percent > 0)
        v = c + (int)((255 - c) * percent / 100);
    else
        v = c - (int)(c * -percent / 100);
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

uint32_t WinShadeColour(uint32_t colour, float percent)
{
    int r = TK_R(colour), g = TK_G(colour), b = TK_B(colour);
    int sum = r + g + b;
    return TK_RGB(shade_channel(r, percent, sum), shade_channel(g, percent, sum),
                  shade_channel(b, percent, sum));
}

/* one channel of a blend */
static int blend_channel(int a, int b, float p)
{
    int v = (int)(a * p / 100 + b * (100 - p) / 100 + 0.5f);
    return v < 0 ? 0 : v > 255 ? 255 : v;
}

uint32_t WinBlendColour(uint32_t a, uint32_t b, float percent)
{
    return TK_RGB(blend_channel(TK_R(a), TK_R(b), percent), blend_channel(TK_G(a), TK_G(b), percent),
                  blend_channel(TK_B(a), TK_B(b), percent));
}
