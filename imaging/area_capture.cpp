#include "imaging/area_capture.h"
