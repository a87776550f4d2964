// The phrase dialog on its real template and procedure, owned by a stand-in
// main window: what OK stores, starts and scatters.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <set>
#include <string>

#include "platform/handle.h"
#include "res/resource.h"
#include "settings/store.h"
#include "state/messages.h"
#include "ui/effects.h"
#include "dialogs/phrase_dialog.h"
#include "ui_test_support.h"
#include "ui/program_windows.h"

namespace {

// Whether the phrase dialog was still open when the scatter was asked for.
int scatterRequests = 0;
bool dialogOpenAtScatter = false;

INT_PTR CALLBACK StandInMainProc(HWND, UINT message, WPARAM, LPARAM) {
    if (message == WM_SCATTERPHRASE) {
        ++scatterRequests;
        dialogOpenAtScatter = ::IsWindowVisible(programWindows.phrase.load()) != FALSE;
        StartScatter();
    }
    return FALSE;
}

std::set<DWORD> ProcessesNamed(const wchar_t* name) {
    std::set<DWORD> ids;
    OwnedHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        if (::lstrcmpiW(entry.szExeFile, name) == 0) ids.insert(entry.th32ProcessID);
    }
    return ids;
}

std::wstring StoredText() {
    wchar_t text[kPhraseUnits] = L"(absent)";
    ReadSettingString(value::TEXT, text);
    return text;
}

class PhraseDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        scatterRequests = 0;
        dialogOpenAtScatter = false;
        WriteSettingString(value::TEXT, L"before");
        owner_ = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_MAIN), nullptr, StandInMainProc, 0);
        dialog_ = ::CreateDialogParamW(App().instance, MAKEINTRESOURCEW(IDD_PHRASE), owner_, PhraseDialogProc, 0);
    }
    void TearDown() override {
        StopScatter();
        EXPECT_TRUE(test_support::WaitFor([] { return LiveScatterThreads() == 0; }));
        ::DestroyWindow(dialog_);
        ::DestroyWindow(owner_);
    }
    void TypeAndConfirm(const std::wstring& text) {
        ::SetDlgItemTextW(dialog_, IDC_PHRASE_TEXT, text.c_str());
        ::SendMessageW(dialog_, WM_COMMAND, MAKEWPARAM(IDC_PHRASE_OK, BN_CLICKED), 0);
    }

    HWND owner_ = nullptr;
    HWND dialog_ = nullptr;
};

TEST_F(PhraseDialogTest, APhraseIsCutStoredAndScatteredWhileTheDialogIsOpen) {
    const std::wstring longText(45, L'あ');
    struct Case {
        std::wstring typed, kept;
    } const cases[] = {{L"", L""}, {L"夕焼け no program", L"夕焼け no program"}, {longText, longText.substr(0, 39)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.size());
        ::ShowWindow(dialog_, SW_SHOW);
        scatterRequests = 0;
        TypeAndConfirm(c.typed);
        EXPECT_EQ(App().typedPhrase.Get(), c.kept);
        EXPECT_EQ(StoredText(), c.kept);
        EXPECT_EQ(scatterRequests, 1);
        EXPECT_TRUE(dialogOpenAtScatter);
        EXPECT_EQ(App().scatterRun.load(), 1u);
    }
}

TEST_F(PhraseDialogTest, AProgramNameStartsItAndStoresNothing) {
    const std::set<DWORD> before = ProcessesNamed(L"notepad.exe");
    TypeAndConfirm(L"notepad");
    EXPECT_EQ(App().typedPhrase.Get(), L"notepad");
    EXPECT_EQ(StoredText(), L"before");
    EXPECT_EQ(scatterRequests, 0);
    std::set<DWORD> started;
    EXPECT_TRUE(test_support::WaitFor([&] {
        started.clear();
        for (DWORD id : ProcessesNamed(L"notepad.exe")) {
            if (before.count(id) == 0) started.insert(id);
        }
        return !started.empty();
    }));
    for (DWORD id : started) {
        OwnedHandle process(::OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        ::TerminateProcess(process.get(), 0);
        ::WaitForSingleObject(process.get(), 5000);
    }
}

}  // namespace
