// One record of any registered kind: either it is built or the constructor raises one of the
// library's errors. What is built saves a text that builds an object saving the same text, and
// paints and answers hit tests whatever its values.
#include <QImage>
#include <memory>

#include "fuzz/targets/fuzz_lines.h"
#include "fuzz/targets/fuzz_targets.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"

namespace scheme::fuzz {

namespace {

std::unique_ptr<TSchemePersistent> Build(const QString& ClassName, const QStringList& Lines) {
    QStringList Copy = Lines;  // the record constructor may consume its lines
    return FindSchemeClass(ClassName)->Create(Copy);
}

QStringList Saved(const TSchemePersistent& Item) {
    QStringList Lines;
    Item.SaveToStrings(Lines);
    return Lines;
}

// Paints at two zooms into a small image and hit-tests a few points, among them the object's
// own first point.
void PaintAndHitTest(TSchemeObject& Object) {
    QImage Image(48, 48, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        for (Extended Zoom : {Extended(1), Extended(0.37)}) {
            Object.Paint(Zoom, Canvas, 0);
            (void)Object.GetClippingRegion(Zoom, 0);
        }
    }
    Extended DX = 0;
    Extended DY = 0;
    int Detail = 0;
    const TPointExt First = Object.Count() > 0 ? Object.GetPointsExt(0) : TPointExt{};
    for (const TPointExt& P : {TPointExt{0, 0}, TPointExt{10, 10}, First}) {
        (void)Object.PointInside(P.X, P.Y, 0);
        (void)Object.PointInsideDetail(P.X, P.Y, DX, DY, Detail, 0);
    }
}

}  // namespace

void FuzzRecord(const std::uint8_t* Data, std::size_t Size) {
    const QStringList Names = RegisteredSchemeClassNames();
    if (Size == 0 || Names.isEmpty()) return;
    const QString ClassName = Names[Data[0] % Names.size()];
    const QStringList Lines = FuzzLines(Data + 1, Size - 1);
    std::unique_ptr<TSchemePersistent> Item;
    try {
        Item = Build(ClassName, Lines);
    } catch (const Exception&) {
        return;  // a record the kind refuses
    }
    FuzzCheck(Item != nullptr, QStringLiteral("%1 built nothing").arg(ClassName));
    const QStringList First = Saved(*Item);
    std::unique_ptr<TSchemePersistent> Copy;
    try {
        Copy = Build(ClassName, First);
    } catch (const Exception& E) {
        throw TFuzzFailure(QStringLiteral("%1 does not read its own record: %2")
                               .arg(ClassName, E.Message())
                               .toStdString());
    }
    const QStringList Second = Saved(*Copy);
    FuzzCheck(Second == First, QStringLiteral("%1 record reads back differently:\n%2\n--\n%3")
                                   .arg(ClassName, First.join(u'\n'), Second.join(u'\n')));
    if (auto* Object = dynamic_cast<TSchemeObject*>(Item.get())) PaintAndHitTest(*Object);
}

}  // namespace scheme::fuzz
