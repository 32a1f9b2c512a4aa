// Runs every test that needs a GL context: one small GLUT window provides
// it for the whole run, and the real texture device talks to it.

#include <GL/freeglut.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <link.h>

void installTestFakes(bool fakeTextureDevice);

namespace {

// The GL driver never frees its context buffers, and it is unloaded at exit
// before the sanitizer build's leak check runs, which then cannot even name
// the module. Pinning every library loaded so far keeps the driver mapped,
// so its leaks carry its name and the suppressions below match them.
void pinLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0] != '\0')
                dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}

}  // namespace

// Read by the leak checker of the sanitizer build (unused otherwise): the
// driver's own allocations are not ours to fix.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:_dri.so\n"
           "leak:libGLX_mesa.so\n"
           "leak:libgallium\n";
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Listing the cases needs no window, so no display either.
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH | GLUT_STENCIL);
    glutInitWindowSize(800, 600);
    glutCreateWindow("gl tests");
    pinLoadedLibraries();
    installTestFakes(false);
    return RUN_ALL_TESTS();
}
