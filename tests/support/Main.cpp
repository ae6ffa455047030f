// The main function of every test executable.
#include <gtest/gtest.h>

namespace Dizezida::Testing {
void install_platform_log_writer();
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    Dizezida::Testing::install_platform_log_writer();
    return RUN_ALL_TESTS();
}
