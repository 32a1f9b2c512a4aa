#pragma once

// The passes a frame draws the world in.
enum class DrawMode {
    textured,      // the ordinary pass
    untextured,    // texturing switched off (T)
    cloudShadows,  // the cloud-shadow layer over upward-facing and vertical faces
};
