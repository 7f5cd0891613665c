/* The one place where the libraries are bound to each other: every hook
 * by which a lower library reaches a higher one is installed here, by the
 * program at start-up and by the tests that need the whole program's
 * behaviour. */
#ifndef RAVOLT_WIRELIBS_H
#define RAVOLT_WIRELIBS_H

/* Installs the hooks that need nothing of the shell (both builds; in the
 * Windows build also those between window libraries). */
void WireLibraries(void);

#endif
