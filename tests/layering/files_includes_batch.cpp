// Must not build: the data file builds on the model alone.
#include "batch/csv.h"
