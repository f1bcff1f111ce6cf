// One drag step in the editing view, at 1,000 and at 100,000 objects: a mouse move sent to a
// real TSchemeVisualEditor on the offscreen platform, which changes the held object, invalidates
// its own difference area, moves its followers along links and repaints that area at once.
//
// The scene (fixed seed) keeps the density of 100,000 objects on 30,000 x 30,000 world units
// whatever the count: boxes, ellipses and star-shaped polygons of 20 to 120 units, one layer.
// The view shows 1920 x 1080 client pixels at zoom 1 from world (0, 0), so that the same number
// of objects lies under it at every count. The held box (80 x 60, its hooks shown) sits in the
// middle of the view; a step moves the pointer 40 pixels and the next one back.
//
//   Drag/<Body|Hook>/<Alone|Followers>/N
//   Followers: the body drags a chain of two boxes, the bottom-right corner a third box.
//
//   RubberBand/N: a press on empty space, a move and a release that select what a band over a
//   tenth of the world encloses (at zoom 0.11, where the view shows most of the world).
//   GroupDrag/N: one drag step of the held box with about 1,000 selected objects.
//
//   QT_QPA_PLATFORM=offscreen editing_bench --benchmark_repetitions=5
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
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
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kStep = 40;
constexpr TColor kStateColors[] = {clRed, clLime, clYellow, clAqua};

struct TWorld {
    std::unique_ptr<TSchemeDataEditor> Data;
    TSchemeShape* Held = nullptr;
};

void AddScene(TSchemeDataEditor& Data, int N) {
    std::mt19937 Random(20240611u);
    const int Side = int(std::lround(30000.0 * std::sqrt(N / 100000.0)));
    std::uniform_int_distribution<int> Position(0, Side - 121);
    std::uniform_int_distribution<int> Size(20, 120);
    std::uniform_int_distribution<int> State(0, 3);
    for (int I = 0; I < N; ++I) {
        const int X = Position(Random), Y = Position(Random), W = Size(Random), H = Size(Random);
        if (I % 3 < 2) {
            Data.ObjectAddShapeExt(kLayer, I + 1, X, Y, W, H, State(Random),
                                   I % 3 ? TShapeType::stEllipse : TShapeType::stRectangle);
            continue;
        }
        TPoint Star[6];
        for (int V = 0; V < 6; ++V) {
            const double Angle = M_PI * V / 3, Reach = V % 2 ? 0.5 : 1.0;
            Star[V] = TPoint{X + W / 2 + int(Reach * W / 2 * std::cos(Angle)),
                             Y + H / 2 + int(Reach * H / 2 * std::sin(Angle))};
        }
        Data.ObjectAddPolygon(kLayer, I + 1, Star, State(Random), TBrushStyle::bsSolid, QString(),
                              Star[0]);
    }
}

// Built once per count and per follower setting; the held box and its followers come last, on
// top of the scene.
TWorld& World(int N, bool Followers) {
    static std::map<std::pair<int, bool>, TWorld> Worlds;
    TWorld& W = Worlds[{N, Followers}];
    if (W.Data) return W;
    W.Data = std::make_unique<TSchemeDataEditor>();
    W.Data->SetTimerInterval(0);
    W.Data->LayerAdd(kLayer)->SetAllStateColors(kStateColors);
    AddScene(*W.Data, N);
    W.Held = W.Data->ObjectAddShapeExt(kLayer, N + 1, 900, 500, 80, 60, 1, TShapeType::stRectangle);
    W.Held->SetResized(true);
    if (Followers) {
        TSchemeObject* Parent = W.Held;
        for (int I = 0; I < 2; ++I) {
            TSchemeShape* F = W.Data->ObjectAddShapeExt(kLayer, N + 2 + I, 1000 + 60 * I, 500, 40,
                                                        40, 2, TShapeType::stRectangle);
            W.Data->LinkAdd(Parent, -1, F, -1);
            Parent = F;
        }
        TSchemeShape* Corner =
            W.Data->ObjectAddShapeExt(kLayer, N + 4, 1000, 580, 30, 30, 3, TShapeType::stEllipse);
        W.Data->LinkAdd(W.Held, 2, Corner, -1);
    }
    return W;
}

void BM_Drag(benchmark::State& State, bool Hook, bool Followers) {
    TWorld& W = World(int(State.range(0)), Followers);
    TSchemeVisualEditor View;
    View.SetColor(clWhite);
    View.SetShowHint(false);
    View.show();
    View.resize(QSize(kViewWidth, kViewHeight) + View.size() - View.viewport()->size());
    QApplication::processEvents();
    View.SetSchemeData(W.Data.get());
    View.Refresh();
    QApplication::processEvents();
    QWidget* Client = View.viewport();
    const TPointExt Home = W.Held->GetPointsExt(0);
    // The middle of the box, or its bottom-right corner.
    const QPoint Grab = Hook ? QPoint(980, 560) : QPoint(940, 530);
    Send(Client, QEvent::MouseButtonPress, Grab, Qt::LeftButton, Qt::LeftButton);
    if (View.MovingObject() != W.Held || (View.MovingDetail() == 2) != Hook) {
        State.SkipWithError("the press did not grab the box's part");
        return;
    }
    int Paints = 0;
    View.OnPaint = [&](TObject*, TCanvas&) { ++Paints; };
    int Step = 0;
    for (auto _ : State) {
        const QPoint To = Grab + QPoint((++Step & 1) ? kStep : 0, 0);
        Send(Client, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
    }
    Send(Client, QEvent::MouseButtonRelease, Grab, Qt::LeftButton, Qt::NoButton);
    View.SetSchemeData(nullptr);
    // The next benchmark starts from the same geometry.
    W.Held->SetRect(Home.X, Home.Y, 80, 60, 0, false);
    W.Held->AnnounceChange();
    // Every step is painted before the next one: one paint of the view per step.
    State.counters["Paints/step"] = double(Paints) / double(std::max(Step, 1));
}

// A shown editing view of 1920 x 1080 client pixels over the world's document.
std::unique_ptr<TSchemeVisualEditor> ShownView(TWorld& W, Extended Zoom) {
    auto View = std::make_unique<TSchemeVisualEditor>();
    View->SetColor(clWhite);
    View->SetShowHint(false);
    View->show();
    View->resize(QSize(kViewWidth, kViewHeight) + View->size() - View->viewport()->size());
    View->SetZoom(Zoom);
    QApplication::processEvents();
    View->SetSchemeData(W.Data.get());
    View->Refresh();
    QApplication::processEvents();
    return View;
}

void BM_RubberBand(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)), false);
    constexpr Extended kZoom = 0.11L;
    const std::unique_ptr<TSchemeVisualEditor> View = ShownView(W, kZoom);
    QWidget* Client = View->viewport();
    // A tenth of the world's area, from a corner where nothing lies under the press.
    const int Side = int(std::lround(30000.0 * std::sqrt(State.range(0) / 100000.0) *
                                     std::sqrt(0.1) * double(kZoom)));
    const QPoint From(Client->width() - 2, 1), To(From.x() - Side, From.y() + Side);
    size_t Selected = 0;
    for (auto _ : State) {
        Send(Client, QEvent::MouseButtonPress, From, Qt::LeftButton, Qt::LeftButton);
        Send(Client, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
        Send(Client, QEvent::MouseButtonRelease, To, Qt::LeftButton, Qt::NoButton);
        State.PauseTiming();
        Selected = size_t(W.Data->SelectedCount());
        W.Data->ClearSelection();
        QApplication::processEvents();
        State.ResumeTiming();
    }
    State.counters["Selected"] = double(Selected);
    View->SetSchemeData(nullptr);
}

void BM_GroupDrag(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)), false);
    const std::unique_ptr<TSchemeVisualEditor> View = ShownView(W, 1);
    // About a thousand objects around the held box, at the density of the scene.
    const Extended Side = 4600;
    std::vector<TSchemeObject*> Group =
        W.Data->ObjectsInside(940 - Side / 2, 530 - Side / 2, 940 + Side / 2, 530 + Side / 2);
    W.Data->SelectObjects(Group, TSchemeData::TSelectMode::Replace);
    // Without hooks the press holds the body.
    W.Held->SetResized(false);
    QWidget* Client = View->viewport();
    const QPoint Grab(940, 530);
    Send(Client, QEvent::MouseButtonPress, Grab, Qt::LeftButton, Qt::LeftButton);
    if (View->MovingObject() != W.Held || View->MovingGroup().size() < 2) {
        State.SkipWithError(QStringLiteral("the press did not grab the selection: %1 %2 %3 %4")
                                .arg(View->MovingObject() == W.Held)
                                .arg(View->MovingGroup().size())
                                .arg(Group.size())
                                .arg(View->MovingDetail())
                                .toStdString()
                                .c_str());
        return;
    }
    int Step = 0;
    for (auto _ : State) {
        const QPoint To = Grab + QPoint((++Step & 1) ? kStep : 0, 0);
        Send(Client, QEvent::MouseMove, To, Qt::NoButton, Qt::LeftButton);
    }
    State.counters["Group"] = double(View->MovingGroup().size());
    // Back where the group began, for the next run.
    Send(Client, QEvent::MouseMove, Grab, Qt::NoButton, Qt::LeftButton);
    Send(Client, QEvent::MouseButtonRelease, Grab, Qt::LeftButton, Qt::NoButton);
    W.Data->ClearSelection();
    W.Held->SetResized(true);
    View->SetSchemeData(nullptr);
}

void Args(benchmark::internal::Benchmark* B) {
    B->Arg(1000)->Arg(100000)->Unit(benchmark::kMicrosecond)->MinTime(0.5)->UseRealTime();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    for (const bool Hook : {false, true})
        for (const bool Followers : {false, true})
            benchmark::RegisterBenchmark(QStringLiteral("Drag/%1/%2")
                                             .arg(Hook ? "Hook" : "Body")
                                             .arg(Followers ? "Followers" : "Alone")
                                             .toStdString()
                                             .c_str(),
                                         BM_Drag, Hook, Followers)
                ->Apply(Args);
    benchmark::RegisterBenchmark("RubberBand", BM_RubberBand)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("GroupDrag", BM_GroupDrag)
        ->Arg(100000)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
