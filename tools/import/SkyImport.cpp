#include "import/SkyImport.h"

#include "content/Canyon.h"
#include "import/EntityImport.h"
#include "import/TextureImport.h"
#include "worldfile/WorldWriter.h"

#include <array>
#include <filesystem>

namespace tools {

namespace {

namespace fs = std::filesystem;

// The skybox's faces in the order skyboxPolygons() gives them.
constexpr std::array<SkyFace, 6> faceOrder = {SkyFace::Front, SkyFace::Back, SkyFace::Left,
                                              SkyFace::Right, SkyFace::Up,   SkyFace::Down};

struct Convention {
    std::array<const char*, 6> names;  // in faceOrder
};

constexpr Convention conventions[] = {
    {{"nz", "pz", "nx", "px", "py", "ny"}},
    {{"front", "back", "left", "right", "top", "bottom"}},
};

const char* const extensions[] = {".png", ".jpg", ".jpeg", ".bmp", ".tga",
                                  ".PNG", ".JPG", ".JPEG", ".BMP", ".TGA"};

// "front", "up", ...: the face's word in the files' names.
std::string faceWord(SkyFace face)
{
    const std::string file = skyFaceFileName(face);  // skyFront.bmp
    std::string word = file.substr(3, file.size() - 7);
    word[0] = static_cast<char>(word[0] - 'A' + 'a');
    return word;
}

std::string existing(const std::string& stem)
{
    for (const char* extension : extensions) {
        std::error_code ec;
        if (fs::is_regular_file(stem + extension, ec)) return stem + extension;
    }
    return {};
}

// The six files of the most complete convention; `missing` names what it lacks.
std::array<std::string, 6> findFaces(const std::string& prefix, std::string& missing)
{
    std::array<std::string, 6> best;
    int bestFound = -1;
    for (const Convention& convention : conventions) {
        for (const char* separator : {"", "_", "-"}) {
            std::array<std::string, 6> files;
            int found = 0;
            std::string lacking;
            for (std::size_t i = 0; i < 6; ++i) {
                files[i] = existing(prefix + separator + convention.names[i]);
                if (!files[i].empty()) {
                    ++found;
                } else {
                    lacking += std::string(lacking.empty() ? "" : ", ") + prefix + separator +
                               convention.names[i];
                }
            }
            if (found > bestFound) {
                bestFound = found;
                best = files;
                missing = lacking;
            }
        }
    }
    return best;
}

}  // namespace

std::optional<ImportedSky> importSky(const std::string& prefix, const std::string& worldName,
                                     std::set<std::string>& taken,
                                     std::vector<std::string>& warnings, std::string& problem)
{
    ImportedSky sky;
    std::vector<DrawnPolygon> polygons = skyboxPolygons();
    const std::string stem = worldName + "-sky-";
    if (prefix.empty()) {
        for (std::size_t i = 0; i < faceOrder.size(); ++i) {
            const std::string name = uniqueFileName(stem + faceWord(faceOrder[i]), "bmp", taken);
            sky.files.push_back({name, encodeBmp24(skyTexture(faceOrder[i], 256))});
            polygons[i].texture = "..\\Textures\\" + name;
        }
        const std::string clouds = uniqueFileName(stem + "clouds", "tga", taken);
        sky.files.push_back({clouds, encodeTga32(cloudLayerTexture(256))});
        polygons[6].texture = "..\\Textures\\" + clouds;
        sky.source = "the default sky and clouds";
        sky.block = skyboxBlock(polygons);
        return sky;
    }

    std::string missing;
    const std::array<std::string, 6> files = findFaces(prefix, missing);
    if (!missing.empty()) {
        problem = prefix + ": no sky picture " + missing +
                  " (six are needed: px nx py ny pz nz, or right left top bottom front back, "
                  "each .png, .jpg, .bmp or .tga)";
        return std::nullopt;
    }
    polygons.resize(faceOrder.size());  // the builder's pictures carry their own clouds
    for (std::size_t i = 0; i < files.size(); ++i) {
        TextureSource source;
        source.description = files[i];
        source.file = files[i];
        std::optional<Image> image = decodeTexture(source, problem);
        if (!image) return std::nullopt;
        const int width = nearestPowerOfTwo(image->width),
                  height = nearestPowerOfTwo(image->height);
        if (width != image->width || height != image->height) {
            warnings.push_back(files[i] + ": sky picture of " + std::to_string(image->width) +
                               " x " + std::to_string(image->height) + " pixels resized to " +
                               std::to_string(width) + " x " + std::to_string(height) +
                               " (sides must be powers of two)");
            *image = resized(*image, width, height);
        }
        std::string extension;
        std::vector<std::uint8_t> bytes = encodeForEngine(*image, extension);
        const std::string name = uniqueFileName(stem + faceWord(faceOrder[i]), extension, taken);
        sky.files.push_back({name, std::move(bytes)});
        polygons[i].texture = "..\\Textures\\" + name;
        sky.source += (i ? ", " : "") + files[i];
    }
    sky.block = skyboxBlock(polygons);
    return sky;
}

}  // namespace tools
