#include "entities/HeightField.h"
#include "textures/Texture.h"

#include <GL/gl.h>

namespace {

void emit(const Vertex& v, DrawMode mode)
{
    if (mode == DrawMode::textured) glTexCoord2d(v.u, v.v);
    glColor3d(v.r, v.g, v.b);
    glVertex3d(v.position.x, v.position.y, v.position.z);
}

}  // namespace

void HeightField::draw(DrawMode mode, const FrameContext&)
{
    if (mode == DrawMode::textured && texture) texture->bind();
    const int columns = grid.columns, rows = grid.rows;
    if (columns < 2 || rows < 2) return;
    const auto width = static_cast<std::size_t>(columns);
    const auto height = static_cast<std::size_t>(rows);
    const std::vector<Vertex>& vertices = grid.vertices;
    if (vertices.size() < width * height) return;
    for (std::size_t j = 0; j + 1 < height; ++j) {
        glBegin(GL_TRIANGLE_STRIP);
        for (std::size_t k = 0; k < width; ++k) {
            emit(vertices[j * width + k], mode);
            emit(vertices[(j + 1) * width + k], mode);
        }
        glEnd();
    }
}
