// Must not build: the lake model knows nothing of the load response built on it.
#include "response/loadresponse.h"
