// What the undo history costs at 100,000 objects (the scene of editing_bench: boxes, ellipses
// and polygons of 20 to 120 units at the density of 100,000 objects on 30,000 x 30,000 units).
//
//   DragStep/<Plain|History>/N   one drag step of a box with two followers in a real editing
//                                view, without and with the history recording the gesture
//   GroupMove/<Undo|Redo>/N      undo (redo) of one step that moved 1,000 objects
//   SingleSteps/N                1,000 steps of one object each; counters: the bytes the
//                                history holds and the heap it took, per 1,000 steps
//
//   QT_QPA_PLATFORM=offscreen history_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QMouseEvent>
#include <map>
#include <memory>
#include <random>

#include "mouse_events.h"
#include "scheme/document/scheme_data_editor.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/view/scheme_visual_editor.h"

using namespace scheme;
using scheme::bench::Send;

namespace {

constexpr int kLayer = 1;
constexpr TColor kStateColors[] = {clRed, clLime, clYellow, clAqua};

std::unique_ptr<TSchemeDataEditor> Scene(int N) {
    auto Data = std::make_unique<TSchemeDataEditor>();
    Data->SetTimerInterval(0);
    Data->LayerAdd(kLayer)->SetAllStateColors(kStateColors);
    std::mt19937 Random(20240611u);
    const int Side = int(std::lround(30000.0 * std::sqrt(N / 100000.0)));
    std::uniform_int_distribution<int> Position(0, Side - 121);
    std::uniform_int_distribution<int> Size(20, 120);
    for (int I = 0; I < N; ++I) {
        const int X = Position(Random), Y = Position(Random), W = Size(Random), H = Size(Random);
        if (I % 3 < 2) {
            Data->ObjectAddShapeExt(kLayer, I + 1, X, Y, W, H, I % 4,
                                    I % 3 ? TShapeType::stEllipse : TShapeType::stRectangle);
        } else {
            const TPoint Star[] = {{X, Y}, {X + W, Y + H / 2}, {X + W / 2, Y + H}, {X, Y + H}};
            Data->ObjectAddPolygon(kLayer, I + 1, Star, I % 4, bsSolid, QString(), Star[0]);
        }
    }
    return Data;
}

void BM_DragStep(benchmark::State& State, bool History) {
    const int N = int(State.range(0));
    static std::map<int, std::unique_ptr<TSchemeDataEditor>> Scenes;
    auto& Data = Scenes[N];
    TSchemeShape* Held = nullptr;
    if (!Data) {
        Data = Scene(N);
        Held = Data->ObjectAddShapeExt(kLayer, N + 1, 900, 500, 80, 60, 1, TShapeType::stRectangle);
        TSchemeObject* Parent = Held;
        for (int I = 0; I < 2; ++I) {
            TSchemeShape* F = Data->ObjectAddShapeExt(kLayer, N + 2 + I, 1000 + 60 * I, 500, 40, 40,
                                                      2, TShapeType::stRectangle);
            Data->LinkAdd(Parent, -1, F, -1);
            Parent = F;
        }
    }
    Held = static_cast<TSchemeShape*>(Data->GetLayer(kLayer)->GetItem(N + 1));
    Data->History().SetEnabled(History);
    TSchemeVisualEditor View;
    View.SetColor(clWhite);
    View.SetShowHint(false);
    View.show();
    View.resize(QSize(1920, 1080) + View.size() - View.viewport()->size());
    QApplication::processEvents();
    View.SetSchemeData(Data.get());
    View.Refresh();
    QApplication::processEvents();
    QWidget* Client = View.viewport();
    const TPointExt Home = Held->GetPointsExt(0);
    const QPoint Grab(940, 530);
    Send(Client, QEvent::MouseButtonPress, Grab, Qt::LeftButton, Qt::LeftButton);
    if (View.MovingObject() != Held) {
        State.SkipWithError("the press did not grab the box");
        return;
    }
    int Step = 0;
    for (auto _ : State) {
        const QPoint To = Grab + QPoint((++Step & 1) ? 40 : 0, 0);
        Send(Client, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
    }
    // The gesture ends away from where it began, so that it leaves a step.
    Send(Client, QEvent::MouseMove, Grab + QPoint(80, 0), Qt::NoButton, Qt::LeftButton);
    Send(Client, QEvent::MouseButtonRelease, Grab, Qt::LeftButton, Qt::NoButton);
    View.SetSchemeData(nullptr);
    State.counters["Steps"] = double(Data->History().Count());
    Data->History().SetEnabled(false);
    // The next run starts from the same geometry.
    Held->MoveToExt(Home);
}

// One step that moved every tenth object of the first 10,000.
TSchemeDataEditor& GroupMoved(int N) {
    static std::map<int, std::unique_ptr<TSchemeDataEditor>> Scenes;
    auto& Data = Scenes[N];
    if (Data) return *Data;
    Data = Scene(N);
    Data->History().SetEnabled(true);
    {
        TSchemeHistoryGroup Group(*Data, QStringLiteral("Move 1000"));
        TSchemeLayer* Layer = Data->GetLayer(kLayer);
        for (int I = 0; I < 1000; ++I) {
            TSchemeObject* Obj = Layer->GetItemIndex(I * 10);
            const TPointExt P = Obj->GetPointsExt(0);
            Obj->MoveToExt(PointExt(P.X + 25, P.Y + 15));
        }
    }
    return *Data;
}

void BM_GroupMove(benchmark::State& State, bool Undo) {
    TSchemeHistory& History = GroupMoved(int(State.range(0))).History();
    for (auto _ : State) {
        if (Undo) {
            History.Undo();
        } else {
            State.PauseTiming();
            History.Undo();
            State.ResumeTiming();
        }
        if (Undo) {
            State.PauseTiming();
            History.Redo();
            State.ResumeTiming();
        } else {
            History.Redo();
        }
    }
}

void BM_SingleSteps(benchmark::State& State) {
    const int N = int(State.range(0));
    std::unique_ptr<TSchemeDataEditor> Data = Scene(N);
    TSchemeLayer* Layer = Data->GetLayer(kLayer);
    size_t Bytes = 0, Heap = 0;
    for (auto _ : State) {
        State.PauseTiming();
        Data->History().SetEnabled(false);
        Data->History().SetEnabled(true);
        const size_t Before = mallinfo2().uordblks;
        State.ResumeTiming();
        for (int I = 0; I < 1000; ++I) {
            TSchemeObject* Obj = Layer->GetItemIndex(I * 7);
            Obj->SetState((Obj->State() + 1) % 4);
            Data->History().Flush();
        }
        State.PauseTiming();
        Bytes = Data->History().MemoryUse();
        Heap = mallinfo2().uordblks - Before;
        State.ResumeTiming();
    }
    State.counters["HistoryBytes"] = double(Bytes);
    State.counters["HeapBytes"] = double(Heap);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    for (const bool History : {false, true})
        benchmark::RegisterBenchmark(History ? "DragStep/History" : "DragStep/Plain", BM_DragStep,
                                     History)
            ->Arg(100000)
            ->Unit(benchmark::kMicrosecond)
            ->MinTime(0.5)
            ->UseRealTime();
    for (const bool Undo : {true, false})
        benchmark::RegisterBenchmark(Undo ? "GroupMove/Undo" : "GroupMove/Redo", BM_GroupMove, Undo)
            ->Arg(100000)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    benchmark::RegisterBenchmark("SingleSteps", BM_SingleSteps)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
