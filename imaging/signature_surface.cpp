#include "imaging/signature_surface.h"
