/* Inside the code-page conversion (private to this folder): the program's
 * own single-byte tables and the host half that reaches the system's
 * conversion and text measurement.  cscodepage_win.cpp holds the Windows
 * half, cscodepage_posix.cpp the native one (which has no system pages). */
#pragma once

#include <cstdint>

#define CSCP_NO_UNIT 0xFFFF   /* own table: byte not valid */

struct CSCodepageTable {
    int codepage;
    const uint16_t *units;    /* byte value -> UTF-16 unit */
};
/* Ends with a zero code page (cpebcdic_tables.cpp, generated). */
extern const CSCodepageTable CSOwnCodepages[];

/* One byte of a code page to one UTF-16 unit, by the route conversion
 * takes (system, else own table); 1 done, 0 not valid or not known. */
int CSCodepageDecodeByte(int codepage, unsigned char byte, uint16_t *unit);

/* 1 when the system converts this code page. */
int CSCpSysHas(int codepage);
/* One byte to one UTF-16 unit; 1 done, 0 failure. */
int CSCpSysDecode(int codepage, unsigned char byte, uint16_t *unit);
/* One UTF-16 unit to exactly one byte; 1 done, 0 failure or the default
 * character was used. */
int CSCpSysEncode(int codepage, uint16_t unit, const char *defaultChar,
                  unsigned char *byte);

/* Text measurement: a device context for the window (font selected) or
 * the given one; null when none can be had. */
void *CSCpSysMeasureBegin(void *window, void *font, void *dc);
/* Drawn width of one character, single line, no prefix processing. */
int CSCpSysTextWidth(void *dc, uint16_t unit);
void CSCpSysMeasureEnd(void *window, void *dc, void *givenDc);
