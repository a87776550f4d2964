// The real program's four dialogs walked with the dialog manager's own Tab
// step: every input (edit or combo) is reached once, in reading order.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "driver.h"
#include "res/resource.h"

using namespace e2e;

namespace {

bool IsInput(HWND window) {
    wchar_t name[32] = {};
    ::GetClassNameW(window, name, 32);
    return ::_wcsicmp(name, L"Edit") == 0 || ::_wcsicmp(name, L"ComboBox") == 0;
}

BOOL CALLBACK CollectInput(HWND window, LPARAM context) {
    if (::IsWindowVisible(window) && IsInput(window)) reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

// Left to right along a row (the two overlap from top to bottom), else top to
// bottom.
bool ReadBefore(HWND a, HWND b) {
    RECT ra{}, rb{};
    ::GetWindowRect(a, &ra);
    ::GetWindowRect(b, &rb);
    const bool sameRow = ra.top < rb.bottom && rb.top < ra.bottom;
    return sameRow ? ra.left < rb.left : ra.bottom <= rb.top;
}

// Walks the dialog's tab stops from the first one once round and checks the
// inputs among them. Every control is enabled first, as the walk skips
// disabled ones and which are disabled depends on the settings.
void ExpectInputsInReadingOrder(HWND dialog) {
    ASSERT_TRUE(dialog);
    SCOPED_TRACE(testing::PrintToString(Text(dialog)));
    std::vector<HWND> inputs;
    ::EnumChildWindows(dialog, CollectInput, reinterpret_cast<LPARAM>(&inputs));
    ASSERT_FALSE(inputs.empty());
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::EnableWindow(child, TRUE);
    }

    std::vector<HWND> reached;
    const HWND first = ::GetNextDlgTabItem(dialog, nullptr, FALSE);
    HWND stop = first;
    for (int step = 0; stop != nullptr && step < 100; ++step) {
        if (IsInput(stop)) reached.push_back(stop);
        stop = ::GetNextDlgTabItem(dialog, stop, FALSE);
        if (stop == first) break;
    }
    EXPECT_EQ(first, stop) << "the walk does not come round";
    EXPECT_EQ(inputs.size(), reached.size());
    for (HWND input : inputs) {
        EXPECT_EQ(1, std::count(reached.begin(), reached.end(), input)) << ::GetDlgCtrlID(input);
    }
    for (std::size_t i = 1; i < reached.size(); ++i) {
        EXPECT_TRUE(ReadBefore(reached[i - 1], reached[i]))
            << ::GetDlgCtrlID(reached[i - 1]) << " before " << ::GetDlgCtrlID(reached[i]);
    }
}

using TabOrder = ProgramTest;

TEST_F(TabOrder, ReachesEveryInputOfEveryDialogOnceInReadingOrder) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    ExpectInputsInReadingOrder(main);

    ExpectInputsInReadingOrder(OpenSettingsDialog(main));
    ExpectInputsInReadingOrder(OpenManualDialog(main));
    ExpectInputsInReadingOrder(OpenPhraseDialog(main));
}

}  // namespace
