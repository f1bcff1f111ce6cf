// Large documents: loading, saving, link lookups, hit tests and tear-down of a document of
// N shapes in 10 layers with one link per two objects.
//
//   document_bench [--benchmark_repetitions=5 --benchmark_report_aggregates_only=true]
#include <benchmark/benchmark.h>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

namespace {

constexpr int kLayers = 10;

// The text of a document of N shapes on a grid and N / 2 links between neighbours.
QStringList DocumentText(int N, bool Captions = false) {
    TSchemeData Data;
    Data.SetTimerInterval(0);
    for (int L = 1; L <= kLayers; ++L) Data.LayerAdd(L);
    std::vector<TSchemeObject*> Objects;
    for (int I = 0; I < N; ++I) {
        const int Layer = 1 + I % kLayers;
        Objects.push_back(Data.ObjectAddShapeExt(Layer, I, (I % 300) * 12.0, (I / 300) * 12.0, 10,
                                                 10, I % 3, TShapeType::stEllipse));
        if (Captions) Objects.back()->SetText(QStringLiteral("P-%1").arg(I));
    }
    for (int I = 0; I + 1 < N; I += 2)
        Data.LinkAdd(Objects[size_t(I)], -1, Objects[size_t(I + 1)], -1);
    QStringList Text;
    Data.SaveToStrings(Text);
    return Text;
}

void Load(TSchemeData& Data, const QStringList& Text) {
    QStringList Lines = Text;
    Data.SetTimerInterval(0);
    Data.LoadFromStrings(Lines);
}

void BM_Load(benchmark::State& State) {
    const QStringList Text = DocumentText(int(State.range(0)));
    for (auto _ : State) {
        TSchemeData Data;
        Load(Data, Text);
        State.PauseTiming();  // tear-down is measured on its own
        Data.LinkClear();
        Data.LayerClear();
        State.ResumeTiming();
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}

void BM_Save(benchmark::State& State) {
    TSchemeData Data;
    Load(Data, DocumentText(int(State.range(0))));
    for (auto _ : State) {
        QStringList Out;
        Data.SaveToStrings(Out);
        benchmark::DoNotOptimize(Out);
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}

void BM_Destroy(benchmark::State& State) {
    const QStringList Text = DocumentText(int(State.range(0)));
    for (auto _ : State) {
        State.PauseTiming();
        auto Data = std::make_unique<TSchemeData>();
        Load(*Data, Text);
        State.ResumeTiming();
        Data.reset();
    }
    State.SetItemsProcessed(State.iterations() * State.range(0));
}

// Argument 1 gives every object a caption, which the hit test must measure.
void BM_HitTest(benchmark::State& State) {
    TSchemeData Data;
    Load(Data, DocumentText(int(State.range(0)), State.range(1) != 0));
    int I = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(Data.ObjectForPoint((I % 300) * 12.0 + 5, 5, 0));
        ++I;
    }
}

}  // namespace

BENCHMARK(BM_Load)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Destroy)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitTest)
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);
