// Must not build: the lake model uses nothing of ours.
#include "files/datafile.h"
