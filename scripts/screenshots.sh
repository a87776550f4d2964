#!/usr/bin/env bash
# Makes the README's pictures: docs/main-window.png (the main window just
# after start-up), docs/tray.png (the same session after the window was
# minimised into the notification area, with the icon's balloon) and
# docs/manual-dialog.png (the manual operations dialog, opened once the
# windows are back from the notification area, cut out of the desktop). Runs the
# program on its own Xvfb display in a throwaway prefix under the build
# folder with a first start's settings, and stops everything it began.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
unset DISPLAY
# A prefix of its own: the tests' prefix holds whatever settings they wrote.
export WINEPREFIX="$QM_BUILD/screenshot-prefix"

docs="$root/docs"
exe="$QM_BUILD/quillmarsh.exe"
mkdir -p "$docs"

# A small helper run inside the session: it waits for the main window and
# then presses its minimise box the way the window manager does, by sending
# the system command to it.
helper_src="$QM_BUILD/screenshot-helper.cpp"
helper="$QM_BUILD/screenshot-helper.exe"
cat >"$helper_src" <<'CPP'
// Waits for the main window ("wait"), minimises it ("minimise"), or brings
// it back from the notification area, opens the manual operations dialog
// and prints the dialog's place on the screen as WxH+X+Y ("manual").
#include <windows.h>
#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const wchar_t* title = L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli";
    HWND window = nullptr;
    for (int i = 0; i < 300 && window == nullptr; ++i) {
        window = FindWindowW(L"#32770", title);
        if (window == nullptr) Sleep(100);
    }
    if (window == nullptr) return 1;
    if (argc > 1 && std::wcscmp(argv[1], L"minimise") == 0) {
        PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    }
    if (argc > 1 && std::wcscmp(argv[1], L"manual") == 0) {
        PostMessageW(window, 0x8002, 0x8001, WM_LBUTTONDOWN);  // a click on the icon
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(1123, BN_CLICKED), 0);
        HWND manual = nullptr;
        for (int i = 0; i < 300 && manual == nullptr; ++i) {
            manual = FindWindowW(L"#32770", L"ｸｲﾙﾏｰｼｭ：手動処理");
            if (manual == nullptr) Sleep(100);
        }
        RECT place;
        if (manual == nullptr || !GetWindowRect(manual, &place)) return 1;
        std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left,
                    place.top);
    }
    return 0;
}
CPP
x86_64-w64-mingw32-g++ -municode -O1 -static -finput-charset=UTF-8 -o "$helper" "$helper_src"

program=""
cleanup() {
    [ -n "$program" ] && kill "$program" 2>/dev/null || true
    qm_stop
}
trap cleanup EXIT
qm_start_display
qm_prefix
qm_start_wineserver
qm_warm_up

# The settings of a first start, whatever an earlier run left.
"$QM_WINE64" reg delete 'HKCU\Software\tovakeli' /f </dev/null >/dev/null 2>&1 || true

cd "$QM_BUILD"
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!

"$QM_WINE64" "$helper" wait </dev/null >/dev/null 2>&1 || { echo "screenshots: the main window did not appear" >&2; exit 1; }
sleep 3  # painted, and the clock line has ticked
import -window root "$docs/main-window.png"

"$QM_WINE64" "$helper" minimise </dev/null >/dev/null 2>&1
sleep 4  # the desktop shows a balloon two seconds after the icon appears, for ten
import -window root "$docs/tray.png"

# The dialog with a margin of the desktop around it.
place=$("$QM_WINE64" "$helper" manual </dev/null 2>/dev/null | tr -d '\r') || { echo "screenshots: the manual operations dialog did not appear" >&2; exit 1; }
sleep 2  # painted, and the icon's balloon gone with the icon
import -window root "$QM_BUILD/screenshot-desktop.png"
read -r width height left top < <(echo "$place" | tr 'x+' '  ')
convert "$QM_BUILD/screenshot-desktop.png" -crop "$((width + 24))x$((height + 24))+$((left - 12))+$((top - 12))" +repage \
    "$docs/manual-dialog.png"

echo "screenshots: saved $docs/main-window.png, $docs/tray.png and $docs/manual-dialog.png"
