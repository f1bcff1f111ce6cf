#pragma once

#include <QImage>

#include "scheme/platform/graphic.h"

namespace scheme {

// A raster image stored in one file format.
//
// The graphic keeps the bytes it was loaded from and saves them back unchanged, so that a load
// and a save neither compress a JPEG a second time, nor drop the other sizes of an icon, nor
// turn a compressed image that a bitmap read into a BMP a thousand times its size (which
// loading might then refuse). An image set in code is encoded in the graphic's own format at
// once, so that an image the format cannot hold is refused when it is set.
class SCHEME_EXPORT TRasterGraphic : public TGraphic {
public:
    const QImage& Image() const { return FImage; }
    // Replaces the image, and the bytes read, by Value stored in the graphic's own format;
    // raises EInvalidGraphic when the format cannot store it.
    void SetImage(const QImage& Value);

    int Width() const override { return FImage.width(); }
    int Height() const override { return FImage.height(); }
    bool Empty() const override { return FImage.isNull(); }
    // Draws the image with its own alpha channel; Transparent plays no part.
    using TGraphic::Draw;
    void Draw(TCanvas& Canvas, const TRect& R) const override;

protected:
    // Format is the Qt name of the stored format; with AnyFormat the graphic also reads every
    // other raster format Qt knows.
    TRasterGraphic(const char* Format, bool AnyFormat);
    TRasterGraphic(const TRasterGraphic& Source) = default;

    void ReadData(const QByteArray& Data) override;
    void Clear() override;
    QByteArray WriteData() const override { return FData; }

private:
    QByteArray Encode(const QImage& Image) const;

    QByteArray FFormat;
    bool FAnyFormat;
    QImage FImage;
    QByteArray FData;
};

// A bitmap: stored as a BMP file, read from any raster format, whose bytes it then keeps. A
// transparent bitmap leaves out the pixels of the colour of its bottom-left pixel.
class SCHEME_EXPORT TBitmap : public TRasterGraphic {
    SCHEME_GRAPHIC_CLASS(TBitmap)

public:
    TBitmap() : TRasterGraphic("bmp", true) {}
    using TGraphic::Draw;
    void Draw(TCanvas& Canvas, const TRect& R) const override;

protected:
    TBitmap(const TBitmap& Source) = default;
};

// An icon, stored as an ICO file.
class SCHEME_EXPORT TIcon : public TRasterGraphic {
    SCHEME_GRAPHIC_CLASS(TIcon)

public:
    TIcon() : TRasterGraphic("ico", false) {}

protected:
    TIcon(const TIcon& Source) = default;
};

// A PNG image.
class SCHEME_EXPORT TPngImage : public TRasterGraphic {
    SCHEME_GRAPHIC_CLASS(TPngImage)

public:
    TPngImage() : TRasterGraphic("png", false) {}

protected:
    TPngImage(const TPngImage& Source) = default;
};

// A JPEG image.
class SCHEME_EXPORT TJPEGImage : public TRasterGraphic {
    SCHEME_GRAPHIC_CLASS(TJPEGImage)

public:
    TJPEGImage() : TRasterGraphic("jpeg", false) {}

protected:
    TJPEGImage(const TJPEGImage& Source) = default;
};

}  // namespace scheme
