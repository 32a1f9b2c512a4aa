#pragma once

// The ambient colour from which dynamic lighting starts.
struct AmbientLight {
    double red = 1.0;
    double green = 1.0;
    double blue = 1.0;
};
