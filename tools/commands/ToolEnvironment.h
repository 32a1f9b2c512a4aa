#pragma once

#include "platform/Platform.h"
#include "textures/TextureDevice.h"

#include <ostream>

namespace tools {

// What the engine's loaders need around them when a tool runs them: a
// platform that prints messages instead of opening boxes, and a texture
// device that hands out names without a GL context.
class ConsolePlatform : public platform::Platform {
public:
    explicit ConsolePlatform(std::ostream& out) : out_(out) {}
    void showMessageBox(const std::string& caption, const std::string& text) override;
    std::optional<std::string> chooseFile(const std::string&, const std::string&) override
    {
        return std::nullopt;
    }
    std::uint64_t milliseconds() override;
    void sleepUntil(std::uint64_t deadlineMs) override;
    void setCursorVisible(bool) override {}
    void warpCursor(int, int) override {}
    platform::CursorPosition cursorPosition() override { return {}; }
    bool isModifierDown(platform::ModifierKey) override { return false; }
    std::uint64_t inputInterruptions() override { return 0; }

    int messageCount() const { return messages_; }

private:
    std::ostream& out_;
    int messages_ = 0;
};

class NullTextureDevice : public TextureDevice {
public:
    unsigned generateName() override { return next_++; }
    void releaseName(unsigned) override {}
    void bind(unsigned) override {}
    void disableTexturing() override {}
    void upload(unsigned, int, int, const std::uint8_t*, bool) override {}

private:
    unsigned next_ = 1;
};

// Installs both for its lifetime.
class ToolEnvironment {
public:
    explicit ToolEnvironment(std::ostream& messages);
    ~ToolEnvironment();
    ToolEnvironment(const ToolEnvironment&) = delete;
    ToolEnvironment& operator=(const ToolEnvironment&) = delete;

    ConsolePlatform& platform() { return platform_; }

private:
    ConsolePlatform platform_;
    NullTextureDevice device_;
};

}  // namespace tools
