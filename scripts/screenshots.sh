#!/usr/bin/env bash
# Makes the README's pictures: docs/main-window.png (the main window just
# after start-up) and docs/tray.png (the same session after the window was
# minimised into the notification area, with the icon's balloon) and
# docs/manual-dialog.png (the manual operations dialog, opened once the
# windows are back from the notification area, cut out of the desktop), all
# with a first start's settings; then docs/settings-dialog.png (the settings dialog
# opened in a second session with a program to run after the wake-up and a
# chosen sound); then docs/countdown-window.png (the count-down window of a
# timer end in test mode, with the desktop around it); last
# docs/main-window-150.png (the main window of a first start with the screen
# at 150 %, 144 DPI, cut out of the desktop). Runs the program on its own Xvfb display in a throwaway
# prefix under the build folder, and stops everything it began.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
unset DISPLAY
# A prefix of its own, so that the pictures show what the script sets, not
# what the tests or a user stored in theirs.
export WINEPREFIX="$QM_BUILD/screenshot-prefix"

docs="$root/docs"
exe="$QM_BUILD/quillmarsh.exe"
mkdir -p "$docs"

# A small helper run inside the session: it waits for the main window and
# then presses its minimise box the way the window manager does, by sending
# the system command to it, presses its "設定" and waits for the dialog, or
# ends the program with "BYE".
helper_src="$QM_BUILD/screenshot-helper.cpp"
helper="$QM_BUILD/screenshot-helper.exe"
cat >"$helper_src" <<'CPP'
// Waits for the main window ("wait"), minimises it ("minimise"), ends the
// program with "BYE" ("bye"), opens the settings dialog and waits for it
// ("settings"), or brings the windows back from the notification area, opens
// the manual operations dialog and prints its place on the screen as WxH+X+Y
// ("manual"), or waits for the main window, stops its marquee, centres it on
// the screen and prints its place ("centre").
#include <windows.h>
#include <cstdio>
#include <cwchar>

// A dialog is shown only once its modal loop first goes idle; a click that
// comes earlier opens a nested loop and the main window would stay hidden.
HWND WaitForDialog(const wchar_t* title) {
    for (int i = 0; i < 300; ++i) {
        HWND window = FindWindowW(L"#32770", title);
        if (window != nullptr && IsWindowVisible(window)) return window;
        Sleep(100);
    }
    return nullptr;
}

int wmain(int argc, wchar_t** argv) {
    const wchar_t* command = argc > 1 ? argv[1] : L"wait";
    const wchar_t* title = L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli";
    // Hidden in the notification area, the window is still there to end, or
    // to bring back with a click on the icon.
    if (std::wcscmp(command, L"bye") == 0) {
        HWND window = FindWindowW(L"#32770", title);
        return window != nullptr && PostMessageW(GetDlgItem(window, 2), BM_CLICK, 0, 0) ? 0 : 1;
    }
    if (std::wcscmp(command, L"countdown") == 0) {
        // A timer end of 20 s from the manual operations dialog; then the
        // count-down window's place on the screen.
        HWND window = WaitForDialog(title);
        if (window == nullptr) return 1;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1123, BN_CLICKED), 0);
        HWND manual = WaitForDialog(L"ｸｲﾙﾏｰｼｭ：手動処理");
        if (manual == nullptr) return 1;
        SetDlgItemTextW(manual, 1000, L"0");
        SetDlgItemTextW(manual, 1003, L"0");
        SetDlgItemTextW(manual, 1002, L"20");
        PostMessageW(GetDlgItem(manual, 1021), BM_CLICK, 0, 0);
        for (int i = 0; i < 100; ++i, Sleep(100)) {
            HWND countdown = FindWindowW(L"QuillmarshCountdown", nullptr);
            RECT place;
            if (countdown != nullptr && IsWindowVisible(countdown) && GetWindowRect(countdown, &place)) {
                std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left,
                            place.top);
                return 0;
            }
        }
        return 1;
    }
    if (std::wcscmp(command, L"manual") == 0) {
        HWND window = FindWindowW(L"#32770", title);
        if (window == nullptr) return 1;
        PostMessageW(window, 0x8002, 0x8001, WM_LBUTTONDOWN);  // a click on the icon
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1123, BN_CLICKED), 0);
        HWND manual = WaitForDialog(L"ｸｲﾙﾏｰｼｭ：手動処理");
        RECT place;
        if (manual == nullptr || !GetWindowRect(manual, &place)) return 1;
        std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left,
                    place.top);
        return 0;
    }
    HWND window = WaitForDialog(title);
    if (window == nullptr) return 1;
    if (std::wcscmp(command, L"centre") == 0) {
        // A left click stops the marquee, so that the picture cannot catch it
        // between wiping its band and drawing the text again. Wine may take
        // the new place in another DPI's units than the window's size, so the
        // place printed is the one the window took.
        PostMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1));
        RECT place;
        if (!GetWindowRect(window, &place)) return 1;
        const int left = (GetSystemMetrics(SM_CXSCREEN) - (place.right - place.left)) / 2;
        const int top = (GetSystemMetrics(SM_CYSCREEN) - (place.bottom - place.top)) / 2;
        SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Sleep(500);
        if (!GetWindowRect(window, &place)) return 1;
        std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left, place.top);
        return 0;
    }
    if (std::wcscmp(command, L"minimise") == 0) {
        PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    if (std::wcscmp(command, L"settings") == 0) {
        PostMessageW(GetDlgItem(window, 1042), BM_CLICK, 0, 0);
        if (WaitForDialog(L"ｸｲﾙﾏｰｼｭ：設定") == nullptr) return 1;
    }
    return 0;
}
CPP
qm_build_helper "$helper_src" "$helper"

qm_start_session

# The settings of a first start and a screen at 100 %, whatever an earlier run
# left.
"$QM_WINE64" reg delete 'HKCU\Software\tovakeli' /f </dev/null >/dev/null 2>&1 || true
qm_set_dpi 96

cd "$QM_BUILD"
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!

"$QM_WINE64" "$helper" wait </dev/null >/dev/null 2>&1 || { echo "screenshots: the main window did not appear" >&2; exit 1; }
sleep 3  # painted, and the clock line has ticked
import -window root "$docs/main-window.png"

"$QM_WINE64" "$helper" minimise </dev/null >/dev/null 2>&1
sleep 4  # the desktop shows a balloon two seconds after the icon appears, for ten
import -window root "$docs/tray.png"

# The manual operations dialog with a margin of the desktop around it.
place=$("$QM_WINE64" "$helper" manual </dev/null 2>/dev/null | tr -d '\r') || { echo "screenshots: the manual operations dialog did not appear" >&2; exit 1; }
sleep 2  # painted, and the icon's balloon gone with the icon
import -window root "$QM_BUILD/screenshot-desktop.png"
read -r width height left top < <(echo "$place" | tr 'x+' '  ')
convert "$QM_BUILD/screenshot-desktop.png" -crop "$((width + 24))x$((height + 24))+$((left - 12))+$((top - 12))" +repage \
    "$docs/manual-dialog.png"

# Ends the running program with "BYE" and waits for it, so that the next
# session starts a program of its own, not a second instance.
end_program() {
    "$QM_WINE64" "$helper" bye </dev/null >/dev/null 2>&1
    for _ in $(seq 1 100); do
        kill -0 "$program" 2>/dev/null || break
        sleep 0.1
    done
    kill "$program" 2>/dev/null || true
    program=""
}

# A second session with settings that make the dialog show what it offers:
# standby, a program run after the wake-up, a chosen sound of 30 seconds.
end_program
key='HKCU\Software\tovakeli\quillmarsh'
setting() {
    "$QM_WINE64" reg add "$key" /v "$1" /t "$2" /d "$3" /f </dev/null >/dev/null 2>&1
}
setting WAYTOEND REG_DWORD 3
setting NEXT_REG REG_DWORD 3
setting SOUND REG_DWORD 4
setting COUNTDOWNTIME REG_DWORD 30
setting PROGRAM REG_SZ 'C:\Program Files\Backup\backup.exe'
setting PROGRAM_COMMANDLINE REG_SZ '/quiet /all'
setting MY_SOUND REG_SZ 'C:\windows\Media\chimes.wav'
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
"$QM_WINE64" "$helper" settings </dev/null >/dev/null 2>&1 || { echo "screenshots: the settings dialog did not appear" >&2; exit 1; }
sleep 2
import -window root "$docs/settings-dialog.png"

# A third session in test mode: a timer end of 20 s and its count-down window,
# cut out with a margin of the desktop around it.
end_program
setting TESTCHECK REG_DWORD 1
setting SOUND REG_DWORD 0
setting WAYTOEND REG_DWORD 0
setting NEXT_REG REG_DWORD 0
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
place=$("$QM_WINE64" "$helper" countdown </dev/null 2>/dev/null | tr -d '\r') || { import -window root "$QM_BUILD/screenshot-failed.png"; echo "screenshots: the count-down window did not appear" >&2; exit 1; }
sleep 3  # a few seconds counted
import -window root "$QM_BUILD/screenshot-desktop.png"
read -r width height left top < <(echo "$place" | tr 'x+' '  ')
convert "$QM_BUILD/screenshot-desktop.png" -crop "$((width + 40))x$((height + 40))+$((left - 20))+$((top - 20))" +repage \
    "$docs/countdown-window.png"

# A fourth session with a first start's settings and the screen at 150 %
# (Wine reads the DPI as each program starts), the main window centred and
# cut out with a margin of the desktop around it. The prefix goes back to
# 100 % however the script ends.
end_program
"$QM_WINE64" reg delete 'HKCU\Software\tovakeli' /f </dev/null >/dev/null 2>&1 || true
trap 'qm_set_dpi 96; qm_end_session' EXIT
qm_set_dpi 144
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
place=$("$QM_WINE64" "$helper" centre </dev/null 2>/dev/null | tr -d '\r') || { echo "screenshots: the main window did not appear at 150 %" >&2; exit 1; }
sleep 3  # painted, and the clock line has ticked
import -window root "$QM_BUILD/screenshot-desktop.png"
read -r width height left top < <(echo "$place" | tr 'x+' '  ')
convert "$QM_BUILD/screenshot-desktop.png" -crop "$((width + 24))x$((height + 24))+$((left - 12))+$((top - 12))" +repage \
    "$docs/main-window-150.png"

echo "screenshots: saved $docs/main-window.png, $docs/tray.png, $docs/manual-dialog.png, $docs/settings-dialog.png, $docs/countdown-window.png and $docs/main-window-150.png"
