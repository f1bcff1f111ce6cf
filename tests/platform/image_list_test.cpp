// Image lists: images of one size fetched by index.
#include <gtest/gtest.h>

#include <QImage>

#include "scheme/platform/image_list.h"

using namespace scheme;

TEST(ImageList, KeepsImagesAtItsSizeAndAnswersFalseOutsideTheList) {
    TImageList List(8, 6);
    QImage Big(32, 32, QImage::Format_RGB32);
    Big.fill(Qt::blue);
    EXPECT_EQ(List.Add(QImage()), -1);
    EXPECT_EQ(List.Add(Big), 0);
    QImage Got;
    ASSERT_TRUE(List.GetBitmap(0, Got));
    EXPECT_EQ(Got.size(), QSize(8, 6));
    for (int Index : {-1, 1}) {
        EXPECT_FALSE(List.GetBitmap(Index, Got)) << Index;
        EXPECT_TRUE(Got.isNull()) << Index;
    }
}
