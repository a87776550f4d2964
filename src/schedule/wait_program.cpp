// The wait for a program: the process snapshot and its names, the process
// combo of the manual operations dialog, the toggle of its button and the
// thread that looks once a second whether the chosen program still runs.
#include "schedule/wait_program.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <iterator>
#include <memory>
#include <utility>

#include "platform/processes.h"
#include "platform/system.h"
#include "platform/text.h"
#include "schedule/arming.h"
#include "schedule/countdown.h"
#include "schedule/lifecycle.h"
#include "schedule/pacing.h"
#include "platform/calendar.h"
#include "schedule/settle.h"
#include "state/app_state.h"

namespace {

constexpr Operation kThis = Operation::WaitProgram;

// What a waiting thread is started with. The thread's own snapshot and the
// processes it counts live here, on the heap for the whole wait, rather than
// over 100 KB on its stack.
struct WaitStart {
    RunBlock* block;
    std::uint32_t generation;
    const Settings* settings;
    std::int64_t putOffTo;  // 0: wait for the program; else the moment 延長 put the end off to
    wchar_t name[kProcessNameUnits];
    ProcessTable table;
    CountedProcesses counted;
};

// Writes the processes of one list into a table, the first kMaxProcesses.
class TableFiller final : public ProcessVisitor {
public:
    explicit TableFiller(ProcessTable& table) : table_(table) { table_.count = 0; }

    void Visit(DWORD id, const wchar_t* exeFile) override {
        if (table_.count == kMaxProcesses) return;
        ProcessEntry& entry = table_.entries[table_.count++];
        entry.id = id;
        entry.named = exeFile != nullptr && exeFile[0] != L'\0';
        ProgramNameOf(entry.named ? exeFile : L"", entry.name);
    }

private:
    ProcessTable& table_;
};

bool IsProgram(const ProcessEntry& entry, const wchar_t* name) {
    return name[0] != L'\0' && std::wcscmp(entry.name, name) == 0;
}

bool WasCounted(const CountedProcesses& counted, DWORD id) {
    return std::find(counted.ids, counted.ids + counted.count, id) != counted.ids + counted.count;
}

OperationRecord& Record() { return App().operation(kThis); }

// What the wait found.
struct WaitOutcome {
    bool gone = false;        // the program has gone; otherwise the run ended
    bool afterSleep = false;  // the PC slept through the wait before the look that saw it gone
};

// Takes a snapshot once a second until the program has gone or the run has
// ended. A snapshot that cannot be taken tells nothing: the program counts
// as running until the next look.
WaitOutcome WaitUntilGone(const RunToken& token, WaitStart& start) {
    constexpr DWORD kLookMs = 1000;
    WaitOutcome outcome;
    for (bool going = token.Running(); going;) {
        if (ListProcesses(start.table)) {
            CountProgram(start.table, start.name, start.counted);
            if (start.counted.count == 0) {
                outcome.gone = true;
                break;
            }
        }
        const std::int64_t before = Sys().NowMilliseconds();
        going = token.Wait(kLookMs);
        outcome.afterSleep = SleptThrough(before, Sys().NowMilliseconds(), kLookMs);
    }
    return outcome;
}

}  // namespace

void StripExtension(wchar_t* text) {
    if (wchar_t* dot = std::wcschr(text, L'.')) *dot = L'\0';
}

void ProgramNameOf(const wchar_t* path, wchar_t (&name)[kProcessNameUnits]) {
    // Stripped before the cut, so a long name loses its extension, not more
    // of its stem.
    wchar_t base[kPathUnits];
    CopyText(base, FileNamePart(path));
    StripExtension(base);
    CopyText(name, base);
}

bool ListProcesses(ProcessTable& table) {
    TableFiller filler(table);
    if (Processes().ListRunning(filler)) return true;
    table.count = 0;
    return false;
}

bool ProgramFound(const ProcessTable& table, const wchar_t* name) {
    for (std::size_t i = 0; i < table.count; ++i) {
        if (IsProgram(table.entries[i], name)) return true;
    }
    return false;
}

void CountProgram(const ProcessTable& table, const wchar_t* name, CountedProcesses& counted) {
    // Built apart, as the counted ids of the last look are read meanwhile.
    DWORD ids[kMaxProcesses];
    std::size_t count = 0;
    const std::size_t listed = std::min(table.count, kMaxProcesses);
    for (std::size_t i = 0; i < listed; ++i) {
        const ProcessEntry& entry = table.entries[i];
        if (entry.named ? IsProgram(entry, name) : WasCounted(counted, entry.id)) ids[count++] = entry.id;
    }
    std::copy(ids, ids + count, counted.ids);
    counted.count = count;
}

void ToggleWaitProgram(const wchar_t* program, const ChosenMoments& moments, const Settings& settings) {
    // Cut the way listed names are cut.
    wchar_t chosen[kProcessNameUnits];
    CopyText(chosen, program);
    if (Record().idle.load() == 0) {
        StopOperation(kThis);
        return;
    }
    SettleOperationThreads();
    if (chosen[0] == L'\0') return;  // refused silently
    const MomentTexts* wake = settings.NEXT_REG.load() != ResumeMode::NoWake ? &moments.wake : nullptr;
    if (!MayArm(settings.WAYTOEND.load(), Attendance::User, std::nullopt, wake, settings)) return;
    // Allocated before anything changes, so a failure leaves no trace.
    auto start = std::make_unique<WaitStart>();
    RunBlock& block = Record().block;
    block.moment = 0;
    CopyText(block.name, chosen);
    CopyText(start->name, chosen);
    start->block = &block;
    start->settings = &settings;
    start->generation = BeginRun(kThis);
    if (!LaunchWorker<WaitProgramProc>(kThis, std::move(start))) StopOperation(kThis);  // no thread to wait
}

bool ExtendWaitProgram(std::uint32_t generation, const Settings& settings) {
    RunBlock& block = Record().block;
    const std::int64_t moment = block.moment.load();
    if (Record().idle.load() != 0 || !RunStands(block, generation) || moment == 0) return false;
    auto start = std::make_unique<WaitStart>();
    CopyText(start->name, block.name);
    start->block = &block;
    start->settings = &settings;
    start->putOffTo = moment + kExtendSeconds;
    block.moment = start->putOffTo;
    std::tm later = LocalTimeOf(start->putOffTo);
    wchar_t detail[kDetailUnits];
    FormatEndDetail(later.tm_hour, later.tm_min, detail);
    App().detailLine.Set(detail);     // the icon's tip tells the new moment at once
    start->generation = block.Arm();  // the thread of the moment put off ends without acting
    if (LaunchWorker<WaitProgramProc>(kThis, std::move(start))) return true;
    StopOperation(kThis);
    return false;
}

DWORD WINAPI WaitProgramProc(void* parameter) {
    const std::unique_ptr<WaitStart> start(static_cast<WaitStart*>(parameter));
    const RunToken token(*start->block, start->generation);
    if (start->putOffTo != 0) {
        // Put off: the program has gone, the end comes at its new moment.
        const std::tm later = LocalTimeOf(start->putOffTo);
        wchar_t detail[kDetailUnits];
        FormatEndDetail(later.tm_hour, later.tm_min, detail);
        OpenRun(kThis, token, detail);
        // A sleep the PC was not said to take goes on waiting for the moment,
        // which is then followed by the longer count-down after a sleep.
        bool slept = false;
        MomentWait wait;
        do {
            wait = WaitForMoment(token, start->putOffTo, *start->settings);
            slept = slept || wait.slept;
        } while (wait.slept && token.Running());
        CountDownAndFinish(kThis, token, wait.reached, *start->settings, slept);
        return 0;
    }
    wchar_t detail[kDetailUnits];
    FormatWaitDetail(start->name, detail);
    OpenRun(kThis, token, detail);
    // A program that ended while the PC slept is not acted on the moment the
    // PC wakes: the count-down then runs long enough to be seen and stopped.
    const WaitOutcome outcome = WaitUntilGone(token, *start);
    if (outcome.gone) token.IfCurrent([&] { token.block().moment = Sys().Now(); });
    CountDownAndFinish(kThis, token, outcome.gone, *start->settings, outcome.afterSleep);
    return 0;
}
