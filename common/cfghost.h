/* The configuration file's place and the host's file steps every writer
 * of a configuration-like file uses: flushing a written file to the disk
 * and putting a new file in the place of the old one in one step. */
#pragma once

#include <cstdio>

extern char ConfigFile[300];           /* full path of the file */
extern char ConfigPath[300];           /* the configuration directory */

/* Flushes a written file to the disk (0 on success), and puts `from` in
 * the place of `to` in one step, replacing it (0 on success, else the
 * system error). */
int CfgHostFlush(FILE *file);
int CfgHostReplace(const char *from, const char *to);
