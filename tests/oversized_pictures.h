#pragma once

// Pictures whose few bytes claim images far larger than their data: what a hostile document
// embeds to make a reader allocate.
#include <QByteArray>
#include <algorithm>

#include "scheme/platform/picture_budget.h"

namespace scheme::testing {

// A GIF of 35 bytes claiming Width x Height pixels: one pixel of image data, the rest left to
// the decoder's background. 5792 x 5792 decodes to 128 MiB. Padding adds a comment of that many
// bytes, which a decoder skips.
inline QByteArray OversizedGif(int Width = 5792, int Height = 5792, int Padding = 0) {
    const auto Le16 = [](int V) {
        return QByteArray(1, char(V & 0xFF)) + QByteArray(1, char((V >> 8) & 0xFF));
    };
    QByteArray Comment;
    for (int Left = Padding; Left > 0; Left -= 255)
        Comment += char(std::min(Left, 255)) + QByteArray(std::min(Left, 255), 'x');
    if (Padding > 0) Comment = QByteArray("\x21\xFE", 2) + Comment + QByteArray(1, '\0');
    const QByteArray Size = Le16(Width) + Le16(Height);
    return QByteArray("GIF89a") + Size + QByteArray("\x80\x00\x00", 3) +
           QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) + Comment +
           QByteArray("\x2C\x00\x00\x00\x00", 5) + Size +
           QByteArray("\x00\x02\x02\x44\x01\x00\x3B", 7);
}

// The same GIF padded to as many bytes as real image data of its size could take: it is
// decoded, within the budget.
inline QByteArray LargeGif(int Width = 5792, int Height = 5792) {
    return OversizedGif(Width, Height, int(qint64(Width) * Height / scheme::kMaxPixelsPerDataByte));
}

// An SVG document, 40 x 20 units, that embeds Gif Count times as data: URIs.
inline QByteArray SvgOfImages(const QByteArray& Gif, int Count) {
    QByteArray Text =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
        "width=\"40\" height=\"20\">";
    for (int I = 0; I < Count; ++I)
        Text += "<image width=\"40\" height=\"20\" xlink:href=\"data:image/gif;base64," +
                Gif.toBase64() + "\"/>";
    return Text + "</svg>";
}

}  // namespace scheme::testing
