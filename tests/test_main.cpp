#include <gtest/gtest.h>

#include "support.hpp"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    tallomir::test::initialiseForTests();
    return RUN_ALL_TESTS();
}
