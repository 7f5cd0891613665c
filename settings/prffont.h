/* The font value record every profile font takes. */
#pragma once

#include <cstdint>

/* Font value record (the shape used by every profile font). */
struct PRFFONT {
    char face[36];
    char style[20];
    int32_t height;
    int32_t pointSize;
    int16_t charSet;
    uint8_t underline;
    uint8_t strikeout;
    int32_t spare;
    uint32_t colour;
};
