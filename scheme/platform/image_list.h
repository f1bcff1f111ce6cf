#pragma once

#include <QImage>
#include <QObject>
#include <vector>

#include "scheme/platform/export.h"

namespace scheme {

// A list of images of one size, referred to by index. Its objectName is its component name
// and its QObject parent its owner; diagrams refer to it by "Owner.Name".
class SCHEME_EXPORT TImageList : public QObject {
    Q_OBJECT

public:
    // Every image is kept at Width x Height pixels (each at least 1).
    explicit TImageList(int Width = 16, int Height = 16, QObject* Parent = nullptr);
    ~TImageList() override;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int Count() const { return static_cast<int>(FImages.size()); }

    // Appends Image, scaled to the list's size when it has another, and answers its index; a
    // null image is refused with -1.
    int Add(const QImage& Image);
    void Clear() { FImages.clear(); }
    // Copies image Index into Bitmap; an index outside the list answers false and leaves
    // Bitmap empty.
    bool GetBitmap(int Index, QImage& Bitmap) const;

private:
    int FWidth;
    int FHeight;
    std::vector<QImage> FImages;
};

}  // namespace scheme
