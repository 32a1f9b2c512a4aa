// Writes the courtyard model the import tests use (unit/ImportTestModels.h)
// as a glTF file, for the end-to-end test of an imported level and for the
// picture in the docs: `write_courtyard OUT.gltf [target]`, where "target"
// leaves only the drone to shoot at.
#include "unit/ImportTestModels.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3) {
        std::cerr << "usage: write_courtyard OUT.gltf [target]\n";
        return 2;
    }
    const bool everything = argc == 2 || std::string(argv[2]) != "target";
    std::ofstream out(argv[1], std::ios::binary);
    out << import_test::courtyard(everything);
    out.close();
    if (!out) {
        std::cerr << "write_courtyard: " << argv[1] << ": cannot be written\n";
        return 1;
    }
    return 0;
}
