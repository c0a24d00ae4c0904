// Must not build: the report builds on the model alone, without windows.
#include "ui/dialogs.h"
