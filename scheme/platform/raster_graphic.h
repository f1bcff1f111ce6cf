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
//
// Reading looks only at the header: the format and the size the data claims. The pixels are
// decoded when the image is first drawn or asked for, at most at the size it is drawn (by the
// reader itself where the format can, else decoded whole and scaled down at once), against the
// graphic's picture budget, and kept at that size until another is needed. Data damaged past its
// header draws nothing; a note names it. Qt's allocation limit for decoded images stays on.
class SCHEME_EXPORT TRasterGraphic : public TGraphic {
public:
    // The image at its full size, decoded now unless it is at hand; a null image when the
    // budget refuses it or the data does not decode.
    const QImage& Image() const;
    // Replaces the image, and the bytes read, by Value stored in the graphic's own format;
    // raises EInvalidGraphic when the format cannot store it.
    void SetImage(const QImage& Value);

    int Width() const override { return FSize.width(); }
    int Height() const override { return FSize.height(); }
    bool Empty() const override { return FData.isEmpty(); }
    // Draws the image with its own alpha channel; Transparent plays no part.
    using TGraphic::Draw;
    void Draw(TCanvas& Canvas, const TRect& R) const override;
    bool Prepare(const QSize& DrawnSize) const override;
    qint64 DecodedSize() const override { return FDecoded.sizeInBytes(); }

protected:
    // Format is the Qt name of the stored format; with AnyFormat the graphic also reads every
    // other raster format Qt knows.
    TRasterGraphic(const char* Format, bool AnyFormat);
    // A copy shares the bytes and decodes for itself.
    TRasterGraphic(const TRasterGraphic& Source);

    void ReadData(const QByteArray& Data) override;
    void Clear() override;
    QByteArray WriteData() const override { return FData; }
    void BudgetChanged() override;
    // The image decoded for drawing at DrawnSize, or a null image.
    const QImage& Shown(const QSize& DrawnSize) const;

private:
    QByteArray Encode(const QImage& Image) const;
    // Decodes the data at Target (at most the full size) within the budget.
    bool Decode(const QSize& Target) const;
    void Forget() const;

    QByteArray FFormat;
    bool FAnyFormat;
    QByteArray FData;
    // What the header claims: the full size, the decoded format, whether the reader scales.
    QSize FSize;
    QImage::Format FPixelFormat = QImage::Format_Invalid;
    bool FScalable = false;
    // An image set in code, drawn as it is.
    QImage FImage;
    // The image decoded last, its charge, and the size last refused or failed (not tried again
    // until something changes).
    mutable QImage FDecoded;
    mutable TPictureCharge FCharge;
    mutable QSize FRefused;
    mutable bool FBroken = false;
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
