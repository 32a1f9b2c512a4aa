#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace tools {

// Files written under temporary names, renamed into place together, and
// removed if anything fails before that: a failed command leaves nothing
// half-written under a final name.
class StagedFiles {
public:
    StagedFiles() = default;
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;
    ~StagedFiles();

    // False, with the file and the reason in `problem`, when the temporary
    // file cannot be written.
    bool stage(const std::filesystem::path& path, const char* data, std::size_t size,
               std::string& problem);

    // The last file staged is renamed last: a world appears only once its
    // textures are there.
    bool commit(std::string& problem);

private:
    struct Staged {
        std::filesystem::path temporary;
        std::filesystem::path path;
    };
    std::vector<Staged> staged_;
};

}  // namespace tools
