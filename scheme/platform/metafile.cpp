#include "scheme/platform/metafile.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <optional>
#include <vector>

#include "scheme/platform/canvas.h"

namespace scheme {

namespace {

// Plain SVG is XML text: its first character after a byte order mark and blanks is "<".
// Compressed SVG and binary metafiles fail this test.
bool IsXmlText(const QByteArray& Data) {
    qsizetype I = Data.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (I < Data.size() &&
           (Data[I] == ' ' || Data[I] == '\t' || Data[I] == '\r' || Data[I] == '\n'))
        ++I;
    return I < Data.size() && Data[I] == '<';
}

// Qt SVG is only ever given text that SelfContained wrote.
std::unique_ptr<QSvgRenderer> MakeRenderer(const QByteArray& Text) {
    auto Renderer = std::make_unique<QSvgRenderer>();
    if (!Renderer->load(Text) || !Renderer->isValid()) return nullptr;
    return Renderer;
}

// How far into the data an SVG document's root element is looked for.
constexpr qsizetype kSvgSniffLength = 4096;

// How deep SVG images may sit inside one another's data: URIs. Real drawings nest none; a
// deeper image is dropped.
constexpr int kMaxSvgImageNesting = 4;

[[noreturn]] void RefuseSvg(const QString& Why) {
    throw EInvalidGraphic(QStringLiteral("%1: %2").arg(TMetafile::StaticClassName(), Why));
}

// What the document and the SVG images inside it have cost so far. With Pictures, the raster
// images it embeds are reserved there (Qt SVG decodes them whole while it reads the document),
// and those that do not fit are dropped, each with a note.
struct TSvgBudget {
    qint64 Elements = 0;
    qint64 StyleMatches = 0;
    const std::shared_ptr<TPictureBudget>* Pictures = nullptr;
    TPictureCharge* Charge = nullptr;
    QStringList* Dropped = nullptr;
    int Images = 0;

    void Drop(const QString& Why) const {
        if (Dropped)
            Dropped->append(QStringLiteral("%1: embedded image %2 dropped: %3")
                                .arg(TMetafile::StaticClassName())
                                .arg(Images)
                                .arg(Why));
    }
};

// Whether the raster image Bytes (of Format) fits the picture budget; drops it with a note
// when not.
bool ReserveImage(TSvgBudget& Budget, QBuffer& Bytes) {
    if (!Budget.Pictures) return true;
    QImageReader Reader(&Bytes);
    const QSize Size = Reader.size();
    if (!Size.isValid() || Size.isEmpty()) {
        Budget.Drop(QStringLiteral("its size cannot be read"));
        return false;
    }
    if (QString Why; !DataCanHold(Size, Bytes.size(), &Why)) {
        Budget.Drop(QStringLiteral("it claims %1 x %2 pixels, but %3")
                        .arg(Size.width())
                        .arg(Size.height())
                        .arg(Why));
        return false;
    }
    const qint64 Need = DecodedBytes(Size, Reader.imageFormat());
    if (Budget.Charge->Add(*Budget.Pictures, Need)) return true;
    const TPictureBudget& Pictures = **Budget.Pictures;
    Budget.Drop(QStringLiteral("it claims %1 x %2 pixels and needs %3 decoded, which would pass "
                               "the limit of %4 for the pictures of the document (%5 in use)")
                    .arg(Size.width())
                    .arg(Size.height())
                    .arg(BytesText(Need), BytesText(Pictures.Limit()), BytesText(Pictures.Used())));
    return false;
}

// Qt SVG reads names without namespace processing: "xlink:href" is matched as written. A name
// is judged here by what follows its prefix, so that no prefix hides a reference.
QStringView LocalName(QStringView Name) {
    const qsizetype Colon = Name.lastIndexOf(u':');
    return Colon < 0 ? Name : Name.mid(Colon + 1);
}

// Text with every url(...) whose target is not an element of the document (#id) replaced by
// url(#), which names no element, so that the property falls back as for any missing target.
QString WithLocalUrlsOnly(const QString& Text) {
    qsizetype Start = Text.indexOf(QLatin1String("url("), 0, Qt::CaseInsensitive);
    if (Start < 0) return Text;
    QString Result;
    qsizetype Copied = 0;
    while (Start >= 0) {
        qsizetype I = Start + 4;
        while (I < Text.size() && Text[I].isSpace()) ++I;
        QChar Quote;
        if (I < Text.size() && (Text[I] == u'"' || Text[I] == u'\'')) Quote = Text[I++];
        const bool Local = I < Text.size() && Text[I] == u'#';
        if (!Quote.isNull()) {
            const qsizetype Closing = Text.indexOf(Quote, I);
            I = Closing < 0 ? Text.size() : Closing + 1;
        }
        const qsizetype Paren = Text.indexOf(u')', I);
        const qsizetype End = Paren < 0 ? Text.size() : Paren + 1;
        if (!Local) {
            Result += QStringView(Text).mid(Copied, Start - Copied);
            Result += QLatin1String("url(#)");
            Copied = End;
        }
        Start = Text.indexOf(QLatin1String("url("), End, Qt::CaseInsensitive);
    }
    Result += QStringView(Text).mid(Copied);
    return Result;
}

// The selectors of a style sheet, as many as Qt SVG may try on each element: one for every
// block and one more for every comma outside blocks. Comments are skipped.
qint64 CountSelectors(QStringView Css) {
    qint64 Count = 0;
    int Depth = 0;
    for (qsizetype I = 0; I < Css.size(); ++I) {
        const QChar C = Css[I];
        if (C == u'/' && I + 1 < Css.size() && Css[I + 1] == u'*') {
            const qsizetype Close = Css.indexOf(u"*/", I + 2);
            if (Close < 0) break;
            I = Close + 1;
        } else if (C == u'{') {
            ++Count;
            ++Depth;
        } else if (C == u'}') {
            Depth = std::max(Depth - 1, 0);
        } else if (C == u',' && Depth == 0) {
            ++Count;
        }
    }
    return Count;
}

std::optional<QByteArray> SelfContainedSvg(const QByteArray& Data, TSvgBudget& Budget, int Depth);

// The reference an <image> keeps: a data: URI, written anew from the bytes it decodes to, or
// nothing. Qt SVG reads every other reference as a file name, and decodes what follows the
// last "base64,"; the new URI holds exactly the bytes checked here. An SVG image is made
// self-contained in turn.
std::optional<QString> SelfContainedImage(const QString& Uri, TSvgBudget& Budget, int Depth) {
    if (!Uri.startsWith(QLatin1String("data:"))) return std::nullopt;
    ++Budget.Images;
    const qsizetype Mark = Uri.lastIndexOf(QLatin1String("base64,"));
    if (Mark < 0) {
        Budget.Drop(QStringLiteral("its data is not base64"));
        return std::nullopt;
    }
    QByteArray Bytes = QByteArray::fromBase64(QStringView(Uri).mid(Mark + 7).toLatin1());
    if (Bytes.startsWith("\x1F\x8B")) {  // compressed, perhaps an SVG
        Budget.Drop(QStringLiteral("it is compressed"));
        return std::nullopt;
    }
    QBuffer Buffer(&Bytes);
    Buffer.open(QIODevice::ReadOnly);
    const QByteArray Format = QImageReader::imageFormat(&Buffer);
    if (Format.isEmpty()) {
        Budget.Drop(QStringLiteral("its format is unknown"));
        return std::nullopt;
    }
    QString Prefix = Uri.left(Mark + 7);
    if (Format.startsWith("svg")) {
        Buffer.close();
        if (Format != "svg" || Depth >= kMaxSvgImageNesting) {
            Budget.Drop(
                Format != "svg"
                    ? QStringLiteral("it is compressed")
                    : QStringLiteral("it is nested more than %1 deep").arg(kMaxSvgImageNesting));
            return std::nullopt;
        }
        std::optional<QByteArray> Text = SelfContainedSvg(Bytes, Budget, Depth + 1);
        if (!Text) {
            Budget.Drop(QStringLiteral("it is not a readable SVG document"));
            return std::nullopt;
        }
        Bytes = *std::move(Text);
        Prefix = QStringLiteral("data:image/svg+xml;base64,");
    } else if (!ReserveImage(Budget, Buffer)) {
        return std::nullopt;
    }
    return Prefix + QString::fromLatin1(Bytes.toBase64());
}

// The document rewritten without references outside it; nothing when it is not well-formed
// up to the end of its root element. Raises EInvalidGraphic when a limit is passed.
std::optional<QByteArray> SelfContainedSvg(const QByteArray& Data, TSvgBudget& Budget, int Depth) {
    QXmlStreamReader Reader(Data);
    Reader.setNamespaceProcessing(false);  // as Qt SVG reads
    QByteArray Text;
    QXmlStreamWriter Writer(&Text);
    Writer.writeStartDocument();
    struct TOpenElement {
        QString LocalName;
        qsizetype Stops = 0;
    };
    std::vector<TOpenElement> Open;
    qint64 Elements = 0;
    qint64 Selectors = 0;
    bool Done = false;
    // Qt SVG stops reading at the end of the root element; so does this.
    while (!Done && !Reader.atEnd()) {
        switch (Reader.readNext()) {
            case QXmlStreamReader::StartElement: {
                if (++Budget.Elements > kMaxSvgElements)
                    RefuseSvg(QStringLiteral("the SVG document holds more than %1 elements")
                                  .arg(kMaxSvgElements));
                ++Elements;
                const QString Local = LocalName(Reader.name()).toString();
                if (Local == u"stop" && !Open.empty() && ++Open.back().Stops > kMaxSvgGradientStops)
                    RefuseSvg(QStringLiteral("a gradient of the SVG document holds more than "
                                             "%1 stops")
                                  .arg(kMaxSvgGradientStops));
                const bool Image = Local == u"image";
                bool Shown = !Image;
                QXmlStreamAttributes Kept;
                const QXmlStreamAttributes Attributes = Reader.attributes();
                for (const QXmlStreamAttribute& Attribute : Attributes) {
                    const QString Name = Attribute.qualifiedName().toString();
                    const QString Value = Attribute.value().toString();
                    if (LocalName(Name).compare(u"href", Qt::CaseInsensitive) != 0) {
                        Kept.append(Name, WithLocalUrlsOnly(Value));
                    } else if (Image) {
                        if (std::optional<QString> Uri = SelfContainedImage(Value, Budget, Depth)) {
                            Kept.append(Name, *Uri);
                            Shown = true;
                        }
                    } else if (Value.startsWith(u'#')) {
                        Kept.append(Name, Value);
                    }
                }
                // An image left without its data would draw nothing: it is left out whole.
                if (!Shown) {
                    Reader.skipCurrentElement();
                    break;
                }
                Writer.writeStartElement(Reader.qualifiedName().toString());
                Writer.writeAttributes(Kept);
                Open.push_back({Local});
                break;
            }
            case QXmlStreamReader::EndElement:
                Writer.writeEndElement();
                Open.pop_back();
                Done = Open.empty();
                break;
            case QXmlStreamReader::Characters: {
                if (Open.empty()) break;
                QString Characters = Reader.text().toString();
                if (Open.back().LocalName == u"style") {
                    Characters = WithLocalUrlsOnly(Characters);
                    Selectors += CountSelectors(Characters);
                }
                if (Reader.isCDATA())
                    Writer.writeCDATA(Characters);
                else
                    Writer.writeCharacters(Characters);
                break;
            }
            default:  // document type, comments, processing instructions, unresolved entities
                break;
        }
    }
    if (!Done) return std::nullopt;
    if (Selectors > 0 && Elements > 0) {
        Budget.StyleMatches += Selectors * Elements;
        if (Budget.StyleMatches > kMaxSvgStyleMatches)
            RefuseSvg(QStringLiteral("the style sheets of the SVG document would be tried more "
                                     "than %1 times (selectors times elements)")
                          .arg(kMaxSvgStyleMatches));
    }
    Writer.writeEndDocument();
    return Text;
}

}  // namespace

bool TMetafile::LooksLikeSvg(const QByteArray& Data) {
    return IsXmlText(Data) && Data.left(kSvgSniffLength).contains("<svg");
}

QByteArray TMetafile::SelfContained(const QByteArray& Data) {
    TSvgBudget Budget;
    std::optional<QByteArray> Text = SelfContainedSvg(Data, Budget, 0);
    if (!Text) RefuseSvg(QStringLiteral("the data is not a readable SVG document"));
    return *std::move(Text);
}

TMetafile::TMetafile() = default;

// The source's text was read once: it is self-contained and within the limits. The copy holds
// its own embedded images, so they count again.
TMetafile::TMetafile(const TMetafile& Source)
    : TGraphic(Source), FData(Source.FData), FSize(Source.FSize) {
    if (!FData.isEmpty()) Build(FData);
}

TMetafile::~TMetafile() = default;

void TMetafile::Build(const QByteArray& Data) {
    TPictureCharge Charge;
    QStringList Dropped;
    TSvgBudget Budget;
    Budget.Pictures = &PictureBudget();
    Budget.Charge = &Charge;
    Budget.Dropped = &Dropped;
    std::optional<QByteArray> Text;
    if (IsXmlText(Data)) Text = SelfContainedSvg(Data, Budget, 0);
    std::unique_ptr<QSvgRenderer> Renderer = Text ? MakeRenderer(*Text) : nullptr;
    if (!Renderer) RefuseSvg(QStringLiteral("the data is not a readable SVG document"));
    FSize = Renderer->defaultSize();
    FRenderer = std::move(Renderer);
    FCharge = std::move(Charge);
    for (const QString& Why : Dropped) Note(Why);
}

void TMetafile::ReadData(const QByteArray& Data) {
    Build(Data);
    FData = Data;
}

void TMetafile::Clear() {
    FRenderer.reset();
    FCharge.Reset();
    FData.clear();
    FSize = QSize();
}

// The images the renderer holds count against the old budget: the document is read anew.
void TMetafile::BudgetChanged() {
    if (FData.isEmpty()) return;
    FRenderer.reset();
    FCharge.Reset();
    try {
        Build(FData);
    } catch (const EInvalidGraphic& E) {
        Note(E.Message());
    }
}

// The drawing is clipped to R: an SVG may paint outside its view box.
void TMetafile::Draw(TCanvas& Canvas, const TRect& R) const {
    if (!FRenderer) return;
    QPainter* Painter = Canvas.Painter();
    Painter->save();
    Painter->setClipRect(ToQRect(R), Qt::IntersectClip);
    FRenderer->render(Painter, QRectF(ToQRect(R)));
    Painter->restore();
}

}  // namespace scheme
