// Must not build: the batch engine builds on the model and the data file alone.
#include "print/reporttexts.h"
