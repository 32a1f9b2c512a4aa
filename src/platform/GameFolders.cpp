#include "platform/GameFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

// The build passes the version and the share folder's place from the CMake
// project (CMakeLists.txt), so the programs, their installed layout and the
// package cannot disagree.
#if !defined(ARROYO_VERSION) || !defined(ARROYO_CONTENT_FROM_PROGRAM)
#error "ARROYO_VERSION and ARROYO_CONTENT_FROM_PROGRAM come from CMakeLists.txt"
#endif

namespace platform {

namespace fs = std::filesystem;

const char* const applicationVersion = ARROYO_VERSION;
const char* const installedContentFromProgram = ARROYO_CONTENT_FROM_PROGRAM;

namespace {

std::optional<std::string> readSmallFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A variable that is set to an absolute path; XDG says relative values are
// to be ignored.
std::optional<std::string> absoluteVariable(const EnvironmentLookup& environment,
                                            const std::string& name)
{
    std::optional<std::string> value = environment(name);
    if (!value || value->empty() || value->front() != '/') return std::nullopt;
    return value;
}

std::string joined(const std::string& folder, const std::string& name)
{
    return (fs::path(folder) / name).lexically_normal().string();
}

}  // namespace

std::optional<std::string> processEnvironment(const std::string& name)
{
    const char* value = std::getenv(name.c_str());
    if (!value) return std::nullopt;
    return std::string(value);
}

std::string programFolder()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return self.parent_path().string();
}

std::string homeFolder(const EnvironmentLookup& environment)
{
    if (std::optional<std::string> home = environment("HOME"); home && !home->empty()) {
        return *home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
    return "/";
}

std::string userDataHome(const EnvironmentLookup& environment)
{
    if (std::optional<std::string> data = absoluteVariable(environment, "XDG_DATA_HOME")) {
        return *data;
    }
    return joined(homeFolder(environment), ".local/share");
}

std::optional<std::string> userDirFromFile(const std::string& fileText, const std::string& key,
                                           const std::string& home)
{
    std::istringstream lines(fileText);
    std::string line;
    std::optional<std::string> found;
    while (std::getline(lines, line)) {
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        if (line.compare(start, key.size() + 1, key + "=") != 0) continue;
        std::string value = line.substr(start + key.size() + 1);
        const std::size_t end = value.find_last_not_of(" \t\r");
        value.erase(end == std::string::npos ? 0 : end + 1);
        // The value is quoted; inside, "$HOME" may only begin it.
        if (value.size() < 2 || value.front() != '"' || value.back() != '"') continue;
        value = value.substr(1, value.size() - 2);
        if (value == "$HOME") {
            found = home;
        } else if (value.rfind("$HOME/", 0) == 0) {
            found = joined(home, value.substr(6));
        } else if (!value.empty() && value.front() == '/') {
            found = value;
        }
        // The last assignment wins, as when a shell reads the file.
    }
    return found;
}

std::string userPicturesFolder(const EnvironmentLookup& environment)
{
    if (std::optional<std::string> pictures = absoluteVariable(environment, "XDG_PICTURES_DIR")) {
        return *pictures;
    }
    const std::string home = homeFolder(environment);
    std::string config = joined(home, ".config");
    if (std::optional<std::string> set = absoluteVariable(environment, "XDG_CONFIG_HOME")) {
        config = *set;
    }
    if (std::optional<std::string> text = readSmallFile(joined(config, "user-dirs.dirs"))) {
        if (std::optional<std::string> pictures =
                userDirFromFile(*text, "XDG_PICTURES_DIR", home)) {
            return *pictures;
        }
    }
    return joined(home, "Pictures");
}

std::optional<InstalledFolders> installedFolders(const std::string& programFolder,
                                                 const EnvironmentLookup& environment,
                                                 const std::string& relative)
{
    if (programFolder.empty()) return std::nullopt;
    std::error_code ec;
    const fs::path content = (fs::path(programFolder) / relative).lexically_normal();
    if (!fs::is_directory(content, ec)) return std::nullopt;
    InstalledFolders folders;
    folders.content = content.string();
    if (!folders.content.empty() && folders.content.back() == '/') folders.content.pop_back();
    folders.screenshots = joined(userPicturesFolder(environment), applicationName);
    folders.userData = joined(userDataHome(environment), applicationName);
    return folders;
}

std::string withHomeAsTilde(const std::string& path, const EnvironmentLookup& environment)
{
    std::string home = homeFolder(environment);
    while (home.size() > 1 && home.back() == '/') home.pop_back();
    if (home.size() <= 1) return path;
    if (path == home) return "~";
    if (path.rfind(home + "/", 0) == 0) return "~" + path.substr(home.size());
    return path;
}

}  // namespace platform
