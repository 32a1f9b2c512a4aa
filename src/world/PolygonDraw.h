#pragma once

#include "geometry/BspNode.h"
#include "geometry/Polygon.h"
#include "world/DrawMode.h"

// Draws one GL_POLYGON: textured, untextured, or in the cloud-shadow pass
// (downward-facing polygons skipped).
void drawPolygon(const Polygon& polygon, DrawMode drawMode);

// The BSP debug view: every node's polygons in their debug colour (the
// split lines of degenerate ones in white), the whole tree under `node`.
void drawDebug(const BspNode& node);
