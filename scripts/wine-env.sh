# Sourced by run.sh, test.sh and the other scripts. Provides throwaway Wine
# prefixes under the build folders, an Xvfb display and a persistent
# wineserver, all owned by the calling script and stopped by qm_stop. Nothing
# here touches ~/.wine.

QM_ROOT=${QM_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
QM_BUILD=${QM_BUILD:-$QM_ROOT/build}
QM_WINE64=/usr/lib/wine/wine64
QM_WINESERVER=/usr/lib/wine/wineserver64
QM_SCREEN=${QM_SCREEN:-800x600}
# The fonts that Wine ships (package fonts-wine).
QM_WINE_FONTS=/usr/share/wine/fonts

# Every user of Wine has a prefix of its own, so that none opens with what
# another stored. ./run.sh's prefix is the user's: the settings made there
# stay there, and nothing automated uses it. The tests (ctest and
# scripts/stress.sh) use the one below, which is also the default here, and
# the 32-bit program's end-to-end tests the next, so that both sets can run
# at once (tests/CMakeLists.txt names it too); the benchmark and the picture
# scripts choose their own, and the real end action test another one, since
# it ends every process of its prefix.
QM_RUN_PREFIX="$QM_BUILD/wineprefix"
QM_TEST_PREFIX="$QM_BUILD-tests/wineprefix"
QM_TEST_PREFIX_I686="$QM_BUILD-tests/wineprefix-i686"
export WINEPREFIX="$QM_TEST_PREFIX"
# A Japanese session: code page 932 and Japanese system fonts.
export LANG=ja_JP.UTF-8
unset LC_ALL
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installers, no desktop menu entries.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

QM_XVFB_PID=""

# Starts Xvfb on the first free display number and exports DISPLAY.
qm_start_display() {
    local n
    for n in $(seq 91 160); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${QM_SCREEN}x24" -nolisten tcp </dev/null >/dev/null 2>&1 &
        QM_XVFB_PID=$!
        local i
        for i in $(seq 1 50); do
            [ -e "/tmp/.X11-unix/X$n" ] && { export DISPLAY=":$n"; return 0; }
            kill -0 "$QM_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$QM_XVFB_PID" 2>/dev/null || true
        QM_XVFB_PID=""
    done
    echo "wine-env: no Xvfb display could be started" >&2
    return 1
}

# Creates the prefix once: Japanese font substitutes, the caption buttons'
# symbol font and a virtual desktop with a taskbar and notification area, so
# balloons show as a user would see them. A prefix made by an older version
# of this function (another stamp), or made before Wine's 32-bit half was
# installed, is made anew.
#
# Fonts: the main window asks for "MS UI Gothic", the other dialogs for
# "MS Shell Dlg 2", with controls sized for those fonts. Ume UI Gothic is
# drawn to MS UI Gothic's metrics (a narrow proportional gothic, a 12-pixel
# line at 9 points), so every caption fits its control as on Japanese
# Windows; a wider font (Noto Sans CJK JP was used before) cuts "テストモード"
# to "テストモー". "System", the font a window's device context starts with
# (the marquee and the scattered phrase), is mapped too: Wine's own Japanese
# system font has no kanji, and without a substitute Wine picks whatever
# Japanese font the machine happens to have.
#
# Marlett: Wine draws the caption buttons as the characters "0", "1", "2" and
# "r" of Marlett. Debian's Wine 8 looks for the fonts it ships under
# "<data folder>\../fonts\", a name its file layer rejects before looking on
# disk, while fonts-wine installs them in $QM_WINE_FONTS, which fontconfig
# does not list either. So none of them loads, and another font draws those
# characters as digits and letters. Wine also reads every font in the
# prefix's C:\windows\Fonts, so a copy there mends it. Only Marlett is
# copied: the program needs no other, and Wine's Japanese bitmap system font,
# which has no kanji, is better left out.
qm_prefix() {
    local stamp="$WINEPREFIX/.quillmarsh-prefix-3"
    if [ -f "$stamp" ] && { ! qm_have_wine32 || [ -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; }; then
        return 0
    fi
    if [ ! -f "$QM_WINE_FONTS/marlett.ttf" ]; then
        echo "wine-env: $QM_WINE_FONTS/marlett.ttf is missing (package fonts-wine)" >&2
        return 1
    fi
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$QM_WINE64" wineboot -i </dev/null >/dev/null 2>&1
    cp "$QM_WINE_FONTS/marlett.ttf" "$WINEPREFIX/drive_c/windows/Fonts/"
    # Inside the prefix: two scripts that make their prefixes at the same time
    # do not share the file.
    local reg="$WINEPREFIX/quillmarsh-settings.reg"
    local face="Ume UI Gothic"
    cat >"$reg" <<REG
REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"MS UI Gothic"="$face"
"MS Shell Dlg"="$face"
"MS Shell Dlg 2"="$face"
"Tahoma"="$face"
"System"="$face"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$QM_SCREEN"
REG
    "$QM_WINE64" regedit /S "$(qm_winpath "$reg")" </dev/null >/dev/null 2>&1
    "$QM_WINESERVER" -k >/dev/null 2>&1 || true
    "$QM_WINESERVER" -w >/dev/null 2>&1 || true
    touch "$stamp"
}

# Sets the screen's dots per inch (96 is 100 %, 144 is 150 %) in the prefix.
# Wine reads LogPixels as each process starts, from HKCU\Control Panel\Desktop
# before HKEY_CURRENT_CONFIG\Software\Fonts, so every program started after
# this sees it, with no new wineserver.
qm_set_dpi() {
    "$QM_WINE64" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}

# Wine's 32-bit loader, a 32-bit Linux program (package wine32:i386).
QM_WINE32=${QM_WINE32:-/usr/lib/wine/wine}

# True when Wine's 32-bit half (wine32) is installed: a 64-bit prefix then
# runs 32-bit programs, once it has its 32-bit system folder (syswow64).
qm_have_wine32() {
    [ -x "$QM_WINE32" ]
}

# Prints why this machine cannot run the 32-bit program, or nothing when it
# can. It tries for real rather than reading versions: the package installs
# on any machine, but a kernel built or booted without IA-32 emulation
# refuses to start any 32-bit program ("Exec format error", error 1359
# inside Wine), and Wine's 32-bit half, which runs every 32-bit Windows
# program, is such a program.
qm_32bit_unavailable() {
    if ! qm_have_wine32; then
        echo "this machine cannot run 32-bit programs (Wine's 32-bit half, wine32:i386, is not installed)"
        return 0
    fi
    local out
    if out=$(LC_ALL=C; "$QM_WINE32" --version 2>&1 </dev/null); then
        return 0
    fi
    local why="Wine's 32-bit loader: ${out##*: }"
    if { dmesg 2>/dev/null | grep -qi 'IA-32 emulation off'; } ||
        grep -qE '(^| )ia32_emulation=(0|off|false|n)( |$)' /proc/cmdline 2>/dev/null; then
        why="kernel: IA-32 emulation off"
    fi
    echo "this machine cannot run 32-bit programs ($why)"
}

# Keeps one wineserver alive for the prefix. Its output goes nowhere, so no
# caller waits on a pipe that the server holds open.
qm_start_wineserver() {
    "$QM_WINESERVER" -p </dev/null >/dev/null 2>&1
}

# Starts the prefix's services and the desktop (with its taskbar and
# notification area) with their output sent nowhere. Started later by a test
# instead, they would inherit the test's output pipe and keep ctest waiting
# until they exit.
qm_warm_up() {
    "$QM_WINE64" explorer.exe "/desktop=Default,$QM_SCREEN" </dev/null >/dev/null 2>&1 &
    local i
    for i in $(seq 1 100); do
        "$QM_WINE64" cmd.exe /c exit </dev/null >/dev/null 2>&1 && break
        sleep 0.1
    done
    sleep 1
}

# For scripts that start the program themselves: a display, the prefix, its
# wineserver and desktop, all stopped on exit together with the program whose
# process id the script keeps in $program.
qm_start_session() {
    program=""
    trap qm_end_session EXIT
    qm_start_headless
}

# A display, the prefix, its wineserver and desktop; the caller stops them
# (qm_stop) on exit.
qm_start_headless() {
    qm_start_display
    qm_prefix
    qm_start_wineserver
    qm_warm_up
}

# The same for a second prefix on the display that is already there; the
# caller stops it with qm_stop_prefix.
qm_start_prefix_session() {
    (
        export WINEPREFIX="$1"
        qm_prefix && qm_start_wineserver && qm_warm_up
    )
}

# Ends a prefix's processes and its wineserver, and waits until the server
# has gone, and with it written the prefix's registry files (until then it
# writes them only every half minute).
qm_stop_prefix() {
    WINEPREFIX="$1" "$QM_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    WINEPREFIX="$1" timeout 30 "$QM_WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

qm_end_session() {
    if [ -n "${program:-}" ]; then kill "$program" 2>/dev/null || true; fi
    qm_stop
}

# Compiles a small Windows helper program that a script runs in the session.
qm_build_helper() {
    x86_64-w64-mingw32-g++ -municode -O1 -static -finput-charset=UTF-8 -o "$2" "$1"
}

qm_winpath() {
    printf 'Z:%s' "$(printf '%s' "$1" | tr '/' '\\')"
}

# Ends the prefix's processes and the display that this script started.
qm_stop() {
    "$QM_WINESERVER" -k </dev/null >/dev/null 2>&1 || true
    if [ -n "$QM_XVFB_PID" ]; then
        kill "$QM_XVFB_PID" 2>/dev/null || true
        wait "$QM_XVFB_PID" 2>/dev/null || true
        QM_XVFB_PID=""
    fi
}
