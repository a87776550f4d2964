// The wait before an operation starts: it serves what workers send to this
// thread's windows, and never waits for a thread that has let go of its slot.
#include <gtest/gtest.h>

#include <windows.h>

#include "platform/wait.h"
#include "schedule/settle.h"
#include "state/app_state.h"
#include "ui_test_support.h"

namespace {

HWND target = nullptr;

DWORD WINAPI SendsToTheWaiter(void*) {
    // Like a worker setting a caption while the GUI thread waits for it.
    ::SetWindowTextW(target, L"set by the worker");
    return 0;
}

DWORD WINAPI EndsAtOnce(void* slot) {
    static_cast<ThreadSlot*>(slot)->ReleaseIfCurrentThread();
    return 0;
}

TEST(SettleWait, ServesMessagesSentByTheThreadItWaitsFor) {
    target = ::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, target);
    ThreadSlot slot;
    ASSERT_TRUE(slot.Start<SendsToTheWaiter>(nullptr));
    OwnedHandle thread = slot.Duplicate();
    const DWORD start = ::GetTickCount();
    EXPECT_TRUE(WaitServingMessages(thread.get(), 10000));
    EXPECT_LT(::GetTickCount() - start, 5000u);
    wchar_t text[32];
    ::GetWindowTextW(target, text, 32);
    EXPECT_STREQ(L"set by the worker", text);
    ::DestroyWindow(target);
}

TEST(SettleWait, AThreadThatLetGoOfItsSlotIsNotWaitedFor) {
    ThreadSlot& slot = App().operation(Operation::TimerEnd).thread;
    ASSERT_TRUE(slot.Start<EndsAtOnce>(&slot));
    test_support::WaitFor([&] { return slot.Empty(); });
    EXPECT_TRUE(slot.Empty());
    EXPECT_FALSE(slot.Duplicate());
    const DWORD start = ::GetTickCount();
    SettleOperationThreads();
    EXPECT_LT(::GetTickCount() - start, 1000u);
}

}  // namespace
