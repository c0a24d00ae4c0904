// Must not build: the samples engine builds on the batch, not the other way round.
#include "samples/samplerules.h"
