// Costs that must not grow with the document: deleting objects one Id at a time, and moving one
// linked object in code, in documents of 1,000 and 100,000 shapes (10 layers, one link from
// every even object to the next). Compare the per-operation times of the two sizes.
//
//   core_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <memory>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

namespace {

constexpr int kLayers = 10;

int LayerOf(int I) {
    return 1 + I % kLayers;
}

// A counter that reports the time of one of the Count operations of an iteration.
benchmark::Counter PerOperation(double Count) {
    return benchmark::Counter(
        Count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

std::unique_ptr<TSchemeData> Document(int N) {
    auto Data = std::make_unique<TSchemeData>();
    Data->SetTimerInterval(0);
    for (int L = 1; L <= kLayers; ++L) Data->LayerAdd(L);
    std::vector<TSchemeObject*> Objects;
    Objects.reserve(size_t(N));
    for (int I = 0; I < N; ++I)
        Objects.push_back(Data->ObjectAddShapeExt(LayerOf(I), I, (I % 300) * 12.0, (I / 300) * 12.0,
                                                  10, 10, I % 3, TShapeType::stEllipse));
    for (int I = 0; I + 1 < N; I += 2)
        Data->LinkAdd(Objects[size_t(I)], -1, Objects[size_t(I + 1)], -1);
    return Data;
}

// Deletes the linked children (every odd Id), half of the objects, one at a time; the time
// reported is per deletion.
void BM_DeleteHalfById(benchmark::State& State) {
    const int N = int(State.range(0));
    for (auto _ : State) {
        State.PauseTiming();
        std::unique_ptr<TSchemeData> Data = Document(N);
        State.ResumeTiming();
        for (int I = 1; I < N; I += 2) Data->ObjectDelete(LayerOf(I), I);
        State.PauseTiming();
        Data.reset();
        State.ResumeTiming();
    }
    State.counters["per_delete"] = PerOperation(double(N / 2));
}

// The same deletions with the same objects in memory: 100,000 objects in as many documents of
// N as it takes, half of them deleted, each document in turn. Memory touched is the same at
// every N, so what changes with N is what the document's size costs.
void BM_DeleteHalfOf100000ById(benchmark::State& State) {
    const int N = int(State.range(0));
    const int Documents = 100000 / N;
    for (auto _ : State) {
        State.PauseTiming();
        std::vector<std::unique_ptr<TSchemeData>> Data;
        for (int D = 0; D < Documents; ++D) Data.push_back(Document(N));
        State.ResumeTiming();
        for (const auto& One : Data)
            for (int I = 1; I < N; I += 2) One->ObjectDelete(LayerOf(I), I);
        State.PauseTiming();
        Data.clear();
        State.ResumeTiming();
    }
    State.counters["per_delete"] = PerOperation(double(Documents * (N / 2)));
}

// Replaces the linked children by fresh shapes: the document's share of a deletion (the slot,
// the Id index, the links, the repaint) without freeing the objects, which the caller owns.
void BM_ReplaceHalfById(benchmark::State& State) {
    const int N = int(State.range(0));
    for (auto _ : State) {
        State.PauseTiming();
        std::unique_ptr<TSchemeData> Data = Document(N);
        std::vector<std::unique_ptr<TSchemeObject>> Fresh, Released;
        for (int I = 1; I < N; I += 2)
            Fresh.push_back(
                std::make_unique<TSchemeShape>(I, 0, 0, 10, 10, 0, TShapeType::stRectangle));
        Released.reserve(Fresh.size());
        State.ResumeTiming();
        for (int I = 1; I < N; I += 2)
            Released.emplace_back(
                Data->GetLayer(LayerOf(I))->SetItem(I, Fresh[size_t(I / 2)].release()));
        State.PauseTiming();
        Released.clear();
        Data.reset();
        State.ResumeTiming();
    }
    State.counters["per_replace"] = PerOperation(double(N / 2));
}

// The floor under the deletion above: freeing the same shapes outside any document, every
// other one in the order they were made. What this costs per shape at each size is the share
// of the memory the shapes occupy.
void BM_FreeHalfLooseShapes(benchmark::State& State) {
    const int N = int(State.range(0));
    for (auto _ : State) {
        State.PauseTiming();
        std::vector<std::unique_ptr<TSchemeShape>> Shapes;
        Shapes.reserve(size_t(N));
        for (int I = 0; I < N; ++I)
            Shapes.push_back(std::make_unique<TSchemeShape>(I, (I % 300) * 12.0, (I / 300) * 12.0,
                                                            10, 10, I % 3, TShapeType::stEllipse));
        State.ResumeTiming();
        for (int I = 1; I < N; I += 2) Shapes[size_t(I)].reset();
        State.PauseTiming();
        Shapes.clear();
        State.ResumeTiming();
    }
    State.counters["per_delete"] = PerOperation(double(N / 2));
}

// Moves a parent in the middle of the document back and forth; its linked child follows.
void BM_MoveLinked(benchmark::State& State) {
    const int N = int(State.range(0));
    std::unique_ptr<TSchemeData> Data = Document(N);
    const int Id = (N / 2) & ~1;
    TSchemeObject* Parent = Data->GetLayer(LayerOf(Id))->GetItem(Id);
    const TPointExt Home = Parent->GetPointsExt(0);
    int Step = 0;
    for (auto _ : State) {
        Parent->MoveToExt(PointExt(Home.X + (++Step & 1), Home.Y));
    }
}

}  // namespace

BENCHMARK(BM_DeleteHalfById)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeleteHalfOf100000ById)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReplaceHalfById)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeHalfLooseShapes)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveLinked)->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond);
