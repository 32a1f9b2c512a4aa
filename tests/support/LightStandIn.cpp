// Until the light's own source is in the engine, tests and benchmarks build
// lights with this stand-in for its drawing: the dynamic lighting reads only
// the class's fields. The build defines ENGINE_LIGHT_STAND_IN only while no
// src/entities/Light*.cpp exists.
#ifdef ENGINE_LIGHT_STAND_IN
#include "entities/Light.h"

void Light::draw(int, const FrameContext&) {}
#endif
