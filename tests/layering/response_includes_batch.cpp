// Must not build: the load response is below the batch that adds its columns.
#include "batch/batchtable.h"
