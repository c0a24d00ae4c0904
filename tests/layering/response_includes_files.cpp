// Must not build: the load response works on a calculated lake, never on files.
#include "files/datafile.h"
