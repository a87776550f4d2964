// The calmer hover tracking of the dialogs' buttons under Wine.
#include <gtest/gtest.h>

#include <windows.h>

#include "res/resource.h"
#include "ui/button_hover.h"
#include "ui_test_support.h"

namespace {

// The dialog is moved so that the check box lies under the pointer, wherever
// the pointer is: tracking only starts for the window under it.
TEST(ButtonHover, ButtonsTrackThePointerAtTheCalmerPeriodAndOnlyButtons) {
    test_support::TestDialog main(IDD_MAIN);
    HWND box = main.Item(IDC_MAIN_FORCE);
    HWND clock = main.Item(IDC_MAIN_CLOCK);
    const LONG_PTR clockProcedure = ::GetWindowLongPtrW(clock, GWLP_WNDPROC);
    CalmButtonHover(main.get());
    CalmButtonHover(main.get());  // once only: a second subclass would call itself for ever
    EXPECT_EQ(::GetWindowLongPtrW(clock, GWLP_WNDPROC), clockProcedure);

    RECT dialog{};
    RECT button{};
    POINT pointer{};
    ::GetWindowRect(main.get(), &dialog);
    ::GetWindowRect(box, &button);
    ::GetCursorPos(&pointer);
    const int x = pointer.x - (button.left + button.right) / 2 + dialog.left;
    const int y = pointer.y - (button.top + button.bottom) / 2 + dialog.top;
    ::SetWindowPos(main.get(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    test_support::WaitFor([] { return false; }, 100);

    RECT client{};
    ::GetClientRect(box, &client);
    ::SendMessageW(box, WM_MOUSEMOVE, 0, MAKELPARAM(client.right / 2, client.bottom / 2));
    TRACKMOUSEEVENT query{sizeof query, TME_QUERY, nullptr, 0};
    ASSERT_TRUE(::TrackMouseEvent(&query));
    EXPECT_EQ(query.hwndTrack, box);
    EXPECT_NE(query.dwFlags & TME_LEAVE, 0u);
    EXPECT_EQ(query.dwHoverTime, kButtonHoverPollMs);

    TRACKMOUSEEVENT cancel{sizeof cancel, TME_CANCEL | TME_HOVER | TME_LEAVE, box, 0};
    ::TrackMouseEvent(&cancel);
}

}  // namespace
