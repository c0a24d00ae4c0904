// Must not build: the arithmetic knows nothing of lakes.
#include "model/errors.h"
