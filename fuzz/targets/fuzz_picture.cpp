// Hex blocks and pictures: any block decodes to at most 256 bytes a line; a picture either
// loads or raises one of the library's errors and stays as it was; a loaded graphic paints.
#include <QImage>

#include "fuzz/targets/fuzz_lines.h"
#include "fuzz/targets/fuzz_targets.h"
#include "scheme/model/helpers.h"
#include "scheme/platform/canvas.h"
#include "scheme/platform/exceptions.h"
#include "scheme/platform/graphic.h"
#include "scheme/platform/picture.h"

namespace scheme::fuzz {

namespace {

// The names documents store, the graphic classes' own ones, and a name that is no class.
QStringList ClassNames() {
    QStringList Names = {QStringLiteral("TBITMAP"), QStringLiteral("TMETAFILE"),
                         QStringLiteral("TICON"), QStringLiteral("TNoSuchGraphic")};
    Names.append(RegisteredGraphicClassNames());
    return Names;
}

// Bit 7 of the selector: the rest is raw data, written as a hex block first.
QStringList Block(std::uint8_t Selector, const std::uint8_t* Data, std::size_t Size) {
    if (!(Selector & 0x80)) return FuzzLines(Data, Size);
    QStringList Lines;
    BinaryToStrings(QByteArray(reinterpret_cast<const char*>(Data), static_cast<qsizetype>(Size)),
                    Lines);
    return Lines;
}

void Paint(const TGraphic& Graphic) {
    QImage Image(24, 24, QImage::Format_ARGB32);
    Image.fill(Qt::white);
    TCanvas Canvas(&Image);
    Canvas.StretchDraw(Rect(0, 0, 24, 24), Graphic);
    Canvas.StretchDraw(Rect(3, 20, 11, 2), Graphic);
}

}  // namespace

void FuzzPicture(const std::uint8_t* Data, std::size_t Size) {
    if (Size == 0) return;
    const QStringList Names = ClassNames();
    const QString ClassName = Names[(Data[0] & 0x7F) % Names.size()];
    const QStringList Lines = Block(Data[0], Data + 1, Size - 1);

    const QByteArray Bytes = BinaryFromStrings(Lines);
    FuzzCheck(Bytes.size() <= qsizetype(256) * Lines.size(),
              QStringLiteral("a hex line decoded to more than 256 bytes"));

    TPicture Picture;
    try {
        PictureFromStrings(Picture, ClassName, Lines);
    } catch (const Exception&) {
        FuzzCheck(Picture.Graphic() == nullptr,
                  QStringLiteral("a failed load changed the picture"));
        return;
    }
    if (const TGraphic* Graphic = Picture.Graphic()) {
        (void)Graphic->Width();
        (void)Graphic->Height();
        if (!Graphic->Empty()) Paint(*Graphic);
    }
}

}  // namespace scheme::fuzz
