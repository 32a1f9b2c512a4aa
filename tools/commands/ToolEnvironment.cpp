#include "commands/ToolEnvironment.h"

#include <chrono>
#include <thread>

namespace tools {

namespace {
std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

const auto started = std::chrono::steady_clock::now();
}  // namespace

void ConsolePlatform::showMessageBox(const std::string& caption, const std::string& text)
{
    ++messages_;
    // Message texts may start with a line break (the power-of-two warning).
    std::string body = text;
    while (!body.empty() && body.front() == '\n') body.erase(body.begin());
    out_ << trimmed(caption) << ": " << body << "\n";
}

std::uint64_t ConsolePlatform::milliseconds()
{
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now() - started)
                                          .count());
}

void ConsolePlatform::sleepUntil(std::uint64_t deadlineMs)
{
    const std::uint64_t now = milliseconds();
    if (deadlineMs > now) std::this_thread::sleep_for(std::chrono::milliseconds(deadlineMs - now));
}

ToolEnvironment::ToolEnvironment(std::ostream& messages) : platform_(messages)
{
    platform::install(&platform_);
    installTextureDevice(&device_);
}

ToolEnvironment::~ToolEnvironment()
{
    platform::install(nullptr);
    installTextureDevice(nullptr);
}

}  // namespace tools
