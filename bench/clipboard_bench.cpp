// Copy and paste of 10,000 of a document's 100,000 shapes (in 10 layers, one link per two
// objects, so that every second copied object takes its link along).
//
//   Clipboard/Copy     the objects as document text
//   Clipboard/Paste    that text pasted into the same document (new Ids, offset, selected),
//                      one step of its history; the step is undone outside the timing
//
//   clipboard_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include "scheme/document/scheme_clipboard.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

namespace {

constexpr int kObjects = 100000;
constexpr int kCopied = 10000;

struct TScene {
    TSchemeData Data;
    std::vector<TSchemeObject*> Copied;
    TScene() {
        Data.SetTimerInterval(0);
        for (int L = 1; L <= 10; ++L) Data.LayerAdd(L);
        std::vector<TSchemeObject*> All;
        for (int I = 0; I < kObjects; ++I)
            All.push_back(Data.ObjectAddShapeExt(1 + I % 10, I, (I % 300) * 12.0, (I / 300) * 12.0,
                                                 10, 10, I % 3, TShapeType::stEllipse));
        for (int I = 0; I + 1 < kObjects; I += 2)
            Data.LinkAdd(All[size_t(I)], -1, All[size_t(I + 1)], -1);
        Copied.assign(All.begin(), All.begin() + kCopied);
        Data.History().SetEnabled(true);
    }
};

TScene& Scene() {
    static TScene S;
    return S;
}

void BM_Copy(benchmark::State& State) {
    TScene& S = Scene();
    for (auto _ : State) benchmark::DoNotOptimize(TSchemeClipboard::Text(S.Data, S.Copied));
}

void BM_Paste(benchmark::State& State) {
    TScene& S = Scene();
    const QStringList Text = TSchemeClipboard::Text(S.Data, S.Copied);
    for (auto _ : State) {
        TSchemeClipboard::Paste(S.Data, Text, 5, 5);
        State.PauseTiming();
        S.Data.History().Undo();
        State.ResumeTiming();
    }
}

BENCHMARK(BM_Copy)->Name("Clipboard/Copy")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Paste)->Name("Clipboard/Paste")->Unit(benchmark::kMillisecond);

}  // namespace
