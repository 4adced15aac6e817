// Formatted notes of 100 KB of RTF (bold, italic, coloured runs, bullet
// paragraphs): reading and writing the RTF alone, and showing it in the
// Item page's memo, which is what opening the page on such an idea costs
// (target: under 50 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <string>

#include "gui/db_memo.h"
#include "rtf/rtf_document.h"

using namespace notarra;

namespace {

// About 100 KB of RTF; variant makes two different texts of the same size.
std::string Notes(int variant) {
  std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red192\\green0\\blue0;}\n";
  for (int i = 0; rtf.size() < 100 * 1024; ++i) {
    rtf += (i % 4 == 3) ? "\\pard{\\pntext\\'b7\\tab}{\\*\\pn\\pnlvlblt{\\pntxtb\\'b7}}\\fi-360\\li360 " : "\\pard ";
    rtf += "{\\b Point " + std::to_string(i + variant) + ".} Some text with {\\i caf\\'e9} and {\\cf1 colour} "
           "that goes on for a while, as notes do.\\par\n";
  }
  return rtf + "}";
}

void BM_ReadRtf100KB(benchmark::State& state) {
  const std::string rtf = Notes(0);
  for (auto _ : state) benchmark::DoNotOptimize(ReadRtf(rtf));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(rtf.size()));
}

void BM_WriteRtf100KB(benchmark::State& state) {
  const TRtfDocument doc = ReadRtf(Notes(0));
  for (auto _ : state) benchmark::DoNotOptimize(WriteRtf(doc));
}

void BM_ShowInMemo100KB(benchmark::State& state) {
  TDBMemo memo;
  memo.SetFormattedText(true);
  memo.resize(400, 300);
  memo.show();
  const std::string notes[] = {Notes(0), Notes(1)};
  int i = 0;
  for (auto _ : state) {
    memo.SetText(notes[i ^= 1]);
    QCoreApplication::processEvents();  // the layout and first paint
  }
}

}  // namespace

BENCHMARK(BM_ReadRtf100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtf100KB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ShowInMemo100KB)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
