#include "FuzzSupport.h"

#include "platform/HeadlessPlatform.h"
#include "state/ProgramState.h"

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fuzz {

NullTextureDevice& environment()
{
    // Both keep counts only: a run goes through millions of inputs.
    static platform::HeadlessPlatform quiet(platform::HeadlessPlatform::History::countsOnly);
    static NullTextureDevice device(NullTextureDevice::History::countsOnly);
    static const bool installed = [] {
        platform::install(&quiet);
        installTextureDevice(&device);
        resetProgramState();
        return true;
    }();
    (void)installed;
    return device;
}

const std::string& scratchFolder()
{
    static const std::string folder = [] {
        // Shared memory when there is some: thousands of small files a second.
        std::string pattern =
            access("/dev/shm", W_OK) == 0 ? "/dev/shm/enginefuzz.XXXXXX" : "/tmp/enginefuzz.XXXXXX";
        if (!mkdtemp(pattern.data())) broken("cannot make a scratch folder");
        // libFuzzer ends a timed run through exit(): the folder goes with it.
        // (A plain copy: the string itself is destroyed before the handler runs.)
        static char made[64];
        std::snprintf(made, sizeof made, "%s", pattern.c_str());
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(made, ignored);
        });
        return pattern;
    }();
    return folder;
}

std::string writeScratch(const std::string& name, const std::uint8_t* data, std::size_t size)
{
    const std::string path = scratchFolder() + "/" + name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out) broken("cannot write a scratch file");
    return path;
}

void broken(const char* what)
{
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
}

}  // namespace fuzz
