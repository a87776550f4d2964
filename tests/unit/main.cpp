// Entry point of the unit tests: the program's code expects its instance
// handle in the application state, as the process entry would store it.
#include <gtest/gtest.h>

#include "state/app_state.h"

int main(int argc, char** argv) {
    app.instance = ::GetModuleHandleW(nullptr);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
