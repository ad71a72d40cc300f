#include "imaging/stroke_renderer.h"
