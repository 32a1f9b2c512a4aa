#pragma once

#include <filesystem>

namespace tools {

// Works from another folder for its lifetime, as the game does from a
// world's own folder after "Run World", and goes back after.
class InFolder {
public:
    explicit InFolder(const std::filesystem::path& folder)
    {
        std::error_code ec;
        previous_ = std::filesystem::current_path(ec);
        if (!folder.empty()) std::filesystem::current_path(folder, ec);
    }
    ~InFolder()
    {
        std::error_code ec;
        if (!previous_.empty()) std::filesystem::current_path(previous_, ec);
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::filesystem::path previous_;
};

}  // namespace tools
