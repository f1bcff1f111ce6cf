#pragma once

// Pictures whose few bytes claim images far larger than their data: what a hostile document
// embeds to make a reader allocate.
#include <QByteArray>

namespace scheme::testing {

// A GIF of 35 bytes claiming Width x Height pixels: one pixel of image data, the rest left to
// the decoder's background. 5792 x 5792 decodes to 128 MiB.
inline QByteArray OversizedGif(int Width = 5792, int Height = 5792) {
    const auto Le16 = [](int V) {
        return QByteArray(1, char(V & 0xFF)) + QByteArray(1, char((V >> 8) & 0xFF));
    };
    const QByteArray Size = Le16(Width) + Le16(Height);
    return QByteArray("GIF89a") + Size + QByteArray("\x80\x00\x00", 3) +
           QByteArray("\x00\x00\x00\xFF\xFF\xFF", 6) + QByteArray("\x2C\x00\x00\x00\x00", 5) +
           Size + QByteArray("\x00\x02\x02\x44\x01\x00\x3B", 7);
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
