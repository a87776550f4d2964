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

// What a waiting thread is started with. The processes it counts live here,
// on the heap for the whole wait, rather than on its stack.
struct WaitStart {
    RunBlock* block;
    std::uint32_t generation;
    const Settings* settings;
    std::int64_t putOffTo;  // 0: wait for the program; else the moment 延長 put the end off to
    wchar_t name[kProcessNameUnits];
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

// Program names are file names, which Windows matches whatever the letter case.
bool IsProgram(const wchar_t* listed, const wchar_t* name) { return name[0] != L'\0' && SameProgramName(listed, name); }

bool WasCounted(const CountedProcesses& counted, DWORD id) {
    return std::find(counted.ids, counted.ids + counted.count, id) != counted.ids + counted.count;
}

// Counts the program named `name` as one list is walked, from the first
// process to the last, however long the list: an instance listed late counts
// as much as the first. A process of that name counts; a process counted
// before still counts while its id is listed without a name (its name could
// not be read this time); an id listed under another name belongs to another
// program now and counts no more. Should more instances run than the ids
// hold, the rest are not kept, but the program counts as running all the same.
class ProgramCounter final : public ProcessVisitor {
public:
    ProgramCounter(const wchar_t* name, const CountedProcesses& before) : name_(name), before_(before) {}

    void Visit(DWORD id, const wchar_t* exeFile) override {
        const bool named = exeFile != nullptr && exeFile[0] != L'\0';
        wchar_t program[kProcessNameUnits];
        ProgramNameOf(named ? exeFile : L"", program);
        const bool counts = named ? IsProgram(program, name_) : WasCounted(before_, id);
        if (counts && count_ < kMaxProcesses) ids_[count_++] = id;
    }
    // Built apart, as the counted ids of the last look are read meanwhile.
    void StoreIn(CountedProcesses& counted) const {
        std::copy(ids_, ids_ + count_, counted.ids);
        counted.count = count_;
    }

private:
    const wchar_t* name_;
    const CountedProcesses& before_;
    DWORD ids_[kMaxProcesses];
    std::size_t count_ = 0;
};

OperationRecord& Record() { return App().operation(kThis); }

// What the wait found.
struct WaitOutcome {
    bool gone = false;        // the program has gone; otherwise the run ended
    bool afterSleep = false;  // the PC slept through the wait before the look that saw it gone
};

// Looks once a second until the program has gone or the run has ended. A
// list that cannot be taken tells nothing: the program counts as running
// until the next look.
WaitOutcome WaitUntilGone(const RunToken& token, WaitStart& start) {
    constexpr DWORD kLookMs = 1000;
    WaitOutcome outcome;
    for (bool going = token.Running(); going;) {
        if (CountRunningProgram(start.name, start.counted) && start.counted.count == 0) {
            outcome.gone = true;
            break;
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
        if (IsProgram(table.entries[i].name, name)) return true;
    }
    return false;
}

bool CountRunningProgram(const wchar_t* name, CountedProcesses& counted) {
    ProgramCounter counter(name, counted);
    if (!Processes().ListRunning(counter)) return false;
    counter.StoreIn(counted);
    return true;
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
