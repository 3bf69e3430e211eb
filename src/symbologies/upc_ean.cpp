// UPC/EAN font characters, check digit and supplements (not yet written).
#include "symbologies/encoders.h"
