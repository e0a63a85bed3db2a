#pragma once
// The vector helpers and the random helpers in one place for 3D and particle code.
#include "core/random.h"
#include "resources/vector_math.h"
