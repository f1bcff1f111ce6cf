#include "scheme/platform/graphic.h"

#include <QIODevice>
#include <QMutex>
#include <QMutexLocker>
#include <QPainter>
#include <QtMath>
#include <algorithm>
#include <utility>
#include <vector>

#include "scheme/platform/canvas.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/raster_graphic.h"
#include "scheme/platform/stream_read.h"

namespace scheme {

QByteArray ReadGraphicData(QIODevice& Stream, const QString& What) {
    std::optional<QByteArray> Data = ReadAtMost(Stream, kMaxGraphicDataSize);
    if (!Data)
        throw EInvalidGraphic(QStringLiteral("%1: the data exceeds the limit of %2 MiB")
                                  .arg(What)
                                  .arg(kMaxGraphicDataSize >> 20));
    return *std::move(Data);
}

namespace {

struct TGraphicRegistry {
    QMutex Lock;
    std::vector<std::pair<QString, TGraphicFactory>> Classes;

    TGraphicFactory Find(const QString& Name) const {
        for (const auto& [Registered, Factory] : Classes)
            if (Registered.compare(Name, Qt::CaseInsensitive) == 0) return Factory;
        return nullptr;
    }

    void Add(const QString& Name, TGraphicFactory Factory) {
        if (!Find(Name)) Classes.emplace_back(Name, Factory);
    }
};

template <class T>
void AddBuiltin(TGraphicRegistry& Registry) {
    Registry.Add(T::StaticClassName(),
                 []() -> std::unique_ptr<TGraphic> { return std::make_unique<T>(); });
}

// The registry, created with the built-in classes on first use, whatever the order in which
// the program's start-up code runs.
TGraphicRegistry& Registry() {
    static TGraphicRegistry Instance;
    static const bool Builtins = [] {
        AddBuiltin<TBitmap>(Instance);
        AddBuiltin<TMetafile>(Instance);
        AddBuiltin<TIcon>(Instance);
        AddBuiltin<TPngImage>(Instance);
        AddBuiltin<TJPEGImage>(Instance);
        return true;
    }();
    (void)Builtins;
    return Instance;
}

}  // namespace

EInvalidGraphic::~EInvalidGraphic() = default;

// ---- the graphic -----------------------------------------------------------------------------

TGraphic::TGraphic(const TGraphic& Source)
    : TObject(Source), FTransparent(Source.FTransparent), FBudget(Source.FBudget) {}

TGraphic::~TGraphic() = default;

void TGraphic::LoadFromStream(QIODevice& Stream) {
    const QByteArray Data = ReadGraphicData(Stream, ClassName());
    // A graphic read while a document loads belongs to that document's budget.
    if (TPictureReadScope* Scope = TPictureReadScope::Current())
        if (Scope->Budget() != FBudget) {
            FBudget = Scope->Budget();
            BudgetChanged();
        }
    if (Data.isEmpty())
        Clear();
    else
        ReadData(Data);
    Changed();
}

void TGraphic::SaveToStream(QIODevice& Stream) const {
    const QByteArray Data = WriteData();
    if (Data.size() > kMaxGraphicDataSize)
        throw EInvalidGraphic(
            QStringLiteral("%1: the picture cannot be saved: its %2 MiB of data exceed the "
                           "limit of %3 MiB that loading accepts")
                .arg(ClassName())
                .arg((Data.size() + (1 << 20) - 1) >> 20)
                .arg(kMaxGraphicDataSize >> 20));
    if (!Data.isEmpty() && Stream.write(Data) != Data.size())
        throw Exception(QStringLiteral("Stream write error"));
}

void TGraphic::SetTransparent(bool Value) {
    if (Value == FTransparent) return;
    FTransparent = Value;
    Changed();
}

void TGraphic::Draw(QPainter& Painter, const QRect& R) const {
    TCanvas Canvas(&Painter);
    Canvas.StretchDraw(FromQRect(R), *this);
}

const std::shared_ptr<TPictureBudget>& TGraphic::PictureBudget() const {
    return FBudget ? FBudget : TPictureBudget::Process();
}

void TGraphic::SetPictureBudget(std::shared_ptr<TPictureBudget> Budget) {
    if (Budget == TPictureBudget::Process()) Budget.reset();
    if (Budget == FBudget) return;
    FBudget = std::move(Budget);
    BudgetChanged();
}

bool TGraphic::Prepare(const QSize&) const {
    return !Empty();
}

QSize TGraphic::DrawnSize(const TCanvas& Canvas, const TRect& R) {
    const QRectF Area(ToQRect(R));
    const QPainter* Painter = Canvas.Painter();
    const QRectF Device = Painter ? Painter->deviceTransform().mapRect(Area) : Area;
    return QSize(std::max(1, qCeil(Device.width())), std::max(1, qCeil(Device.height())));
}

void TGraphic::Changed() {
    if (OnChange) OnChange(this);
}

// The canvas draws graphics here, beside the classes it draws.
void TCanvas::StretchDraw(const TRect& R, const TGraphic& Graphic) {
    if (!Active() || Graphic.Empty() || R.IsEmpty() || !RectVisible(R)) return;
    Graphic.Draw(*this, R);
}

// ---- the registry ----------------------------------------------------------------------------

void RegisterGraphicClass(const QString& Name, TGraphicFactory Factory) {
    TGraphicRegistry& R = Registry();
    QMutexLocker Locker(&R.Lock);
    R.Add(Name, Factory);
}

TGraphicFactory FindGraphicClass(const QString& Name) {
    TGraphicRegistry& R = Registry();
    QMutexLocker Locker(&R.Lock);
    return R.Find(Name);
}

std::unique_ptr<TGraphic> CreateGraphic(const QString& Name) {
    const TGraphicFactory Factory = FindGraphicClass(Name);
    if (!Factory) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(Name));
    return Factory();
}

QStringList RegisteredGraphicClassNames() {
    TGraphicRegistry& R = Registry();
    QMutexLocker Locker(&R.Lock);
    QStringList Names;
    for (const auto& Entry : R.Classes) Names.append(Entry.first);
    return Names;
}

}  // namespace scheme
