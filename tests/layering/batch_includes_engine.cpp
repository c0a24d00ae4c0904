// Must not build: the batch is part of the engine, below its public face.
#include "engine/json.h"
