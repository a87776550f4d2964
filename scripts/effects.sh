#!/usr/bin/env bash
# Makes docs/effects.png: the main window with its marquee running while a
# typed phrase is scattered over the desktop. With "cpu" it then measures the
# program's processor time over a minute each: shown with the marquee on and
# off, hidden in the notification area with the marquee on and off. Runs on
# its own Xvfb display in a throwaway prefix of its own under the build folder
# (build/effects-prefix), and stops everything it began.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" x86_64
source "$root/scripts/wine-env.sh"
unset DISPLAY
export WINEPREFIX="$QM_BUILD/effects-prefix"
measure=${1:-}
seconds=${QM_CPU_SECONDS:-60}

exe="$QM_BUILD/quillmarsh.exe"
helper_src="$QM_BUILD/effects-helper.cpp"
helper="$QM_BUILD/effects-helper.exe"
cat >"$helper_src" <<'CPP'
// Drives the running program: "phrase TEXT" types TEXT into the phrase
// dialog and confirms it, "scatter" scatters the stored phrase again (the
// message the phrase dialog sends), "toggle" clicks the main window
// (marquee on/off),
// "hide" minimises it into the notification area, "show" brings it back.
#include <windows.h>
#include <cstdio>
#include <cwchar>

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
    HWND main = FindWindowW(L"#32770", L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli");
    if (std::wcscmp(command, L"wait") == 0) return WaitForDialog(L"ｸｲﾙﾏｰｼｭ v1.13 by tovakeli") ? 0 : 1;
    if (main == nullptr) return 1;
    if (std::wcscmp(command, L"scatter") == 0) return PostMessageW(main, 0x401, 0, 0) ? 0 : 1;
    if (std::wcscmp(command, L"phrase") == 0 && argc > 2) {
        PostMessageW(main, WM_RBUTTONDOWN, 0, MAKELPARAM(20, 20));
        HWND phrase = WaitForDialog(L"tovakeli: 好きな言葉 or 実行コマンド");
        if (phrase == nullptr) return 1;
        SendMessageW(GetDlgItem(phrase, 1000), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2]));
        PostMessageW(GetDlgItem(phrase, 1), BM_CLICK, 0, 0);
        return 0;
    }
    if (std::wcscmp(command, L"toggle") == 0) return PostMessageW(main, WM_LBUTTONDOWN, 0, MAKELPARAM(20, 20)) ? 0 : 1;
    if (std::wcscmp(command, L"hide") == 0) return PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0) ? 0 : 1;
    if (std::wcscmp(command, L"show") == 0) return PostMessageW(main, 0x8002, 0x8001, WM_LBUTTONDOWN) ? 0 : 1;
    return 1;
}
CPP
qm_build_helper "$helper_src" "$helper"

qm_start_session
"$QM_WINE64" reg delete 'HKCU\Software\tovakeli' /f </dev/null >/dev/null 2>&1 || true

run() { "$QM_WINE64" "$helper" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
# The program's processor time over $seconds, read from /proc: Wine runs it
# in the process that the launcher became. (Wine does not report another
# process's times through GetProcessTimes.)
cpu() {
    local hz before after
    hz=$(getconf CLK_TCK)
    before=$(awk '{print $14 + $15}' "/proc/$program/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$program/stat")
    awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
        'BEGIN { printf "%d ms in %d s = %.3f %% of one core\n", t * 1000 / hz, s, t * 100 / hz / s }'
}

cd "$QM_BUILD"
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
run wait || { echo "effects: the main window did not appear" >&2; exit 1; }
sleep 2
run phrase "夕焼け小焼け"
# The program stops the scatter when the mouse moves over its main window.
# As the phrase dialog closes, Wine sends the main window a mouse move
# (wherever the pointer is, even parked on the desktop), which mostly comes
# after the scatter has started and ends it after a draw or two. Once that
# has passed, the stored phrase is scattered again as the dialog does it.
sleep 1
run scatter
sleep 3  # a few hundred phrases drawn, the marquee moved on
import -window root "$root/docs/effects.png"
echo "effects: saved $root/docs/effects.png"

[ "$measure" = cpu ] || exit 0
sleep 10  # the scatter is over
echo "shown, marquee on:   $(cpu)"
run toggle
echo "shown, marquee off:  $(cpu)"
run toggle
run hide
sleep 2
echo "hidden, marquee on:  $(cpu)"
run show
sleep 1
run toggle
run hide
sleep 2
echo "hidden, marquee off: $(cpu)"
