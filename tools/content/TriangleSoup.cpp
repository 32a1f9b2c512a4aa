#include "content/TriangleSoup.h"

#include "content/Random.h"

#include <cmath>

namespace tools {

std::vector<SourcePolygon> triangleSoup(std::size_t count)
{
    Random random(42);
    const double extent = 20.0 * std::cbrt(static_cast<double>(count));
    std::vector<SourcePolygon> soup;
    soup.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const Vector3 centre{random.uniform(-extent, extent), random.uniform(-extent, extent),
                             random.uniform(-extent, extent)};
        SourcePolygon p;
        for (int k = 0; k < 3; ++k) {
            p.corners.push_back(centre + Vector3{random.uniform(-2, 2), random.uniform(-2, 2),
                                                 random.uniform(-2, 2)});
        }
        soup.push_back(std::move(p));
    }
    return soup;
}

}  // namespace tools
