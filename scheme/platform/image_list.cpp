#include "scheme/platform/image_list.h"

#include <algorithm>

namespace scheme {

TImageList::TImageList(int Width, int Height, QObject* Parent)
    : QObject(Parent), FWidth(std::max(Width, 1)), FHeight(std::max(Height, 1)) {}

TImageList::~TImageList() = default;

int TImageList::Add(const QImage& Image) {
    if (Image.isNull()) return -1;
    if (Image.width() == FWidth && Image.height() == FHeight)
        FImages.push_back(Image);
    else
        FImages.push_back(Image.scaled(FWidth, FHeight));
    return Count() - 1;
}

bool TImageList::GetBitmap(int Index, QImage& Bitmap) const {
    if (Index < 0 || Index >= Count()) {
        Bitmap = QImage();
        return false;
    }
    Bitmap = FImages[static_cast<size_t>(Index)];
    return true;
}

}  // namespace scheme
