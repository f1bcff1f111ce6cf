// Large documents against Qt Graphics View and against plain QPainter and byte-level floors, on
// one scene, so that every figure is a ratio measured within one run.
//
// The scene (fixed seed) holds N objects in a square world whose side grows with sqrt(N), so
// that the density stays that of 100,000 objects on 30,000 x 30,000 units: 30% rectangles, 30%
// ellipses, 30% star-shaped polygons of 3 to 8 vertices (every second vertex on half the
// radius), 10% texts; sizes 20 to 120 units; one layer with four state colours. The same shapes
// go into a TSchemeData, into a QGraphicsScene (default BSP index) and into plain structs.
//
// Figures, each with the library, Graphics View and floor variants side by side:
//   HitTest  the topmost object at random points;
//   Repaint  a 1920 x 1080 image of the world at three zooms (case 0: the view covers 1% of the
//            world's area; 1: zoom 1; 2: the whole world visible);
//   Move     one object moved, the union of its old and new area repainted;
//   Blink    one blink pass over 10 selected objects;
//   Load     reading the saved document (LoadPair: the library's load and the floor's taking
//            turns); Save writing it (SavePair likewise);
//   Memory   heap bytes per object after building in code and after loading, indexes built;
//   Delete   one object deleted by Id and added back, the spatial index built, at constant
//            memory.
// Repaints run through the library's canvas and TSchemeVisual, and through the scene's render()
// and a real QGraphicsView widget's paint event.
// The table at the end gives the median of each figure and the library's ratios.
//
//   QT_QPA_PLATFORM=offscreen large_document_bench --benchmark_repetitions=3
//       --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QGraphicsEllipseItem>
#include <QGraphicsPolygonItem>
#include <QGraphicsRectItem>
#include <QGraphicsScene>
#include <QGraphicsSimpleTextItem>
#include <QGraphicsView>
#include <QImage>
#include <QPainter>
#include <QSaveFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <numeric>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_box.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_polygon.h"
#include "scheme/model/scheme_text.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/metafile.h"
#include "scheme/view/scheme_visual.h"

using namespace scheme;

namespace {

constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kLayer = 1;
constexpr int kStates = 4;
constexpr TColor kStateColors[kStates] = {clRed, clLime, clYellow, clAqua};
constexpr int kMaxVertices = 8;
constexpr int kMaxSize = 120;
// The zoom TSchemeVisual::SetZoom refuses at and below.
constexpr double kViewMinZoom = 0.1;
constexpr int kMoveStep = 40;
constexpr int kBlinkObjects = 10;

QColor ToQColor(TColor C) {
    return QColor(C & 0xFF, (C >> 8) & 0xFF, (C >> 16) & 0xFF);
}

// A counter that reports the time of one of the Count operations of an iteration.
benchmark::Counter PerOperation(double Count) {
    return benchmark::Counter(
        Count, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Heap bytes in use, all arenas, mapped blocks included.
double HeapInUse() {
    const struct mallinfo2 M = mallinfo2();
    return double(M.uordblks + M.hblkhd);
}

// ---- the scene -----------------------------------------------------------------------------

enum class TKind : std::uint8_t { Rectangle, Ellipse, Polygon, Text };

// One object of the floor: its kind, state, box (world units, right = Left + width) and, for
// polygons, its vertices.
struct TPlainObject {
    TKind Kind = TKind::Rectangle;
    int Id = 0;
    int State = 0;
    int Count = 0;
    QRect Box;
    std::array<QPoint, kMaxVertices> Points{};
    QString Text;
};

double SideFor(int N) {
    return 30000.0 * std::sqrt(N / 100000.0);
}

int WorldSide(int N) {
    return int(std::lround(SideFor(N)));
}

QRect BoxOf(const QPoint* Points, int Count) {
    int L = Points[0].x(), T = Points[0].y(), R = L, B = T;
    for (int I = 1; I < Count; ++I) {
        L = std::min(L, Points[I].x());
        R = std::max(R, Points[I].x());
        T = std::min(T, Points[I].y());
        B = std::max(B, Points[I].y());
    }
    return QRect(L, T, R - L, B - T);
}

std::vector<TPlainObject> MakeScene(int N) {
    std::mt19937 Random(20240611u);
    const int Side = WorldSide(N);
    std::uniform_int_distribution<int> Position(0, Side - kMaxSize - 1);
    std::uniform_int_distribution<int> Size(20, kMaxSize);
    std::uniform_int_distribution<int> TextHeight(20, 40);
    std::uniform_int_distribution<int> State(0, kStates - 1);
    std::uniform_int_distribution<int> Vertices(3, kMaxVertices);
    std::vector<TPlainObject> Objects(static_cast<size_t>(N));
    for (int I = 0; I < N; ++I) {
        TPlainObject& O = Objects[size_t(I)];
        O.Id = I + 1;
        O.State = State(Random);
        const int X = Position(Random), Y = Position(Random);
        const int W = Size(Random), H = Size(Random);
        const int Kind = I % 10;
        if (Kind < 3) {
            O.Kind = TKind::Rectangle;
            O.Box = QRect(X, Y, W, H);
        } else if (Kind < 6) {
            O.Kind = TKind::Ellipse;
            O.Box = QRect(X, Y, W, H);
        } else if (Kind < 9) {
            O.Kind = TKind::Polygon;
            O.Count = Vertices(Random);
            const double CX = X + W / 2.0, CY = Y + H / 2.0;
            for (int V = 0; V < O.Count; ++V) {
                const double Angle = 2 * M_PI * V / O.Count - M_PI / 2;
                const double Reach = (V % 2 == 1 && O.Count >= 4) ? 0.5 : 1.0;
                O.Points[size_t(V)] =
                    QPoint(int(std::lround(CX + Reach * W / 2 * std::cos(Angle))),
                           int(std::lround(CY + Reach * H / 2 * std::sin(Angle))));
            }
            O.Box = BoxOf(O.Points.data(), O.Count);
        } else {
            O.Kind = TKind::Text;
            const int TH = TextHeight(Random);
            O.Box = QRect(X, Y, std::clamp(W, TH * 5 / 2, kMaxSize), TH);
            O.Text = QStringLiteral("T%1").arg(I % 1000);
        }
    }
    return Objects;
}

void AddToDocument(TSchemeData& Data, const TPlainObject& O) {
    const QRect& B = O.Box;
    switch (O.Kind) {
        case TKind::Rectangle:
        case TKind::Ellipse:
            Data.ObjectAddShapeExt(
                kLayer, O.Id, B.x(), B.y(), B.width(), B.height(), O.State,
                O.Kind == TKind::Rectangle ? TShapeType::stRectangle : TShapeType::stEllipse);
            break;
        case TKind::Polygon: {
            std::array<TPoint, kMaxVertices> Points;
            for (int V = 0; V < O.Count; ++V)
                Points[size_t(V)] = TPoint{O.Points[size_t(V)].x(), O.Points[size_t(V)].y()};
            Data.ObjectAddPolygon(kLayer, O.Id,
                                  std::span<const TPoint>(Points.data(), size_t(O.Count)), O.State,
                                  TBrushStyle::bsSolid, QString(), Points[0]);
            break;
        }
        case TKind::Text: {
            auto Text = std::make_unique<TSchemeText>(O.Id, B.x(), B.y(), B.width(), B.height(),
                                                      O.State, O.Text);
            Data.ObjectAddDirect(kLayer, Text.get());
            Text.release();  // the layer owns it now
            break;
        }
    }
}

std::unique_ptr<TSchemeData> EmptyDocument() {
    auto Data = std::make_unique<TSchemeData>();
    Data->SetTimerInterval(0);
    return Data;
}

std::unique_ptr<TSchemeData> BuildDocument(const std::vector<TPlainObject>& Objects) {
    auto Data = EmptyDocument();
    Data->LayerAdd(kLayer)->SetAllStateColors(kStateColors);
    for (const TPlainObject& O : Objects) AddToDocument(*Data, O);
    return Data;
}

QPen OutlinePen() {
    return QPen(Qt::black, 0);  // cosmetic: one pixel at every zoom, as the library draws
}

// The font of a text item: glyphs about as high as the library's auto-sized text.
int TextPixels(int BoxHeight, double Zoom) {
    return std::max(1, int(BoxHeight * Zoom * 0.8));
}

struct TGraphicsWorld {
    std::unique_ptr<QGraphicsScene> Scene;
    std::vector<QAbstractGraphicsShapeItem*> Items;
};

// The pen and brushes items share, as a scene built with care shares them.
struct TItemStyle {
    QPen Pen = OutlinePen();
    QBrush Brushes[kStates];
    QFont Font;
    TItemStyle() {
        for (int S = 0; S < kStates; ++S) Brushes[S] = QBrush(ToQColor(kStateColors[S]));
    }
};

// The item of a plain object, positioned at its box's top-left corner.
QAbstractGraphicsShapeItem* MakeItem(const TPlainObject& O, TItemStyle& Style) {
    const QRectF Local(0, 0, O.Box.width(), O.Box.height());
    QAbstractGraphicsShapeItem* Item = nullptr;
    switch (O.Kind) {
        case TKind::Rectangle:
            Item = new QGraphicsRectItem(Local);
            break;
        case TKind::Ellipse:
            Item = new QGraphicsEllipseItem(Local);
            break;
        case TKind::Polygon: {
            QPolygonF Polygon;
            Polygon.reserve(O.Count);
            for (int V = 0; V < O.Count; ++V)
                Polygon.append(QPointF(O.Points[size_t(V)] - O.Box.topLeft()));
            Item = new QGraphicsPolygonItem(Polygon);
            break;
        }
        case TKind::Text: {
            auto* Text = new QGraphicsSimpleTextItem(O.Text);
            Style.Font.setPixelSize(TextPixels(O.Box.height(), 1.0));
            Text->setFont(Style.Font);
            Item = Text;
            break;
        }
    }
    if (O.Kind != TKind::Text) Item->setPen(Style.Pen);
    Item->setBrush(Style.Brushes[O.State]);
    Item->setPos(O.Box.topLeft());
    return Item;
}

// Insertion order is stacking order, the last on top, as in the library's layer.
TGraphicsWorld BuildScene(const std::vector<TPlainObject>& Objects, int Side) {
    TGraphicsWorld World;
    World.Scene = std::make_unique<QGraphicsScene>(0, 0, Side, Side);
    World.Items.reserve(Objects.size());
    TItemStyle Style;
    for (const TPlainObject& O : Objects) {
        QAbstractGraphicsShapeItem* Item = MakeItem(O, Style);
        World.Scene->addItem(Item);
        World.Items.push_back(Item);
    }
    // The BSP index is built at the first query; a scene is only usable once it has one.
    World.Scene->itemAt(QPointF(0, 0), QTransform());
    return World;
}

// ---- the floor's file reading and writing ----------------------------------------------------

int ToInt(const char* Begin, const char* End) {
    int Value = 0;
    std::from_chars(Begin, End, Value);
    return Value;
}

// A line scanner over the document text: class lines start a record, "Key=Value" lines fill it,
// End closes it. Only the keys that make the plain object are read. Appends to Objects, so that
// a caller can hand in a list whose memory is already in use.
void ParsePlain(const QByteArray& Bytes, std::vector<TPlainObject>& Objects) {
    const char* P = Bytes.constData();
    const char* const End = P + Bytes.size();
    TPlainObject O;
    bool InObject = false;
    int Shape = 0;
    std::array<QPoint, 100> Points{};
    while (P < End) {
        const char* LineEnd = static_cast<const char*>(std::memchr(P, '\n', size_t(End - P)));
        if (!LineEnd) LineEnd = End;
        const char* S = P;
        const char* E = LineEnd;
        P = LineEnd + 1;
        if (E > S && E[-1] == '\r') --E;
        if (S == E) continue;
        if (*S != ' ') {
            const size_t Length = size_t(E - S);
            if (Length == 3 && std::memcmp(S, "End", 3) == 0) {
                if (InObject) {
                    const int Count = std::clamp(O.Count, 1, int(Points.size()));
                    O.Box = BoxOf(Points.data(), Count);
                    if (O.Kind == TKind::Polygon) {
                        O.Count = std::min(Count, kMaxVertices);
                        std::copy_n(Points.begin(), O.Count, O.Points.begin());
                    } else {
                        O.Count = 0;
                        if (O.Kind != TKind::Text)
                            O.Kind = Shape == 4 ? TKind::Ellipse : TKind::Rectangle;
                    }
                    Objects.push_back(std::move(O));
                }
                InObject = false;
                continue;
            }
            O = TPlainObject();
            Shape = 0;
            InObject = true;
            if (Length == 12 && std::memcmp(S, "TSchemeShape", 12) == 0)
                O.Kind = TKind::Rectangle;
            else if (Length == 14 && std::memcmp(S, "TSchemePolygon", 14) == 0)
                O.Kind = TKind::Polygon;
            else if (Length == 11 && std::memcmp(S, "TSchemeText", 11) == 0)
                O.Kind = TKind::Text;
            else
                InObject = false;
            continue;
        }
        if (!InObject) continue;
        while (S < E && *S == ' ') ++S;
        const char* Eq = static_cast<const char*>(std::memchr(S, '=', size_t(E - S)));
        if (!Eq) continue;
        const char* V = Eq + 1;
        const size_t KeyLength = size_t(Eq - S);
        if ((*S == 'X' || *S == 'Y') && KeyLength > 1) {
            const int Index = ToInt(S + 1, Eq);
            if (Index < 0 || Index >= int(Points.size())) continue;
            if (*S == 'X')
                Points[size_t(Index)].setX(ToInt(V, E));
            else
                Points[size_t(Index)].setY(ToInt(V, E));
        } else if (KeyLength == 2 && std::memcmp(S, "ID", 2) == 0) {
            O.Id = ToInt(V, E);
        } else if (KeyLength == 5 && std::memcmp(S, "State", 5) == 0) {
            O.State = ToInt(V, E);
        } else if (KeyLength == 5 && std::memcmp(S, "Count", 5) == 0) {
            O.Count = ToInt(V, E);
        } else if (KeyLength == 5 && std::memcmp(S, "Shape", 5) == 0) {
            Shape = ToInt(V, E);
        } else if (KeyLength == 4 && std::memcmp(S, "Text", 4) == 0) {
            O.Text = QString::fromUtf8(V, E - V);
        }
    }
}

std::vector<TPlainObject> ParsePlain(const QByteArray& Bytes) {
    std::vector<TPlainObject> Objects;
    ParsePlain(Bytes, Objects);
    Objects.shrink_to_fit();
    return Objects;
}

void Append(std::string& Out, std::string_view Text) {
    Out.append(Text);
}

void AppendNumber(std::string& Out, int Value) {
    char Digits[16];
    const auto Result = std::to_chars(Digits, Digits + sizeof Digits, Value);
    Out.append(Digits, size_t(Result.ptr - Digits));
}

void AppendKey(std::string& Out, std::string_view Key, int Value) {
    Out.append("  ");
    Out.append(Key);
    Out.push_back('=');
    AppendNumber(Out, Value);
    Out.append("\r\n");
}

void AppendPoint(std::string& Out, int Index, const QPoint& P) {
    Out.append("  X");
    AppendNumber(Out, Index);
    Out.push_back('=');
    AppendNumber(Out, P.x());
    Out.append("\r\n  Y");
    AppendNumber(Out, Index);
    Out.push_back('=');
    AppendNumber(Out, P.y());
    Out.append("\r\n");
}

// The document's lines for the plain objects, record for record as the library writes them,
// into Out, whose memory is reused.
void FormatPlain(const std::vector<TPlainObject>& Objects, std::string& Out) {
    Out.clear();
    Out.reserve(Objects.size() * 200);
    Append(Out, "TSchemeData\r\n  TimerInterval=0\r\nEnd\r\nTSchemeLayer\r\n  ID=1\r\n");
    Append(Out, "  StateCount=4\r\n  Color0=clRed\r\n  Color1=clLime\r\n  Color2=clYellow\r\n");
    Append(Out, "  Color3=clAqua\r\nEnd\r\n");
    for (const TPlainObject& O : Objects) {
        Append(Out, O.Kind == TKind::Polygon ? "TSchemePolygon\r\n"
                    : O.Kind == TKind::Text  ? "TSchemeText\r\n"
                                             : "TSchemeShape\r\n");
        AppendKey(Out, "ID", O.Id);
        AppendKey(Out, "State", O.State);
        AppendKey(Out, "LayerID", kLayer);
        if (O.Kind == TKind::Text) {
            Out.append("  Text=");
            Out.append(O.Text.toStdString());
            Out.append("\r\n");
        }
        if (O.Kind == TKind::Polygon) {
            AppendKey(Out, "Count", O.Count);
            for (int V = 0; V < O.Count; ++V) AppendPoint(Out, V, O.Points[size_t(V)]);
        } else {
            const QRect& B = O.Box;
            const int R = B.x() + B.width(), Bottom = B.y() + B.height();
            AppendKey(Out, "Count", 4);
            AppendPoint(Out, 0, QPoint(B.x(), B.y()));
            AppendPoint(Out, 1, QPoint(R, B.y()));
            AppendPoint(Out, 2, QPoint(R, Bottom));
            AppendPoint(Out, 3, QPoint(B.x(), Bottom));
            if (O.Kind != TKind::Text) AppendKey(Out, "Shape", O.Kind == TKind::Ellipse ? 4 : 0);
        }
        Append(Out, "End\r\n");
    }
}

// ---- one world per size --------------------------------------------------------------------

struct TWorld {
    int N = 0;
    int Side = 0;
    std::vector<TPlainObject> Objects;
    std::unique_ptr<TSchemeData> Data;
    TGraphicsWorld Graphics;
    QTemporaryDir Directory;
    QString File;
    std::vector<QPoint> Probes;
};

std::map<int, std::unique_ptr<TWorld>>& Worlds() {
    static std::map<int, std::unique_ptr<TWorld>> All;
    return All;
}

TWorld& World(int N) {
    std::unique_ptr<TWorld>& Slot = Worlds()[N];
    if (!Slot) {
        Slot = std::make_unique<TWorld>();
        TWorld& W = *Slot;
        W.N = N;
        W.Side = WorldSide(N);
        W.Objects = MakeScene(N);
        W.Data = BuildDocument(W.Objects);
        // The spatial index is built on first use, like the scene's BSP index below: neither
        // build is part of a timed figure.
        W.Data->ObjectForPoint(0, 0, 0);
        W.Graphics = BuildScene(W.Objects, W.Side);
        W.File = W.Directory.filePath(QStringLiteral("world.txt"));
        W.Data->SaveToFile(W.File);
        std::mt19937 Random(7u);
        std::uniform_int_distribution<int> Coordinate(0, W.Side - 1);
        for (int I = 0; I < 4096; ++I)
            W.Probes.emplace_back(Coordinate(Random), Coordinate(Random));
    }
    return *Slot;
}

// ---- what a 1920 x 1080 view shows ---------------------------------------------------------

struct TViewSetup {
    double Zoom = 1;
    // The zoomed pixel at the image's top-left corner.
    TPoint Origin;
    // The world point in the middle, for views that centre themselves.
    TPoint Centre;
    bool Centred = true;
};

TViewSetup ViewFor(int N, int Case) {
    const double Side = WorldSide(N);
    TViewSetup V;
    V.Centre = TPoint{int(Side / 2), int(Side / 2)};
    switch (Case) {
        case 0:  // the viewport covers 1% of the world's area
            V.Zoom = 10 * std::sqrt(double(kViewWidth) * kViewHeight) / Side;
            break;
        case 1:
            V.Zoom = 1;
            break;
        default:  // everything visible
            V.Zoom = kViewHeight / Side;
            V.Centred = false;
            break;
    }
    // As the view centres itself: the centre's zoomed pixel in the library's precision.
    if (V.Centred)
        V.Origin = TPoint{Trunc(V.Centre.X * Extended(V.Zoom)) - kViewWidth / 2,
                          Trunc(V.Centre.Y * Extended(V.Zoom)) - kViewHeight / 2};
    return V;
}

QImage ViewImage() {
    QImage Image(kViewWidth, kViewHeight, QImage::Format_RGB32);
    Image.fill(Qt::white);
    return Image;
}

// The client pixels (relative to the origin) of a rectangle in zoomed pixels, on the image.
QRect ToClient(const TRect& Zoomed, const TViewSetup& V) {
    return QRect(Zoomed.Left - V.Origin.X, Zoomed.Top - V.Origin.Y, Zoomed.Width(),
                 Zoomed.Height()) &
           QRect(0, 0, kViewWidth, kViewHeight);
}

QRect ToClient(const QRectF& World, const TViewSetup& V) {
    return QRectF(World.x() * V.Zoom - V.Origin.X, World.y() * V.Zoom - V.Origin.Y,
                  World.width() * V.Zoom, World.height() * V.Zoom)
               .toAlignedRect()
               .adjusted(-1, -1, 1, 1) &
           QRect(0, 0, kViewWidth, kViewHeight);
}

// The library's painting of a repaint: the document painted through a canvas whose window
// origin is the view's and whose clip is the area to repaint, which is what a view's paint
// hands the document.
void PaintLibrary(TSchemeData& Data, QImage& Image, const TViewSetup& V, const QRect& Client) {
    QPainter Painter(&Image);
    Painter.fillRect(Client, Qt::white);
    TCanvas Canvas(&Painter);
    Canvas.SetWindowOrg(V.Origin);
    Canvas.SetClipRect(TRect{V.Origin.X + Client.left(), V.Origin.Y + Client.top(),
                             V.Origin.X + Client.left() + Client.width(),
                             V.Origin.Y + Client.top() + Client.height()});
    Data.PaintDirectInCanvas(Canvas, 0, 0, V.Zoom, 0);
}

QRectF WorldOf(const QRect& Client, const TViewSetup& V) {
    return QRectF((V.Origin.X + Client.x()) / V.Zoom, (V.Origin.Y + Client.y()) / V.Zoom,
                  Client.width() / V.Zoom, Client.height() / V.Zoom);
}

void PaintScene(QGraphicsScene& Scene, QImage& Image, const TViewSetup& V, const QRect& Client) {
    QPainter Painter(&Image);
    // Aliased, text too, as the library paints.
    Painter.setRenderHint(QPainter::TextAntialiasing, false);
    Painter.fillRect(Client, Qt::white);
    Scene.render(&Painter, QRectF(Client), WorldOf(Client, V));
}

struct TPlainPainter {
    QPainter& Painter;
    const TViewSetup& V;
    QBrush Brushes[kStates];
    QFont Font;

    TPlainPainter(QPainter& APainter, const TViewSetup& AV) : Painter(APainter), V(AV) {
        for (int S = 0; S < kStates; ++S) Brushes[S] = QBrush(ToQColor(kStateColors[S]));
        Painter.setPen(OutlinePen());
        Painter.setRenderHint(QPainter::TextAntialiasing, false);
    }

    QPoint ToPixels(const QPoint& P) const {
        return QPoint(int(P.x() * V.Zoom) - V.Origin.X, int(P.y() * V.Zoom) - V.Origin.Y);
    }

    void Draw(const TPlainObject& O, const QBrush* Selected = nullptr) {
        const QBrush& Brush = Selected ? *Selected : Brushes[O.State];
        const QPoint TopLeft = ToPixels(O.Box.topLeft());
        const QPoint BottomRight =
            ToPixels(QPoint(O.Box.x() + O.Box.width(), O.Box.y() + O.Box.height()));
        const QRect R(TopLeft, BottomRight - QPoint(1, 1));
        switch (O.Kind) {
            case TKind::Rectangle:
                Painter.setBrush(Brush);
                Painter.drawRect(R);
                break;
            case TKind::Ellipse:
                Painter.setBrush(Brush);
                Painter.drawEllipse(R);
                break;
            case TKind::Polygon: {
                QPoint Points[kMaxVertices];
                for (int I = 0; I < O.Count; ++I) Points[I] = ToPixels(O.Points[size_t(I)]);
                Painter.setBrush(Brush);
                Painter.drawPolygon(Points, O.Count);
                break;
            }
            case TKind::Text: {
                const int Pixels = TextPixels(O.Box.height(), V.Zoom);
                Font.setPixelSize(Pixels);
                Painter.setFont(Font);
                Painter.setPen(Brush.color());
                Painter.drawText(QPoint(R.left(), R.top() + Pixels), O.Text);
                Painter.setPen(OutlinePen());
                break;
            }
        }
    }
};

// The floor of a repaint: every struct is culled by its box and those that meet the area are
// drawn with plain QPainter calls. Answers how many were drawn.
int PaintPlain(const std::vector<TPlainObject>& Objects, QImage& Image, const TViewSetup& V,
               const QRect& Client) {
    QPainter Painter(&Image);
    Painter.fillRect(Client, Qt::white);
    Painter.setClipRect(Client);
    const QRectF Area = WorldOf(Client, V);
    const QRect World(QPoint(int(std::floor(Area.left())) - 1, int(std::floor(Area.top())) - 1),
                      QPoint(int(std::ceil(Area.right())) + 1, int(std::ceil(Area.bottom())) + 1));
    TPlainPainter Plain(Painter, V);
    int Drawn = 0;
    for (const TPlainObject& O : Objects) {
        if (!O.Box.intersects(World)) continue;
        Plain.Draw(O);
        ++Drawn;
    }
    return Drawn;
}

// A TSchemeVisual of 1920 x 1080 client pixels, shown on the offscreen platform, over an empty
// SVG picture of the world's size (which gives the view its scrolling area), at the setup's
// zoom and origin.
std::unique_ptr<TSchemeVisual> MakeView(TWorld& W, const TViewSetup& V, QString& Error) {
    auto View = std::make_unique<TSchemeVisual>();
    View->SetColor(clWhite);
    QByteArray Svg =
        QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%1\" height=\"%1\"/>")
            .arg(W.Side)
            .toUtf8();
    QBuffer Buffer(&Svg);
    Buffer.open(QIODevice::ReadOnly);
    auto Picture = std::make_unique<TMetafile>();
    Picture->LoadFromStream(Buffer);
    View->Picture().TakeGraphic(std::move(Picture));
    View->show();
    View->resize(QSize(kViewWidth, kViewHeight) + View->size() - View->viewport()->size());
    QCoreApplication::processEvents();
    View->SetSchemeData(W.Data.get());
    View->SetZoom(V.Zoom);
    if (V.Centred) View->SetCenterToPoint(V.Centre);
    View->Refresh();
    QCoreApplication::processEvents();
    if (View->viewport()->size() != QSize(kViewWidth, kViewHeight))
        Error = QStringLiteral("the view's client area is %1 x %2")
                    .arg(View->viewport()->width())
                    .arg(View->viewport()->height());
    else if (View->OriginX() != V.Origin.X || View->OriginY() != V.Origin.Y)
        Error = QStringLiteral("the view's origin is %1, %2 instead of %3, %4")
                    .arg(View->OriginX())
                    .arg(View->OriginY())
                    .arg(V.Origin.X)
                    .arg(V.Origin.Y);
    return View;
}

// The objects whose boxes' centres lie nearest to the world point, nearest first.
std::vector<size_t> NearestTo(const std::vector<TPlainObject>& Objects, const TPoint& P,
                              size_t Count) {
    std::vector<size_t> Order(Objects.size());
    std::iota(Order.begin(), Order.end(), size_t(0));
    auto Distance = [&](size_t I) {
        const QPoint C = Objects[I].Box.center();
        const double DX = C.x() - P.X, DY = C.y() - P.Y;
        return DX * DX + DY * DY;
    };
    std::partial_sort(Order.begin(), Order.begin() + std::ptrdiff_t(Count), Order.end(),
                      [&](size_t A, size_t B) { return Distance(A) < Distance(B); });
    Order.resize(Count);
    return Order;
}

TSchemeObject* LibraryObject(TWorld& W, size_t Index) {
    return W.Data->GetLayer(kLayer)->GetItemIndex(int(Index));
}

// ---- 1. hit test ---------------------------------------------------------------------------

void BM_HitTestLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    size_t I = 0, Hits = 0;
    for (auto _ : State) {
        const QPoint& P = W.Probes[I++ & 4095];
        TSchemeObject* Obj = W.Data->ObjectForPoint(P.x(), P.y(), 0);
        Hits += Obj != nullptr;
        benchmark::DoNotOptimize(Obj);
    }
    State.counters["hit_rate"] = double(Hits) / double(State.iterations());
}

void BM_HitTestGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    size_t I = 0, Hits = 0;
    for (auto _ : State) {
        const QPoint& P = W.Probes[I++ & 4095];
        QGraphicsItem* Item = W.Graphics.Scene->itemAt(QPointF(P), QTransform());
        Hits += Item != nullptr;
        benchmark::DoNotOptimize(Item);
    }
    State.counters["hit_rate"] = double(Hits) / double(State.iterations());
}

// Boxes only, topmost first.
void BM_HitTestFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    size_t I = 0, Hits = 0;
    for (auto _ : State) {
        const QPoint& P = W.Probes[I++ & 4095];
        const TPlainObject* Found = nullptr;
        for (auto It = W.Objects.rbegin(); It != W.Objects.rend(); ++It)
            if (It->Box.contains(P)) {
                Found = &*It;
                break;
            }
        Hits += Found != nullptr;
        benchmark::DoNotOptimize(Found);
    }
    State.counters["hit_rate"] = double(Hits) / double(State.iterations());
}

// ---- 2. repaint ----------------------------------------------------------------------------

void CountVisible(benchmark::State& State, TWorld& W, const TViewSetup& V) {
    QImage Image = ViewImage();
    State.counters["objects"] = PaintPlain(W.Objects, Image, V, Image.rect());
    State.counters["zoom"] = V.Zoom;
}

// The painting path at every zoom, the all-visible one too, which is below what a view accepts
// at 100,000 objects: TSchemeData::PaintDirectInCanvas on a canvas over a 1920 x 1080 image,
// window origin and clip set as the view sets them.
void BM_RepaintLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TViewSetup V = ViewFor(W.N, int(State.range(1)));
    QImage Image = ViewImage();
    for (auto _ : State) PaintLibrary(*W.Data, Image, V, Image.rect());
    CountVisible(State, W, V);
}

// A widget made by Make (a view of the world at the case's zoom), repainted by Repaint in each
// iteration.
template <class TMake, class TRepaint>
void RepaintWidget(benchmark::State& State, TMake&& Make, TRepaint&& Repaint) {
    TWorld& W = World(int(State.range(0)));
    const TViewSetup V = ViewFor(W.N, int(State.range(1)));
    QString Error;
    const auto View = Make(W, V, Error);
    if (!Error.isEmpty()) {
        State.SkipWithError(Error.toStdString().c_str());
        return;
    }
    for (auto _ : State) Repaint(*View);
    CountVisible(State, W, V);
}

// A real view: the whole client area invalidated and repainted at once, back buffer and copy
// to the (offscreen) screen included. Registered only where the view accepts the zoom.
void BM_RepaintLibraryView(benchmark::State& State) {
    RepaintWidget(State, MakeView, [](TSchemeVisual& View) {
        View.RepaintClientRect();
        View.viewport()->repaint();
    });
}

void BM_RepaintGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TViewSetup V = ViewFor(W.N, int(State.range(1)));
    QImage Image = ViewImage();
    for (auto _ : State) PaintScene(*W.Graphics.Scene, Image, V, Image.rect());
    CountVisible(State, W, V);
}

// A real QGraphicsView on the scene, 1920 x 1080 viewport pixels, shown on the offscreen
// platform, scaled to the setup's zoom and centred on its centre.
std::unique_ptr<QGraphicsView> MakeGraphicsView(TWorld& W, const TViewSetup& V, QString& Error) {
    auto View = std::make_unique<QGraphicsView>(W.Graphics.Scene.get());
    // Aliased, text too, as the library paints (text is antialiased by default).
    View->setRenderHints({});
    View->setFrameShape(QFrame::NoFrame);
    View->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View->setTransform(QTransform::fromScale(V.Zoom, V.Zoom));
    View->show();
    View->resize(QSize(kViewWidth, kViewHeight) + View->size() - View->viewport()->size());
    QCoreApplication::processEvents();
    View->centerOn(QPointF(V.Centre.X, V.Centre.Y));
    QCoreApplication::processEvents();
    if (View->viewport()->size() != QSize(kViewWidth, kViewHeight))
        Error = QStringLiteral("the view's viewport is %1 x %2")
                    .arg(View->viewport()->width())
                    .arg(View->viewport()->height());
    return View;
}

// The widget's own paint event, run now over its whole viewport: what a Graphics View user sees
// cost, beside the scene rendered into an image above.
void BM_RepaintGraphicsViewWidget(benchmark::State& State) {
    RepaintWidget(State, MakeGraphicsView, [](QGraphicsView& View) { View.viewport()->repaint(); });
}

void BM_RepaintFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TViewSetup V = ViewFor(W.N, int(State.range(1)));
    QImage Image = ViewImage();
    for (auto _ : State) benchmark::DoNotOptimize(PaintPlain(W.Objects, Image, V, Image.rect()));
    CountVisible(State, W, V);
}

void RepaintArgs(benchmark::internal::Benchmark* B) {
    for (int N : {10000, 100000})
        for (int Case = 0; Case < 3; ++Case) B->Args({N, Case});
}

// The zooms a view of the document shows at every size: 1% of the world and zoom 1.
void RepaintWidgetArgs(benchmark::internal::Benchmark* B) {
    for (int N : {10000, 100000})
        for (int Case = 0; Case < 2; ++Case) B->Args({N, Case});
}

void RepaintViewArgs(benchmark::internal::Benchmark* B) {
    for (int N : {10000, 100000})
        for (int Case = 0; Case < 3; ++Case)
            if (ViewFor(N, Case).Zoom > kViewMinZoom) B->Args({N, Case});
}

// ---- 3. move one object and repaint its old and new area ------------------------------------

// The object moved: the one nearest the middle of the zoom-1 view; it goes kMoveStep units
// right and back in turn.
// The objects moved in turn: the 64 nearest the middle of the zoom-1 view, so that the figure
// is that of a typical object and its neighbours at every size of the document, not of
// whichever object happens to lie in the middle.
constexpr size_t kMovedObjects = 64;

struct TMoveSetup {
    TViewSetup V;
    std::vector<size_t> Indices;
    // The object of a step, and its offset: each is moved away and back in two steps.
    size_t Index(benchmark::IterationCount Step) const {
        return Indices[size_t(Step / 2) % Indices.size()];
    }
};

TMoveSetup MoveSetupFor(TWorld& W) {
    TMoveSetup M;
    M.V = ViewFor(W.N, 1);
    M.Indices = NearestTo(W.Objects, M.V.Centre, kMovedObjects);
    return M;
}

// Away on even steps, back on odd ones.
int MoveOffset(benchmark::IterationCount Step) {
    return (Step & 1) ? -kMoveStep : kMoveStep;
}

void BM_MoveLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TMoveSetup M = MoveSetupFor(W);
    QImage Image = ViewImage();
    benchmark::IterationCount Step = 0;
    for (auto _ : State) {
        TSchemeObject* Obj = LibraryObject(W, M.Index(Step));
        const TSchemeArea Before = Obj->GetArea();
        Obj->MoveToExt(
            PointExt(Obj->GetPointsExt(0).X + MoveOffset(Step++), Obj->GetPointsExt(0).Y));
        const QRect Client = ToClient(Before.United(Obj->GetArea()).AtZoom(M.V.Zoom), M.V);
        PaintLibrary(*W.Data, Image, M.V, Client);
    }
}

// The same move with a view registered: the document invalidates the view, which repaints the
// invalidated area now.
void BM_MoveLibraryView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TMoveSetup M = MoveSetupFor(W);
    QString Error;
    std::unique_ptr<TSchemeVisual> View = MakeView(W, M.V, Error);
    if (!Error.isEmpty()) {
        State.SkipWithError(Error.toStdString().c_str());
        return;
    }
    benchmark::IterationCount Step = 0;
    for (auto _ : State) {
        TSchemeObject* Obj = LibraryObject(W, M.Index(Step));
        const TSchemeArea Before = Obj->GetArea();
        Obj->MoveToExt(
            PointExt(Obj->GetPointsExt(0).X + MoveOffset(Step++), Obj->GetPointsExt(0).Y));
        View->viewport()->repaint(ToClient(Before.United(Obj->GetArea()).AtZoom(M.V.Zoom), M.V));
    }
    View.reset();
}

void BM_MoveGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TMoveSetup M = MoveSetupFor(W);
    QImage Image = ViewImage();
    benchmark::IterationCount Step = 0;
    for (auto _ : State) {
        QAbstractGraphicsShapeItem* Item = W.Graphics.Items[M.Index(Step)];
        const QRectF Before = Item->sceneBoundingRect();
        Item->setPos(Item->pos() + QPointF(MoveOffset(Step++), 0));
        PaintScene(*W.Graphics.Scene, Image, M.V,
                   ToClient(Before.united(Item->sceneBoundingRect()), M.V));
    }
}

void MovePlain(TPlainObject& O, int DX) {
    O.Box.translate(DX, 0);
    for (int V = 0; V < O.Count; ++V) O.Points[size_t(V)].rx() += DX;
}

void BM_MoveFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const TMoveSetup M = MoveSetupFor(W);
    QImage Image = ViewImage();
    benchmark::IterationCount Step = 0;
    for (auto _ : State) {
        TPlainObject& O = W.Objects[M.Index(Step)];
        const QRect Before = O.Box;
        MovePlain(O, MoveOffset(Step++));
        benchmark::DoNotOptimize(
            PaintPlain(W.Objects, Image, M.V, ToClient(QRectF(Before.united(O.Box)), M.V)));
    }
}

// ---- 4. blink pass over 10 selected objects -------------------------------------------------

// The objects that blink: the ten nearest the middle of the zoom-1 view.
std::vector<size_t> BlinkSet(TWorld& W) {
    return NearestTo(W.Objects, ViewFor(W.N, 1).Centre, kBlinkObjects);
}

// One pass of the document's blink timer, painting the selected objects straight into a shown
// view's back buffer.
void BM_BlinkLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const std::vector<size_t> Selected = BlinkSet(W);
    QString Error;
    std::unique_ptr<TSchemeVisual> View = MakeView(W, ViewFor(W.N, 1), Error);
    if (!Error.isEmpty()) {
        State.SkipWithError(Error.toStdString().c_str());
        return;
    }
    for (size_t I : Selected) LibraryObject(W, I)->SetSelected(true);
    View->Refresh();
    for (auto _ : State) W.Data->Timer();
    for (size_t I : Selected) LibraryObject(W, I)->SetSelected(false);
    View.reset();
}

// The same blink with Graphics View: the ten items change brush and their areas are rendered
// from the scene.
void BM_BlinkGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const std::vector<size_t> Selected = BlinkSet(W);
    const TViewSetup V = ViewFor(W.N, 1);
    const QBrush Blink(ToQColor(clBlue));
    QImage Image = ViewImage();
    bool Phase = false;
    for (auto _ : State) {
        Phase = !Phase;
        QPainter Painter(&Image);
        Painter.setRenderHint(QPainter::TextAntialiasing, false);
        for (size_t I : Selected) {
            QAbstractGraphicsShapeItem* Item = W.Graphics.Items[I];
            Item->setBrush(Phase ? Blink : QBrush(ToQColor(kStateColors[W.Objects[I].State])));
            const QRect Client = ToClient(Item->sceneBoundingRect(), V);
            W.Graphics.Scene->render(&Painter, QRectF(Client), WorldOf(Client, V));
        }
    }
    for (size_t I : Selected)
        W.Graphics.Items[I]->setBrush(QBrush(ToQColor(kStateColors[W.Objects[I].State])));
}

// The floor: the ten structs drawn in the blink colour, nothing looked up.
void BM_BlinkFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const std::vector<size_t> Selected = BlinkSet(W);
    const TViewSetup V = ViewFor(W.N, 1);
    const QBrush Blink(ToQColor(clBlue));
    QImage Image = ViewImage();
    bool Phase = false;
    for (auto _ : State) {
        Phase = !Phase;
        QPainter Painter(&Image);
        TPlainPainter Plain(Painter, V);
        for (size_t I : Selected) Plain.Draw(W.Objects[I], Phase ? &Blink : nullptr);
    }
}

// ---- 5. load -------------------------------------------------------------------------------

// Until the document can answer a hit test: the document builds its spatial index on first
// use, and the Graphics View scene below is measured with its BSP index built too.
void BM_LoadLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    for (auto _ : State) {
        std::unique_ptr<TSchemeData> Data = EmptyDocument();
        Data->LoadFromFile(W.File);
        benchmark::DoNotOptimize(Data->ObjectForPoint(0, 0, 0));
        State.PauseTiming();  // freeing is not loading
        if (Data->LayerCount() != 1 || Data->GetLayerIndex(0)->Count() != W.N)
            State.SkipWithError("the loaded document lost objects");
        Data.reset();
        State.ResumeTiming();
    }
    State.counters["per_object"] = PerOperation(double(W.N));
    State.counters["file_bytes"] = double(QFile(W.File).size());
}

// Graphics View has no file format: its load is building the scene from the plain structs.
void BM_LoadGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    for (auto _ : State) {
        TGraphicsWorld Graphics = BuildScene(W.Objects, W.Side);
        State.PauseTiming();
        Graphics.Scene.reset();
        State.ResumeTiming();
    }
    State.counters["per_object"] = PerOperation(double(W.N));
}

// The byte floor: the whole file read at once and scanned into plain structs. The file's bytes
// and the list go into buffers kept from one load to the next, as the library's heap keeps the
// memory it freed: memory fresh from the system would add a page fault per page.
struct TFloorLoader {
    QByteArray Bytes;
    std::vector<TPlainObject> Objects;

    // Answers an error, or null.
    const char* Load(const QString& Path) {
        QFile File(Path);
        if (!File.open(QIODevice::ReadOnly)) return "cannot read the saved document";
        Bytes.resize(File.size());
        if (File.read(Bytes.data(), Bytes.size()) != Bytes.size())
            return "cannot read the saved document";
        ParsePlain(Bytes, Objects);
        return nullptr;
    }
};

void BM_LoadFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    TFloorLoader Floor;
    for (auto _ : State) {
        if (const char* Error = Floor.Load(W.File)) {
            State.SkipWithError(Error);
            break;
        }
        State.PauseTiming();
        if (Floor.Objects.size() != W.Objects.size())
            State.SkipWithError("the scanner lost objects");
        Floor.Objects.clear();
        State.ResumeTiming();
    }
    State.counters["per_object"] = PerOperation(double(W.N));
}

double ThreadCpuSeconds() {
    timespec T{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &T);
    return double(T.tv_sec) + double(T.tv_nsec) * 1e-9;
}

double Median(std::vector<double> Values) {
    std::sort(Values.begin(), Values.end());
    return Values.empty() ? 0.0 : Values[Values.size() / 2];
}

// The processor times of the library's side and the floor's side of a pair benchmark, one of
// each per iteration; the time shown is the library's, the counters give both medians and
// their ratio.
class TPairTimes {
public:
    void Add(benchmark::State& State, double Library, double Floor) {
        FLibrary.push_back(Library);
        FFloor.push_back(Floor);
        State.SetIterationTime(Library);
    }
    void Report(benchmark::State& State) const {
        const double L = Median(FLibrary), F = Median(FFloor);
        State.counters["library_ms"] = L * 1e3;
        State.counters["floor_ms"] = F * 1e3;
        State.counters["library_per_floor"] = F > 0 ? L / F : 0.0;
    }

private:
    std::vector<double> FLibrary, FFloor;
};

// The library's load and the floor's, taking turns in one loop, so that both see the same
// state of the machine and of the heap.
void BM_LoadPair(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    TFloorLoader Floor;
    TPairTimes Times;
    for (auto _ : State) {
        const double T0 = ThreadCpuSeconds();
        std::unique_ptr<TSchemeData> Data = EmptyDocument();
        Data->LoadFromFile(W.File);
        benchmark::DoNotOptimize(Data->ObjectForPoint(0, 0, 0));
        const double T1 = ThreadCpuSeconds();
        Data.reset();
        const double T2 = ThreadCpuSeconds();
        const char* Error = Floor.Load(W.File);
        const double T3 = ThreadCpuSeconds();
        Floor.Objects.clear();
        if (Error) {
            State.SkipWithError(Error);
            break;
        }
        Times.Add(State, T1 - T0, T3 - T2);
    }
    Times.Report(State);
}

// ---- 6. save -------------------------------------------------------------------------------

// The floor's save: the lines formatted into Text, kept between calls, and written at once
// through a temporary file that is synced and then replaces the target, as the library's
// safe save does. Answers whether the file was written.
bool WriteFloor(const std::vector<TPlainObject>& Objects, const QString& Target,
                std::string& Text) {
    FormatPlain(Objects, Text);
    QSaveFile File(Target);
    return File.open(QIODevice::WriteOnly) &&
           File.write(Text.data(), qint64(Text.size())) == qint64(Text.size()) && File.commit();
}

void BM_SaveLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const QString Target = W.Directory.filePath(QStringLiteral("saved.txt"));
    for (auto _ : State) W.Data->SaveToFile(Target);
    State.counters["per_object"] = PerOperation(double(W.N));
    State.counters["file_bytes"] = double(QFile(Target).size());
}

void BM_SaveFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const QString Target = W.Directory.filePath(QStringLiteral("floor.txt"));
    std::string Text;
    for (auto _ : State) {
        if (!WriteFloor(W.Objects, Target, Text)) {
            State.SkipWithError("cannot write the floor's file");
            break;
        }
    }
    State.counters["per_object"] = PerOperation(double(W.N));
    State.counters["file_bytes"] = double(QFile(Target).size());
}

// The library's save and the floor's, taking turns in one loop as the load pair does.
void BM_SavePair(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const QString Target = W.Directory.filePath(QStringLiteral("saved.txt"));
    const QString FloorTarget = W.Directory.filePath(QStringLiteral("floor.txt"));
    std::string Text;
    TPairTimes Times;
    for (auto _ : State) {
        const double T0 = ThreadCpuSeconds();
        W.Data->SaveToFile(Target);
        const double T1 = ThreadCpuSeconds();
        const bool Written = WriteFloor(W.Objects, FloorTarget, Text);
        const double T2 = ThreadCpuSeconds();
        if (!Written) {
            State.SkipWithError("cannot write the floor's file");
            break;
        }
        Times.Add(State, T1 - T0, T2 - T1);
    }
    Times.Report(State);
}

// ---- 7. memory per object ------------------------------------------------------------------

// Case 0: built in code; case 1: loaded from the saved file. Measured once the document can
// answer a hit test, its spatial index (built on first use) included; index_bytes_per_object
// is the index's share.
void BM_MemoryLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const bool Loaded = State.range(1) != 0;
    for (auto _ : State) {
        const double Before = HeapInUse();
        std::unique_ptr<TSchemeData> Data;
        if (Loaded) {
            Data = EmptyDocument();
            Data->LoadFromFile(W.File);
        } else {
            Data = BuildDocument(W.Objects);
        }
        const double Built = HeapInUse();
        benchmark::DoNotOptimize(Data->ObjectForPoint(0, 0, 0));
        const double Indexed = HeapInUse();
        State.counters["bytes_per_object"] = (Indexed - Before) / W.N;
        State.counters["index_bytes_per_object"] = (Indexed - Built) / W.N;
        Data.reset();
    }
}

// The scene with its items and its BSP index, built from the plain structs.
void BM_MemoryGraphicsView(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    for (auto _ : State) {
        const double Before = HeapInUse();
        TGraphicsWorld Graphics = BuildScene(W.Objects, W.Side);
        State.counters["bytes_per_object"] = (HeapInUse() - Before) / W.N;
        Graphics.Scene.reset();
    }
}

// Case 0: the structs generated; case 1: scanned from the saved file.
void BM_MemoryFloor(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    const bool Loaded = State.range(1) != 0;
    QFile File(W.File);
    File.open(QIODevice::ReadOnly);
    const QByteArray Bytes = File.readAll();
    for (auto _ : State) {
        const double Before = HeapInUse();
        std::vector<TPlainObject> Objects = Loaded ? ParsePlain(Bytes) : MakeScene(W.N);
        State.counters["bytes_per_object"] = (HeapInUse() - Before) / W.N;
    }
}

void MemoryArgs(benchmark::internal::Benchmark* B) {
    for (int N : {10000, 100000})
        for (int Case = 0; Case < 2; ++Case) B->Args({N, Case});
}

// ---- 8. delete by Id ------------------------------------------------------------------------

// An object deleted by Id, the spatial index built, and the same object added back on top, so
// that each document keeps its size. The memory is constant too, as in core_bench: 100,000
// objects in as many documents of N as it takes, the objects drawn at random over all of them,
// so that what changes with N is what a document's size costs, not the cache's share of it.
void BM_DeleteLibrary(benchmark::State& State) {
    TWorld& W = World(int(State.range(0)));
    // Documents of their own: deleting and adding back changes the list order others rely on.
    std::vector<std::unique_ptr<TSchemeData>> Documents;
    for (int D = 0; D < 100000 / W.N; ++D) {
        Documents.push_back(BuildDocument(W.Objects));
        benchmark::DoNotOptimize(Documents.back()->ObjectForPoint(0, 0, 0));
    }
    constexpr size_t kSteps = size_t(1) << 16;
    std::mt19937 Random(11u);
    std::uniform_int_distribution<size_t> Document(0, Documents.size() - 1);
    std::uniform_int_distribution<size_t> Index(0, W.Objects.size() - 1);
    std::vector<std::pair<size_t, size_t>> Order(kSteps);
    for (auto& [D, I] : Order) {
        D = Document(Random);
        I = Index(Random);
    }
    size_t Step = 0;
    for (auto _ : State) {
        const auto& [D, I] = Order[Step++ & (kSteps - 1)];
        TSchemeData& Data = *Documents[D];
        Data.ObjectDelete(kLayer, W.Objects[I].Id);
        AddToDocument(Data, W.Objects[I]);
    }
    for (const auto& Data : Documents)
        if (Data->GetLayer(kLayer)->Count() != W.N) State.SkipWithError("a document lost objects");
    State.counters["documents"] = double(Documents.size());
}

// ---- the table -----------------------------------------------------------------------------

// Keeps each benchmark's median (or its only run) for the table printed at the end.
class TTableReporter : public benchmark::ConsoleReporter {
public:
    explicit TTableReporter(OutputOptions Options) : ConsoleReporter(Options) {}

    void ReportRuns(const std::vector<Run>& Runs) override {
        ConsoleReporter::ReportRuns(Runs);
        for (const Run& R : Runs) {
            if (R.error_occurred) continue;
            const bool Aggregate = R.run_type == Run::RT_Aggregate;
            if (Aggregate && R.aggregate_name != "median") continue;
            const std::string Key = R.run_name.function_name + "|" + R.run_name.args;
            if (!Aggregate && FMedians.contains(Key)) continue;
            TFigure& F = FValues[Key];
            // Processor time: the machines are shared, and waiting for the processor is not
            // part of any figure; every figure here is single-threaded work.
            F.Seconds = R.GetAdjustedCPUTime() / benchmark::GetTimeUnitMultiplier(R.time_unit);
            const auto Bytes = R.counters.find("bytes_per_object");
            F.Bytes = Bytes == R.counters.end() ? -1 : Bytes->second.value;
            if (Aggregate) FMedians.insert(Key);
        }
    }

    void PrintTable() const {
        struct TRow {
            const char* Label;
            const char* Figure;
            int Case;  // -1: none
            const char* Library;
            const char* Graphics = "GraphicsView";
        };
        static const TRow Rows[] = {
            {"hit test", "HitTest", -1, "Library"},
            {"repaint 1% of world (canvas)", "Repaint", 0, "Library"},
            {"repaint 1% of world (TSchemeVisual)", "Repaint", 0, "LibraryView"},
            {"repaint 1% of world (TSchemeVisual / QGraphicsView widget)", "Repaint", 0,
             "LibraryView", "GraphicsViewWidget"},
            {"repaint zoom 1 (canvas)", "Repaint", 1, "Library"},
            {"repaint zoom 1 (TSchemeVisual)", "Repaint", 1, "LibraryView"},
            {"repaint zoom 1 (TSchemeVisual / QGraphicsView widget)", "Repaint", 1, "LibraryView",
             "GraphicsViewWidget"},
            {"repaint all visible (canvas)", "Repaint", 2, "Library"},
            {"repaint all visible (TSchemeVisual)", "Repaint", 2, "LibraryView"},
            {"move + repaint area (canvas)", "Move", -1, "Library"},
            {"move + repaint area (TSchemeVisual)", "Move", -1, "LibraryView"},
            {"blink pass, 10 selected", "Blink", -1, "Library"},
            {"delete by Id + add back, index built", "Delete", -1, "Library"},
            {"load", "Load", -1, "Library"},
            {"save", "Save", -1, "Library"},
            {"memory/object, built in code", "Memory", 0, "Library"},
            {"memory/object, loaded from file", "Memory", 1, "Library"},
        };
        std::printf(
            "\n| N | figure | library | Graphics View | floor | library/GV | "
            "library/floor |\n|---|---|---|---|---|---|---|\n");
        for (int N : {10000, 100000}) {
            for (const TRow& Row : Rows) {
                const TFigure* Library = Find(Row.Figure, Row.Library, N, Row.Case);
                if (!Library) continue;
                const TFigure* Graphics = Find(Row.Figure, Row.Graphics, N, Row.Case);
                if (!Graphics && Row.Case > 0) Graphics = Find(Row.Figure, Row.Graphics, N, 0);
                const TFigure* Floor = Find(Row.Figure, "Floor", N, Row.Case);
                std::printf("| %d | %s | %s | %s | %s | %s | %s |\n", N, Row.Label,
                            Show(Library).c_str(), Show(Graphics).c_str(), Show(Floor).c_str(),
                            Ratio(Library, Graphics).c_str(), Ratio(Library, Floor).c_str());
            }
        }
        std::printf("\n| figure | 1,000 | 100,000 | 100,000 / 1,000 |\n|---|---|---|---|\n");
        for (const TRow& Row : Rows) {
            if (std::strcmp(Row.Figure, "Move") != 0 && std::strcmp(Row.Figure, "Blink") != 0 &&
                std::strcmp(Row.Figure, "Delete") != 0)
                continue;
            const TFigure* Small = Find(Row.Figure, Row.Library, 1000, Row.Case);
            const TFigure* Large = Find(Row.Figure, Row.Library, 100000, Row.Case);
            if (!Small || !Large) continue;
            std::printf("| %s | %s | %s | %s |\n", Row.Label, Show(Small).c_str(),
                        Show(Large).c_str(), Ratio(Large, Small).c_str());
        }
        std::printf(
            "\nTimes are medians of processor time per operation; memory is heap bytes per "
            "object. "
            "Graphics View has no file format: its load and its memory after loading "
            "are those of building the scene from plain structs.\n");
        std::fflush(stdout);
    }

private:
    struct TFigure {
        double Seconds = 0;
        double Bytes = -1;
        double Value() const { return Bytes >= 0 ? Bytes : Seconds; }
    };

    const TFigure* Find(const char* Figure, const char* Variant, int N, int Case) const {
        char Key[128];
        if (Case >= 0)
            std::snprintf(Key, sizeof Key, "%s/%s|%d/%d", Figure, Variant, N, Case);
        else
            std::snprintf(Key, sizeof Key, "%s/%s|%d", Figure, Variant, N);
        const auto It = FValues.find(Key);
        return It == FValues.end() ? nullptr : &It->second;
    }

    static std::string Show(const TFigure* F) {
        if (!F) return "–";
        char Text[32];
        if (F->Bytes >= 0)
            std::snprintf(Text, sizeof Text, "%.0f B", F->Bytes);
        else if (F->Seconds >= 1e-3)
            std::snprintf(Text, sizeof Text, "%.2f ms", F->Seconds * 1e3);
        else if (F->Seconds >= 1e-6)
            std::snprintf(Text, sizeof Text, "%.2f µs", F->Seconds * 1e6);
        else
            std::snprintf(Text, sizeof Text, "%.0f ns", F->Seconds * 1e9);
        return Text;
    }

    static std::string Ratio(const TFigure* A, const TFigure* B) {
        if (!A || !B || B->Value() <= 0) return "–";
        char Text[32];
        std::snprintf(Text, sizeof Text, "%.2f", A->Value() / B->Value());
        return Text;
    }

    std::map<std::string, TFigure> FValues;
    std::set<std::string> FMedians;
};

}  // namespace

BENCHMARK(BM_HitTestLibrary)->Name("HitTest/Library")->Arg(10000)->Arg(100000)->MinTime(0.3);
BENCHMARK(BM_HitTestGraphicsView)
    ->Name("HitTest/GraphicsView")
    ->Arg(10000)
    ->Arg(100000)
    ->MinTime(0.3);
BENCHMARK(BM_HitTestFloor)->Name("HitTest/Floor")->Arg(10000)->Arg(100000)->MinTime(0.3);

BENCHMARK(BM_RepaintLibrary)
    ->Name("Repaint/Library")
    ->Apply(RepaintArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_RepaintLibraryView)
    ->Name("Repaint/LibraryView")
    ->Apply(RepaintViewArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_RepaintGraphicsView)
    ->Name("Repaint/GraphicsView")
    ->Apply(RepaintArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_RepaintGraphicsViewWidget)
    ->Name("Repaint/GraphicsViewWidget")
    ->Apply(RepaintWidgetArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_RepaintFloor)
    ->Name("Repaint/Floor")
    ->Apply(RepaintArgs)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);

BENCHMARK(BM_MoveLibrary)
    ->Name("Move/Library")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);
BENCHMARK(BM_MoveLibraryView)
    ->Name("Move/LibraryView")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);
BENCHMARK(BM_MoveGraphicsView)
    ->Name("Move/GraphicsView")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);
BENCHMARK(BM_MoveFloor)
    ->Name("Move/Floor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);

BENCHMARK(BM_BlinkLibrary)
    ->Name("Blink/Library")
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);
BENCHMARK(BM_BlinkGraphicsView)
    ->Name("Blink/GraphicsView")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);
BENCHMARK(BM_BlinkFloor)
    ->Name("Blink/Floor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);

BENCHMARK(BM_LoadLibrary)
    ->Name("Load/Library")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_LoadGraphicsView)
    ->Name("Load/GraphicsView")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_LoadFloor)
    ->Name("Load/Floor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_LoadPair)
    ->Name("LoadPair/LibraryAndFloor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(0.5);

BENCHMARK(BM_SaveLibrary)
    ->Name("Save/Library")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);
BENCHMARK(BM_SaveFloor)
    ->Name("Save/Floor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(0.3);

BENCHMARK(BM_SavePair)
    ->Name("SavePair/LibraryAndFloor")
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->MinTime(0.5);
BENCHMARK(BM_MemoryLibrary)
    ->Name("Memory/Library")
    ->Apply(MemoryArgs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryGraphicsView)
    ->Name("Memory/GraphicsView")
    ->Args({10000, 0})
    ->Args({100000, 0})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoryFloor)
    ->Name("Memory/Floor")
    ->Apply(MemoryArgs)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_DeleteLibrary)
    ->Name("Delete/Library")
    ->Arg(1000)
    ->Arg(100000)
    ->Unit(benchmark::kMicrosecond)
    ->MinTime(0.3);

// Graphics View and the view need a widget application, hence an entry point of its own.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication App(argc, argv);
    benchmark::Initialize(&argc, argv);
    TTableReporter Reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_Color
                                                   : benchmark::ConsoleReporter::OO_None);
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    Reporter.PrintTable();
    Worlds().clear();  // scenes and documents go before the application
    benchmark::Shutdown();
    return 0;
}
