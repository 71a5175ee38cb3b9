// The contact decoder fed random line events (status words with any bits, event masks with any
// bits), clicks on the two lock indicators, changes of the three polarities (also values that
// are none) and of the AutoStart box.
//
// Checked against a plain statement of the rules after every step: a start is recorded for every
// change of the lines in which the start contact is on while free (it locks again), a finish for
// every change in which the light barrier is on while free, each with the moment of its event,
// in the order they came; the release line frees a locked start contact; a polarity that allows
// nothing (all three on under PNP, an unknown value) records nothing; no recorded time is lost.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "fakes/FakeHost.h"
#include "fakes/FakePortLayer.h"
#include "fakes/QueueDispatcher.h"
#include "timing/Timekeeper.h"

using namespace vandoret;

namespace {

constexpr std::int64_t kMsPerDay = 86'400'000;

// The rules of the decoder, as the operator would state them.
struct Model {
    std::uint32_t last = 0x55555555;
    bool startFree = false;
    bool finishFree = false;
    std::int32_t alg[3] = {0, 1, 1}; // Alg1 start, Alg2 finish, Alg3 release
    bool autoStart = true;
    std::vector<std::string> starts, finishes;

    void Lines(std::uint32_t status, const std::string& moment) {
        if (status == last) {
            return;
        }
        last = status;
        const bool dsr = status & kMsDsrOn, cts = status & kMsCtsOn, rlsd = status & kMsRlsdOn;
        if (!dsr && !cts && !rlsd) {
            return;
        }
        const std::int32_t polarity = rlsd ? alg[2] : cts ? alg[1] : alg[0];
        const bool act = polarity == 0 || (polarity == 1 && !(dsr && cts && rlsd));
        if (!act) {
            return;
        }
        if (dsr && startFree) {
            if (autoStart) {
                starts.push_back(moment);
            }
            startFree = false;
        }
        if (cts && finishFree) {
            finishes.push_back(moment);
        }
        if (rlsd && !startFree) {
            startFree = true;
        }
    }
};

// Rows from `from` on (1 = the whole list): after every step the rows it may have added, at the
// end every row, so a row changed later is caught too.
void CheckList(const TSortGrid& grid, const std::vector<std::string>& times, const char* what, int from = 1) {
    const int rows = static_cast<int>(times.size());
    FUZZ_CHECK(grid.RowCount() == std::max(2, rows + 1), what);
    for (int k = std::max(from, 1); k <= rows; ++k) {
        FUZZ_CHECK(grid.Cells(0, k) == std::to_string(k) + ".", what);
        FUZZ_CHECK(grid.Cells(1, k) == times[static_cast<std::size_t>(k - 1)], what);
    }
    if (rows == 0) {
        FUZZ_CHECK(grid.IsBlankRow(1), what);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Bytes in(data, size);
    testing::FakeHost host;
    host.SetClock(9, 0, 0);
    testing::FakePortLayer layer;
    testing::QueueDispatcher dispatcher;
    Timekeeper tk(host);
    tk.AttachComPort(layer, dispatcher, [&host] { return host.now; });
    Model model;
    tk.settings.Alg1 = model.alg[0];
    tk.settings.Alg2 = model.alg[1];
    tk.settings.Alg3 = model.alg[2];
    tk.registrations.StartContactFree = model.startFree;
    tk.registrations.FinishContactFree = model.finishFree;
    std::int64_t ms = 9 * 3'600'000;
    int checkedStarts = 0, checkedFinishes = 0;

    for (int step = 0; step < 256 && !in.Empty(); ++step) {
        switch (in.Below(8)) {
        case 0:
        case 1:
        case 2:
        case 3: {
            LineEvent event;
            event.EventMask = static_cast<std::uint32_t>(in.Byte()) << 8 | in.Byte();
            const std::uint8_t lines = in.Byte();
            event.ModemStatus = lines == 0xFF ? in.U32() : lines;
            ms = (ms + in.Byte() * 37 + 1) % kMsPerDay;
            event.Time = MakeTimeOfDay(0, 0, 0, static_cast<int>(ms));
            if (event.EventMask & (kEvCts | kEvDsr | kEvRlsd)) {
                model.Lines(event.ModemStatus, FormatClock(event.Time, ClockForm::HhNnSsZ, tk.locale()));
            }
            tk.contacts.ComPort->DispatchEvents(event);
            break;
        }
        case 4:
            tk.LockLSstart1Click();
            model.startFree = !model.startFree;
            break;
        case 5:
            tk.LockLSstop1Click();
            model.finishFree = !model.finishFree;
            break;
        case 6: {
            const int which = in.Below(3);
            const std::int32_t value = in.Below(5) - 1;
            model.alg[which] = value;
            (which == 0 ? tk.settings.Alg1 : which == 1 ? tk.settings.Alg2 : tk.settings.Alg3) = value;
            break;
        }
        case 7:
            tk.settings.AutoStart = !tk.settings.AutoStart;
            model.autoStart = tk.settings.AutoStart;
            break;
        }
        FUZZ_CHECK(tk.registrations.StartContactFree == model.startFree, "the start contact's lock");
        FUZZ_CHECK(tk.registrations.FinishContactFree == model.finishFree, "the light barrier's lock");
        CheckList(tk.registrations.SortGrid2, model.starts, "every start recorded with its moment", checkedStarts + 1);
        CheckList(tk.registrations.SortGrid3, model.finishes, "every finish recorded with its moment",
                  checkedFinishes + 1);
        checkedStarts = static_cast<int>(model.starts.size());
        checkedFinishes = static_cast<int>(model.finishes.size());
    }
    CheckList(tk.registrations.SortGrid2, model.starts, "every start recorded with its moment");
    CheckList(tk.registrations.SortGrid3, model.finishes, "every finish recorded with its moment");
    return 0;
}
