/* What every test of the stand-in's queue managers needs, with or without
 * GoogleTest: a fresh home folder for its queue managers and blank-padded
 * MQ name fields. */
#pragma once

#include <cstddef>
#include <string>

/* Makes a new home folder, points RAVOLT_MQSIM_HOME at it and returns it. */
std::string SimTestHome(void);
void SimTestSetEnv(const char *name, const char *value);
/* The text in a fixed field, blank-padded (cut to the field). */
void SimFill(char *field, size_t size, const char *text);
