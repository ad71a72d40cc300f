#include "imaging/bmp_layout.h"
