// The guards around the procedures Windows calls: an exception in the body
// gives the safe answer, tells the user once, and never recurses.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "fake_system.h"
#include "platform/guard.h"
#include "state/thread_slot.h"

namespace {

INT_PTR CALLBACK OutOfMemoryDialog(HWND, UINT, WPARAM, LPARAM) { throw std::bad_alloc(); }
BOOL CALLBACK OutOfMemoryEnum(HWND, LPARAM) { throw std::bad_alloc(); }
DWORD WINAPI OutOfMemoryThread(void*) { throw std::bad_alloc(); }
DWORD WINAPI AnsweringThread(void*) { return 7; }
void CALLBACK FailingRoutine(void*, DWORD, DWORD) { throw std::runtime_error("routine"); }

// A box whose own message loop dispatches a message that throws again.
class ReentrantBox : public FakeSystem {
public:
    int ShowMessage(HWND owner, const wchar_t* text, const wchar_t* caption, UINT style) override {
        EXPECT_EQ(FALSE, GuardedDialogProc<OutOfMemoryDialog>(nullptr, WM_PAINT, 0, 0));
        return FakeSystem::ShowMessage(owner, text, caption, style);
    }
};

class Guard : public ::testing::Test {
protected:
    void SetUp() override { SetEscapeNotice(L"notice", L"caption"); }
    void TearDown() override { SetEscapeNotice(nullptr, nullptr); }
};

TEST_F(Guard, AGuiProcedureThatThrowsAnswersNotHandledAndTellsTheUserOnceWithoutRecursing) {
    ReentrantBox fake;
    const ScopedSystem installed(fake);
    EXPECT_EQ(FALSE, GuardedDialogProc<OutOfMemoryDialog>(nullptr, WM_COMMAND, 0, 0));
    EXPECT_EQ(FALSE, GuardedEnumProc<OutOfMemoryEnum>(nullptr, 0));
    ASSERT_EQ(1U, fake.messages.size());
    EXPECT_EQ(L"notice", fake.messages[0].text);
    EXPECT_EQ(L"caption", fake.messages[0].caption);
    EXPECT_EQ(nullptr, fake.messages[0].owner);
}

TEST_F(Guard, AThreadThatThrowsEndsWithTheEscapeCodeAndShowsNothing) {
    FakeSystem fake;
    const ScopedSystem installed(fake);
    ThreadSlot slot;
    ASSERT_TRUE(slot.Start<OutOfMemoryThread>(nullptr));
    const OwnedHandle thread = slot.Duplicate();
    ASSERT_EQ(WAIT_OBJECT_0, ::WaitForSingleObject(thread.get(), 5000));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeThread(thread.get(), &code));
    EXPECT_EQ(kEscapedExitCode, code);
    EXPECT_EQ(7U, GuardedThreadProc<AnsweringThread>(nullptr));
    GuardedTimerRoutine<FailingRoutine>(nullptr, 0, 0);
    EXPECT_TRUE(fake.messages.empty());
}

}  // namespace
