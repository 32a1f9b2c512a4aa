#include <gtest/gtest.h>

void installTestFakes(bool fakeTextureDevice);

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    installTestFakes(true);
    return RUN_ALL_TESTS();
}
