// The program on a screen of more than 96 dots per inch. Run only by
// tests/e2e/dpi/session.sh, which sets the DPI of a prefix and a display of
// their own and names it in QM_DPI; anywhere else these tests are skipped.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "../driver.h"
#include "platform/handle.h"
#include "res/resource.h"

using namespace e2e;

namespace {

int SessionDpi() {
    const char* dpi = std::getenv("QM_DPI");
    return dpi != nullptr ? std::atoi(dpi) : 0;
}

std::string Utf8(const std::wstring& text) {
    std::string bytes(text.size() * 3, '\0');
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(),
                                             static_cast<int>(bytes.size()), nullptr, nullptr);
    bytes.resize(static_cast<std::size_t>(std::max(length, 0)));
    return bytes;
}

bool ClassIs(HWND window, const wchar_t* name) {
    wchar_t type[32] = {};
    return window != nullptr && ::GetClassNameW(window, type, 32) > 0 && ::_wcsicmp(type, name) == 0;
}

class Scale : public ProgramTest {
protected:
    void SetUp() override {
        if (SessionDpi() == 0) GTEST_SKIP() << "run by tests/e2e/dpi/session.sh";
        // The driver runs in the same prefix as the program and sees its DPI.
        ASSERT_EQ(SessionDpi(), ScreenDpi()) << "the prefix's DPI is not the one asked for";
        ProgramTest::SetUp();
    }
};

// Every caption of the dialog that is wider than its room, one line each
// with both widths, measured in the template's font as the dialog manager
// makes it at the screen's DPI (9 points, any character set).
std::string CaptionsThatDoNotFit(HWND dialog, const wchar_t* face) {
    if (dialog == nullptr) return "the dialog did not open";
    const OwnedFont font(::CreateFontW(-::MulDiv(9, ScreenDpi(), 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH, face));
    const WindowDC screen(nullptr);
    const HGDIOBJ old = ::SelectObject(screen.get(), font.get());
    // A check box or radio button draws its box, then half a digit's width
    // of space, then the caption. Wine draws the box 12 pixels per 96 DPI
    // and one more wide, 2 more than SM_CXMENUCHECK says (Windows: 13 at 96).
    SIZE digit{};
    ::GetTextExtentPoint32W(screen.get(), L"0", 1, &digit);
    const int box = std::max(::GetSystemMetrics(SM_CXMENUCHECK), 12 * ScreenDpi() / 96 + 1) + digit.cx / 2;
    std::string overflows;
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
        // The control just before an up-down is the buddy it takes as it is
        // made, and narrows by its own width: the settings dialog's "dummy"
        // label, cut at any scale.
        if (!::IsWindowVisible(child) || ClassIs(::GetWindow(child, GW_HWNDNEXT), UPDOWN_CLASSW)) continue;
        const std::wstring text = Text(child);
        if (text.empty()) continue;
        const LONG style = ::GetWindowLongW(child, GWL_STYLE);
        int room = RectInParent(child).right - RectInParent(child).left;
        if (ClassIs(child, L"Button")) {
            const LONG kind = style & BS_TYPEMASK;
            if ((kind >= BS_CHECKBOX && kind <= BS_AUTO3STATE) || kind == BS_AUTORADIOBUTTON) {
                room -= box;  // check boxes and radio buttons
            } else if (kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON && kind != BS_GROUPBOX) {
                continue;
            }
        } else if (!ClassIs(child, L"Static") || (style & SS_TYPEMASK) > SS_RIGHT) {
            continue;
        }
        SIZE extent{};
        ::GetTextExtentPoint32W(screen.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        if (extent.cx > room) {
            overflows += "  " + std::to_string(::GetDlgCtrlID(child)) + " \"" + Utf8(text) +
                         "\": " + std::to_string(extent.cx) + " px in " + std::to_string(room) + "\n";
        }
    }
    ::SelectObject(screen.get(), old);
    return overflows;
}

TEST_F(Scale, EveryCaptionFitsItsControl) {
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    EXPECT_EQ("", CaptionsThatDoNotFit(main, L"MS UI Gothic")) << "main window at " << ScreenDpi() << " DPI";
    EXPECT_EQ("", CaptionsThatDoNotFit(OpenSettingsDialog(main), L"MS Shell Dlg 2")) << "settings dialog";
    EXPECT_EQ("", CaptionsThatDoNotFit(OpenManualDialog(main), L"MS Shell Dlg 2")) << "manual operations dialog";
    EXPECT_EQ("", CaptionsThatDoNotFit(OpenPhraseDialog(main), L"MS Shell Dlg 2")) << "phrase dialog";
}

// Anything drawn that is not the dialog's background.
bool IsInk(DWORD pixel, COLORREF background) {
    const int red = static_cast<int>(pixel >> 16 & 0xFF), green = static_cast<int>(pixel >> 8 & 0xFF);
    const int blue = static_cast<int>(pixel & 0xFF);
    return std::abs(red - GetRValue(background)) + std::abs(green - GetGValue(background)) +
               std::abs(blue - GetBValue(background)) >
           96;
}

// A phrase as wide as the headline may be at 96 DPI (235 of its 240 pixels):
// it fits there, so it must fit at every scale.
constexpr wchar_t kWidePhrase[] = L"好きな言葉をここに入力すれば？";

TEST_F(Scale, TheMarqueeStaysInsideTheMainWindow) {
    settings::WriteString(L"TEXT", kWidePhrase);
    HWND main = StartProgram();
    ASSERT_TRUE(main);
    // The headline's band: the top of the client area, above the end
    // actions' row, without the BYE button at its right.
    const RECT bye = RectInParent(Control(main, IDC_MAIN_BYE));
    const LONG bandBottom = RectInParent(Control(main, IDC_MAIN_SHUTDOWN)).top;
    const COLORREF background = ::GetSysColor(COLOR_BTNFACE);
    // Shown is not yet painted: until then the screen has what was under the
    // window. Its top row is background only once it is.
    ASSERT_TRUE(WaitUntil([&] {
        const Picture picture = CaptureClient(main);
        for (int x = 0; x < picture.width; ++x) {
            if (IsInk(picture.at(x, 0), background)) return false;
        }
        return picture.width > 0;
    })) << "the main window is not painted";
    int seen = 0, left = INT_MAX, right = -1;
    // Over a second and a half the marquee takes 150 steps.
    for (int capture = 0; capture < 15; ++capture, ::Sleep(100)) {
        const Picture picture = CaptureClient(main);
        bool ink = false;
        for (int y = 0; y < std::min<LONG>(bandBottom, picture.height); ++y) {
            for (int x = 0; x < picture.width; ++x) {
                const bool onBye = x >= bye.left && x < bye.right && y >= bye.top && y < bye.bottom;
                if (onBye || !IsInk(picture.at(x, y), background)) continue;
                ink = true;
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
        seen += ink;
    }
    ASSERT_GT(seen, 0) << "no headline on the screen: the window is covered or the capture failed";
    EXPECT_GE(left, 2) << "the headline is cut by the window's left edge at " << ScreenDpi() << " DPI";
    EXPECT_LT(right, bye.left) << "the headline runs into the BYE button's column at " << ScreenDpi() << " DPI";
}

}  // namespace
