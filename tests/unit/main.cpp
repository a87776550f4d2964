// Entry point of the unit tests: the program's code expects its instance
// handle in the application state and its windows as the operations' view,
// as the process entry would set them up. A test may install a fake view.
#include <gtest/gtest.h>

#include "app/window_view.h"
#include "state/app_state.h"

int main(int argc, char** argv) {
    app.instance = ::GetModuleHandleW(nullptr);
    InstallView(&WindowView());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
