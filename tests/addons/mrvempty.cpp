// A package that lists a unit but has no routines: it is loaded and registers nothing.
#include "plugins/addon.h"

MRV_PACKAGE_UNITS("MRVEmpty")
