// Entry point of the unit tests: the program's code expects an application
// state and its windows as the operations' view, as the process entry would
// set them up. Every test gets a fresh state; a test may install a fake view.
#include <gtest/gtest.h>

#include "app/window_view.h"
#include "ui_test_support.h"

int main(int argc, char** argv) {
    InstallView(&WindowView());
    ::testing::InitGoogleTest(&argc, argv);
    // Appended after gtest's printer: a test's failures are printed before
    // its record is ended.
    ::testing::UnitTest::GetInstance()->listeners().Append(new test_support::FreshStatePerTest);
    return RUN_ALL_TESTS();
}
