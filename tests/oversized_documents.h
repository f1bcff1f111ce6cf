#pragma once

// Documents of oversized pictures, as text, built without decoding any of them.
#include <QBuffer>
#include <QStringList>
#include <memory>

#include "oversized_pictures.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/model/scheme_picture.h"
#include "scheme/platform/metafile.h"
#include "scheme/platform/raster_graphic.h"

namespace scheme::testing {

// The text of a document whose layer 1 holds one picture object per entry of Pictures, each
// Size units square. The graphics are read under a budget of nothing, so building the text
// decodes no image; the text holds their bytes as given.
template <class TGraphicClass>
QStringList PictureDocument(const std::vector<QByteArray>& Pictures, Extended Size) {
    TPictureReadScope Nothing(std::make_shared<TPictureBudget>(0));
    TSchemeData Data;
    Data.SetTimerInterval(0);
    Data.LayerAdd(1);
    int Id = 0;
    for (QByteArray Bytes : Pictures) {
        auto Graphic = std::make_unique<TGraphicClass>();
        QBuffer Stream(&Bytes);
        Stream.open(QIODevice::ReadOnly);
        Graphic->LoadFromStream(Stream);
        TPicture Picture;
        Picture.TakeGraphic(std::move(Graphic));
        auto* Object = new TSchemePicture(++Id, 0, 0, Size, Size, 0);
        Object->SetPicture(Picture);
        Data.GetLayer(1)->Add(Object);
    }
    QStringList Text;
    Data.SaveToStrings(Text);
    return Text;
}

// Forty pictures of Gif, each drawn a little larger than the size the oversized GIF claims.
inline QStringList FortyGifDocument(const QByteArray& Gif = OversizedGif()) {
    return PictureDocument<TBitmap>(std::vector<QByteArray>(40, Gif), 5800);
}

// One SVG picture embedding Gif forty times.
inline QStringList SvgOfFortyGifsDocument(const QByteArray& Gif = OversizedGif()) {
    return PictureDocument<TMetafile>({SvgOfImages(Gif, 40)}, 40);
}

}  // namespace scheme::testing
