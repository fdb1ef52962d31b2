// Paint times of the user interface, headless: one list screen of eight rows
// with header and soft-key bar composed into the back buffer, and one full
// OnDraw of the view (compose, edit box, present to the window), and a
// ticker step that repaints an unchanged screen. Each is
// repeated and reported as mean, median and spread. The "allocs" counter is
// the number of heap allocations per paint, which should be 0.
//
//   SDL_VIDEODRIVER=dummy build/bin/kestrova_paint_bench
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "support/sample_screens.h"
#include "support/ui_harness.h"
#include "ui/screen_manager.h"

namespace {

std::atomic<long> allocations{0};

}  // namespace

// Counts every allocation of the process; the benches look at the count
// across their timed loops.
void* operator new(std::size_t size) {
  allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace kestrova::test {
namespace {

constexpr int kListScreen = 9;

UiHarness& Harness() {
  static UiHarness harness(KESTROVA_BIN_DIR);
  static bool shown = false;
  if (!shown) {
    harness.Install<SampleListScreen>(kListScreen, SampleChannelRows(8));
    harness.Show(kListScreen);
    harness.Press(0x28);  // focus the long row: it scrolls as a ticker
    shown = true;
  }
  return harness;
}

void PaintListScreen(benchmark::State& state) {
  UiHarness& ui = Harness();
  platform::Bitmap target(240, 320);
  platform::Canvas canvas(target);
  ui::ScreenManager& screens = ui.Screens();
  screens.SetNeedsRedraw();
  screens.Paint(canvas);  // warm the glyph cache
  const long before = allocations.load();
  for (auto _ : state) {
    screens.SetNeedsRedraw();
    screens.Paint(canvas);
    benchmark::DoNotOptimize(target.Row(0));
  }
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

void FullOnDraw(benchmark::State& state) {
  UiHarness& ui = Harness();
  app::CKestrovaView& view = ui.View();
  ui.Screens().SetNeedsRedraw();
  ui.Paint();
  const long before = allocations.load();
  for (auto _ : state) {
    ui.Screens().SetNeedsRedraw();
    ui.Window().Invalidate();
    view.WindowProc(platform::WM_PAINT, 0, 0);
  }
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

// A ticker step of the 200 ms timer: the text rotates and the view paints
// at once with the screen unchanged (back buffer copy, tickers, present).
void TickerStep(benchmark::State& state) {
  UiHarness& ui = Harness();
  app::CKestrovaView& view = ui.View();
  ui.Paint();
  const long before = allocations.load();
  for (auto _ : state) view.WindowProc(platform::WM_TIMER, app::CKestrovaView::kTimerHorizontalTickers, 0);
  state.counters["allocs"] =
      benchmark::Counter(static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
}

BENCHMARK(PaintListScreen)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(FullOnDraw)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);
BENCHMARK(TickerStep)->Unit(benchmark::kMicrosecond)->Repetitions(15)->ReportAggregatesOnly(true);

}  // namespace
}  // namespace kestrova::test

BENCHMARK_MAIN();
