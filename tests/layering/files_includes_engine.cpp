// Must not build: the data file is below the engine that reads it for the shells.
#include "engine/engine.h"
