// Must not build: the batch is part of the engine, below its public header.
#include "engine/engine.h"
