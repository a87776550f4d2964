#!/usr/bin/env bash
# Measures the program's performance figures side by side in one run and
# prints them, each as median, minimum and maximum against its target:
# start-up and private memory beside reference dialogs, processor time and
# wake-ups shown and hidden, the lateness of the scheduled end, the
# ten-count and the timer end, and the size of the shipped executables.
# docs/performance.md explains every figure.
#   scripts/bench.sh          the full run (about 11 minutes)
#   scripts/bench.sh --quick  every measurement once, tiny durations (a check
#                             that the bench still runs, figures not judged)
# Runs on its own Xvfb display in a throwaway prefix under the build folder,
# and stops everything it began. The table is also saved in
# build/bench/table.md (build/bench-quick/ for --quick).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=0
[ "${1:-}" = --quick ] && quick=1

if [ $quick = 1 ]; then
    rounds=1 window=3 cpu_rounds=1 settle=2 scheduled_runs=1 timers="1 2" shown_runs=1 shown_seconds=3
else
    rounds=7 window=60 cpu_rounds=3 settle=3 scheduled_runs=5 timers="10 60 600" shown_runs=5 shown_seconds=10
fi

"$root/scripts/setup.sh"
export QM_WERROR=1  # as ./test.sh builds, so that no tree is configured anew
"$root/scripts/build.sh" x86_64 >/dev/null
"$root/scripts/build.sh" i686 >/dev/null
source "$root/scripts/wine-env.sh"
if [ -f "$QM_BUILD-tests/CMakeCache.txt" ]; then
    cmake --build "$QM_BUILD-tests" --target bench_probe >/dev/null
else
    "$root/scripts/build.sh" tests >/dev/null
fi

# Each mode has its own folder and prefix, and one run at a time uses them:
# a second run would share the wineserver and the program's single instance.
work="$QM_BUILD/bench"
if [ $quick = 1 ]; then work="$QM_BUILD/bench-quick"; fi
mkdir -p "$work"
exec 9>"$work/lock"
flock -n 9 || { echo "bench: another run is using $work" >&2; exit 1; }

# The reference dialogs, built as the program is (win32-thread compiler,
# static): one with the program's resources (its main template and its
# common-controls 6 manifest), one without any.
exe="$QM_BUILD/quillmarsh.exe"
probe="$QM_BUILD-tests/bench_probe.exe"
themed="$work/dialog-themed.exe"
plain="$work/dialog-plain.exe"
compile=(x86_64-w64-mingw32-g++-win32 -municode -mwindows -O2 -static -Wall -Wextra -Werror
         -finput-charset=UTF-8 -I"$root/src")
"${compile[@]}" -o "$themed" "$root/tests/bench/dialog_probe.cpp" \
    "$QM_BUILD/CMakeFiles/quillmarsh_resources.dir/src/res/quillmarsh.rc.res" -lcomctl32
"${compile[@]}" -o "$plain" "$root/tests/bench/dialog_probe.cpp" -lcomctl32

unset DISPLAY
export WINEPREFIX="$work/prefix"
results="$work/results"
rm -rf "$results" "$work/errors"
mkdir -p "$results"
started=()
cleanup() {
    local pid
    for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
    qm_stop
}
trap cleanup EXIT
qm_start_headless
"$QM_WINE64" reg delete 'HKCU\Software\tovakeli' /f </dev/null >/dev/null 2>&1 || true
cd "$work"

# Runs the helper; its "name value" lines are filed under $1 as "$1_name".
# Its error output is kept, without the sound library's complaints about a
# machine with no sound card.
probe_into() {
    local file=$1
    shift
    "$QM_WINE64" "$probe" "$@" </dev/null 2> >(grep -v '^ALSA lib' >>"$work/errors") | tr -d '\r' |
        awk -v f="$file" 'NF == 2 { print f "_" $1, $2 }'
}

# Timing of the workers on the real clock, in the background (the timer end
# of 600 s alone takes ten minutes): one sequence per figure, in parallel.
(for i in $(seq "$scheduled_runs"); do probe_into sched scheduled; done >"$results/scheduled") &
started+=($!)
timing_jobs=($!)
for n in $timers; do
    runs=1
    [ $quick = 0 ] && [ "$n" -le 10 ] && runs=5
    [ $quick = 0 ] && [ "$n" = 60 ] && runs=2
    (for i in $(seq $runs); do probe_into timer timer "$n"; done >"$results/timer$n") &
    started+=($!)
    timing_jobs+=($!)
done

# Start-up: the program, its template under a trivial procedure and the
# empty dialog, interleaved. A first round warms the caches.
startup_round() {
    probe_into real start "$(qm_winpath "$exe")"
    probe_into template start "$(qm_winpath "$themed")" template
    probe_into empty start "$(qm_winpath "$plain")" empty
}
[ $quick = 0 ] && startup_round >/dev/null
for i in $(seq $rounds); do startup_round; done >"$results/startup"

# Private memory: the resident anonymous memory that Linux counts for the
# Wine process (Wine's PrivateUsage reads 0), a few seconds after the start,
# the same three interleaved.
memory_of() {
    awk '/^RssAnon/ { print $2 }' "/proc/$1/status"
}
memory_round() {
    local name pid
    for name in real template empty; do
        case $name in
            real) "$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 & ;;
            template) "$QM_WINE64" "$themed" template </dev/null >/dev/null 2>&1 & ;;
            empty) "$QM_WINE64" "$plain" empty </dev/null >/dev/null 2>&1 & ;;
        esac
        pid=$!
        started+=($pid)
        sleep "$settle"
        echo "memory_$name $(memory_of $pid)"
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
}
for i in $(seq $rounds); do memory_round; done >"$results/memory"

# Processor time (ticks of utime + stime) and context switches of every
# thread: what a process does while it should be idle.
sample() {
    local pid=$1 ticks switches
    ticks=$(sed 's/.*) //' "/proc/$pid/stat" | awk '{ print $12 + $13 }')
    switches=$(cat /proc/"$pid"/task/*/status 2>/dev/null |
        awk '/^(non)?voluntary_ctxt_switches/ { s += $2 } END { print s + 0 }')
    echo "$ticks $switches"
}
# Samples every named process over one window: "name cpu% wakeups/s" lines.
measure() {
    local label=$1 names=() pids=() before=() i
    shift
    while [ $# -gt 0 ]; do names+=("$1"); pids+=("$2"); shift 2; done
    for i in "${!pids[@]}"; do before[i]=$(sample "${pids[i]}"); done
    sleep "$window"
    for i in "${!pids[@]}"; do
        awk -v a="${before[i]}" -v b="$(sample "${pids[i]}")" -v hz="$(getconf CLK_TCK)" -v s="$window" \
            -v n="${label}_${names[i]}" 'BEGIN {
                split(a, x, " "); split(b, y, " ")
                printf "cpu_%s %.3f\nwake_%s %.1f\n", n, (y[1] - x[1]) * 100 / hz / s, n, (y[2] - x[2]) / s }'
    done
}
"$QM_WINE64" "$exe" </dev/null >/dev/null 2>&1 &
program=$!
started+=($program)
"$QM_WINE64" "$themed" check </dev/null >/dev/null 2>&1 &
check6=$!
started+=($check6)
"$QM_WINE64" "$plain" check </dev/null >/dev/null 2>&1 &
check5=$!
started+=($check5)
sleep $((quick ? 4 : 10))  # past the start-up work
{
    echo "memory_check6 $(memory_of $check6)"
    echo "memory_check5 $(memory_of $check5)"
    for i in $(seq $cpu_rounds); do
        measure visible real $program check6 $check6 check5 $check5
        "$QM_WINE64" "$probe" hide </dev/null >/dev/null 2>&1
        sleep 2
        measure hidden real $program
        "$QM_WINE64" "$probe" show </dev/null >/dev/null 2>&1
        sleep 2
    done
} >"$results/cpu"

for job in "${timing_jobs[@]}"; do wait "$job" || true; done

# The timer end through the real program, as a user sees it: pressed in its
# manual dialog, its fields read every few milliseconds. The program measured
# above ends first (one instance at a time); the probe starts its own, in test
# mode.
kill "$program" 2>/dev/null || true
wait "$program" 2>/dev/null || true
for i in $(seq "$shown_runs"); do
    probe_into real_timer shown "$(qm_winpath "$exe")" "$shown_seconds"
done >"$results/shown"

# The table. Each figure: median, minimum, maximum and the number of runs.
cat "$results"/* >"$results/all" 2>/dev/null || true
stats() {
    awk -v k="$1" '$1 == k { print $2 }' "$results/all" | sort -g |
        awk '{ v[NR] = $1 } END {
            if (NR == 0) { print "-|-|-|0"; exit }
            m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
            printf "%s|%s|%s|%d\n", m, v[1], v[NR], NR }'
}
median() { stats "$1" | cut -d'|' -f1; }
ratio() { awk -v a="$(median "$1")" -v b="$(median "$2")" 'BEGIN { if (b + 0 > 0) printf "%.2f", a / b; else print "-" }'; }
row() {  # key, figure, unit, target
    local s
    s=$(stats "$1")
    printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$2" "$3" \
        "$(cut -d'|' -f1 <<<"$s")" "$(cut -d'|' -f2 <<<"$s")" "$(cut -d'|' -f3 <<<"$s")" \
        "$(cut -d'|' -f4 <<<"$s")" "$4"
}
size_of() {
    local file=$1 objdump=$2 debug syms
    debug=$("$objdump" -h "$file" | grep -c ' \.debug' || true)
    syms=$("$objdump" -f "$file" | grep -q HAS_SYMS && echo "symbols" || echo "no symbols")
    printf '%s bytes, %s, %s debug sections' "$(stat -c %s "$file")" "$syms" "$debug"
}

{
    echo "$( [ $quick = 1 ] && echo "Quick run (one repetition, tiny durations: figures not judged)" ||
        echo "Full run") on $(date -u '+%Y-%m-%d %H:%M UTC'); $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 |
        sed 's/^ //'), $(nproc) cores, $("$QM_WINE64" --version)"
    echo
    echo "| Figure | Unit | Median | Min | Max | Runs | Target |"
    echo "|---|---|---|---|---|---|---|"
    row real_startup_ms "Start-up, the program" ms "≤ 1.10 × template: $(ratio real_startup_ms template_startup_ms) ×"
    row template_startup_ms "Start-up, main template, trivial procedure" ms ""
    row empty_startup_ms "Start-up, empty dialog" ms ""
    row cpu_hidden_real "CPU hidden in the notification area" "% of a core" "≤ 0.10 %"
    row wake_hidden_real "Wake-ups hidden" "/s" ""
    row cpu_visible_real "CPU shown, idle" "% of a core" "explained"
    row wake_visible_real "Wake-ups shown, idle" "/s" ""
    row cpu_visible_check6 "CPU, check box with CC6 manifest" "% of a core" ""
    row wake_visible_check6 "Wake-ups, check box with CC6 manifest" "/s" ""
    row cpu_visible_check5 "CPU, check box without manifest" "% of a core" ""
    row wake_visible_check5 "Wake-ups, check box without manifest" "/s" ""
    row memory_real "Private memory (RssAnon), the program" KiB "≤ 1.2 × template: $(ratio memory_real memory_template) ×"
    row memory_template "Private memory, main template" KiB ""
    row memory_empty "Private memory, empty dialog" KiB ""
    row memory_check6 "Private memory, check box with CC6 manifest" KiB ""
    row memory_check5 "Private memory, check box without manifest" KiB ""
    row sched_countdown_late_ms "Scheduled end: count-down start after its moment" ms "≤ 50 ms"
    row sched_voice0_late_ms "Ten-count: voice for 0 after the target" ms "≤ 50 ms"
    for n in $timers; do row "timer_timer${n}_ms" "Timer end N = $n: end action − (N + 1 s)" ms "± 50 ms"; done
    row real_timer_shown_first_ms "Timer end in the program: press to the first tick shown" ms ""
    row real_timer_shown_shortest_ms "Timer end in the program: shortest time a second is shown" ms "1000 ± 100 ms"
    row real_timer_shown_longest_ms "Timer end in the program: longest time a second is shown" ms "1000 ± 100 ms"
    echo
    echo "Size: build/quillmarsh.exe $(size_of "$exe" x86_64-w64-mingw32-objdump);" \
        "build-i686/quillmarsh.exe $(size_of "$QM_BUILD-i686/quillmarsh.exe" i686-w64-mingw32-objdump)"
    if [ -s "$work/errors" ]; then
        echo
        echo "Helper errors:"
        sed 's/^/    /' "$work/errors"
    fi
} | tee "$work/table.md"
