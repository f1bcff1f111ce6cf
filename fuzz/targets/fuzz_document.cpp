// A whole document text: the load either succeeds or raises an error that names its line.
// Whatever was placed paints, answers hit tests, and saves a text that loads into a new
// document saving the same text.
#include <QBuffer>
#include <QImage>

#include "fuzz/targets/fuzz_targets.h"
#include "scheme/document/scheme_data.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"

namespace scheme::fuzz {

namespace {

void Load(TSchemeData& Document, const std::uint8_t* Data, std::size_t Size) {
    QByteArray Bytes(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size));
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::ReadOnly);
    try {
        Document.LoadFromStream(Buffer);
    } catch (const Exception& E) {
        FuzzCheck(E.Message().contains(QStringLiteral("\rIn block has line ")),
                  QStringLiteral("load error without its line: %1").arg(E.Message()));
    }
}

void PaintAndHitTest(TSchemeData& Document) {
    QImage Image(48, 48, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    {
        TCanvas Canvas(&Image);
        Document.PaintDirectInCanvas(Canvas, 0, 0, 1, 0);
        Document.PaintDirectInCanvas(Canvas, -3, 5, 0.5, 0);
    }
    (void)Document.ObjectForPoint(10, 10, 0);
    (void)Document.ObjectForPointWithCheckEnabled(0, 0, false, 0);
}

QStringList Saved(TSchemeData& Document) {
    QStringList Lines;
    Document.SaveToStrings(Lines);
    return Lines;
}

}  // namespace

void FuzzDocument(const std::uint8_t* Data, std::size_t Size) {
    TSchemeData Document;
    Document.SetTimerInterval(0);
    Load(Document, Data, Size);
    PaintAndHitTest(Document);
    QStringList First = Saved(Document);

    TSchemeData Copy;
    Copy.SetTimerInterval(0);
    try {
        Copy.LoadFromStrings(First);
    } catch (const Exception& E) {
        throw TFuzzFailure(
            QStringLiteral("saved document does not load: %1").arg(E.Message()).toStdString());
    }
    // The saved text names the timer interval only when it differs from the default.
    if (Copy.TimerInterval() == 0 && Document.TimerInterval() == TSchemeData::kDefaultTimerInterval)
        Copy.SetTimerInterval(TSchemeData::kDefaultTimerInterval);
    const QStringList Second = Saved(Copy);
    FuzzCheck(Second == First, QStringLiteral("saved document reads back differently:\n%1\n--\n%2")
                                   .arg(First.join(u'\n'), Second.join(u'\n')));
    Copy.SetTimerInterval(0);
    Document.SetTimerInterval(0);
}

}  // namespace scheme::fuzz
