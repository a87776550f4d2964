// The settings dialog of the real program, opened from the main window's
// "設定": how it closes, and the main window reaching into it while open.
#include <gtest/gtest.h>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

constexpr wchar_t kSettingsTitle[] = L"ｸｲﾙﾏｰｼｭ：設定";
constexpr int kResumeRadios[] = {IDC_SET_NO_WAKE, IDC_SET_WAKE_IDLE, IDC_SET_RESUME_SCHEDULED,
                                 IDC_SET_PROGRAM_THEN_SCHEDULED, IDC_SET_PROGRAM_THEN_END};
constexpr int kProgramControls[] = {IDC_SET_PROGRAM_NAME, IDC_SET_ARGUMENTS,
                                    IDC_SET_CHOOSE_PROGRAM};

class SettingsDialog : public ProgramTest {
  protected:
    // Presses "設定" (its modal loop keeps the handler running) and waits for
    // the dialog.
    HWND Open(HWND main) {
        PostClick(main, IDC_MAIN_SETTINGS);
        return WaitForTopLevelWindow(program()->id(), kDialogClass, kSettingsTitle);
    }
};

TEST_F(SettingsDialog, EscapeKeepsItOpenOkAndTheCloseBoxCloseIt) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    for (bool okButton : {true, false}) {
        SCOPED_TRACE(okButton ? "OK" : "close box");
        HWND settings = Open(main);
        ASSERT_TRUE(settings);
        EXPECT_FALSE(IsEnabled(main, IDC_MAIN_SETTINGS));

        PressKey(settings, VK_ESCAPE);
        // Posted after the key, so handled after it: once it shows, Esc has
        // been dealt with.
        Post(Control(settings, IDC_SET_EXPLOSION), BM_SETCHECK, BST_CHECKED);
        ASSERT_TRUE(WaitUntil([&] { return IsChecked(settings, IDC_SET_EXPLOSION); }));
        Send(Control(settings, IDC_SET_EXPLOSION), BM_SETCHECK, BST_UNCHECKED);
        EXPECT_TRUE(::IsWindowVisible(settings));

        if (okButton) {
            PostClick(settings, IDC_SET_OK);
        } else {
            Post(settings, WM_CLOSE);
        }
        EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(settings); }));
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(main, IDC_MAIN_SETTINGS); }));
    }
}

TEST_F(SettingsDialog, EndActionChosenInTheMainWindowReachesTheOpenDialog) {
    settings::WriteDword(L"WAYTOEND", 3);
    settings::WriteDword(L"NEXT_REG", 3);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    HWND settings = Open(main);
    ASSERT_TRUE(settings);
    const struct {
        HWND window;
        int id;
        bool radios, program;
    } steps[] = {
        {main, IDC_MAIN_REBOOT, false, false},
        {main, IDC_MAIN_HIBERNATE, true, true},
        {settings, IDC_SET_WAKE_IDLE, true, false},
        {main, IDC_MAIN_LOGOFF, false, false},
        {main, IDC_MAIN_STANDBY, true, false},
        {settings, IDC_SET_PROGRAM_THEN_END, true, true},
        {main, IDC_MAIN_SHUTDOWN, false, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.id);
        Click(step.window, step.id);
        for (int id : kResumeRadios) EXPECT_EQ(IsEnabled(settings, id), step.radios) << id;
        for (int id : kProgramControls) EXPECT_EQ(IsEnabled(settings, id), step.program) << id;
    }
    EXPECT_EQ(settings::ReadDword(L"NEXT_REG"), 4u);
    EXPECT_TRUE(IsChecked(settings, IDC_SET_PROGRAM_THEN_END));
}

}  // namespace
