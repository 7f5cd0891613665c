/* Code pages, native half: the host offers no code pages here (conversion
 * runs on the program's own tables) and no text measurement. */
#include "cscpint.h"

int CSCpSysHas(int) { return 0; }
int CSCpSysDecode(int, unsigned char, uint16_t *) { return 0; }
int CSCpSysEncode(int, uint16_t, const char *, unsigned char *) { return 0; }

void *CSCpSysMeasureBegin(void *, void *, void *) { return nullptr; }
int CSCpSysTextWidth(void *, uint16_t) { return 0; }
void CSCpSysMeasureEnd(void *, void *, void *) {}
