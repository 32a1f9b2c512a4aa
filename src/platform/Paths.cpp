#include "platform/Paths.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {

namespace {

namespace fs = std::filesystem;

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c; }

bool equalIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

// The entry of `folder` whose name equals `name` without regard to ASCII
// case. Several may (on a case-sensitive file system); the first in byte
// order wins, so the answer does not depend on the directory's order.
std::optional<std::string> findIgnoringCase(const std::string& folder, const std::string& name)
{
    std::error_code ec;
    fs::directory_iterator it(folder.empty() ? fs::path(".") : fs::path(folder), ec);
    std::optional<std::string> best;
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalIgnoringCase(entry, name) && (!best || entry < *best)) best = std::move(entry);
    }
    return best;
}

}  // namespace

std::string resolvePath(const std::string& path)
{
    std::string slashed = path;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');

    std::vector<std::string> components;
    for (std::size_t start = 0; start <= slashed.size();) {
        const std::size_t end = std::min(slashed.find('/', start), slashed.size());
        if (end > start) components.push_back(slashed.substr(start, end - start));
        start = end + 1;
    }

    // `resolved` always ends with a slash once it holds anything, so a
    // component can be appended to it directly.
    std::string resolved = (!slashed.empty() && slashed.front() == '/') ? "/" : "";

    // A path that exists as written needs no search: every folder on the
    // way exists as written too, so the walk below would keep each name.
    // One look-up instead of one per name (a world names many files).
    std::string asWritten = resolved;
    for (std::size_t i = 0; i < components.size(); ++i) {
        asWritten += components[i];
        if (i + 1 < components.size() || slashed.back() == '/') asWritten += '/';
    }
    std::error_code missing;
    if (!components.empty() && fs::exists(asWritten, missing)) return asWritten;

    for (std::size_t i = 0; i < components.size(); ++i) {
        const std::string& component = components[i];
        std::error_code ec;
        if (component == "." || component == ".." || fs::exists(resolved + component, ec)) {
            resolved += component;
        } else if (auto match = findIgnoringCase(resolved, component)) {
            resolved += *match;
        } else {
            return slashed;
        }
        if (i + 1 < components.size() || slashed.back() == '/') resolved += '/';
    }
    return resolved;
}

std::string executableFolder(const std::string& argv0)
{
    std::error_code ec;
    if (argv0.find('/') != std::string::npos) {
        // "./game" gives "Bin/.", which normalises to "Bin/": no trailing slash.
        fs::path folder = fs::absolute(fs::path(argv0), ec).parent_path().lexically_normal();
        if (!folder.has_filename() && folder.has_parent_path()) folder = folder.parent_path();
        if (!ec) return folder.string();
    }
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) return self.parent_path().string();
    return fs::current_path(ec).string();
}

}  // namespace platform
