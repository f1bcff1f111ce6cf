#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

#include "scheme/platform/export.h"
#include "scheme/platform/graphic.h"
#include "scheme/platform/object.h"

namespace scheme {

// Holds zero or one graphic, which it owns. OnChange follows every replacement of the graphic
// and every change the graphic announces.
class SCHEME_EXPORT TPicture : public TObject {
public:
    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // The graphic, or nullptr when the picture is empty.
    TGraphic* Graphic() const { return FGraphic.get(); }
    // A copy of Value replaces the graphic; nullptr empties the picture.
    void SetGraphic(const TGraphic* Value);
    // Value replaces the graphic and belongs to the picture from now on; the picture takes
    // over its OnChange.
    void TakeGraphic(std::unique_ptr<TGraphic> Value);
    // A deep copy of Source's graphic replaces this one's.
    void Assign(const TPicture& Source);

    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Reads a graphic file; the graphic class follows the content, and the file's extension
    // when the content does not tell. Raises EInvalidGraphic (the picture is then unchanged)
    // for a file that cannot be read or holds no graphic this library reads.
    void LoadFromFile(const QString& FileName);
    // A new empty graphic of the class suited to Data (and to a file name's Suffix, when the
    // bytes do not tell): SVG text makes a TMetafile, a known raster format its own class, and
    // anything else a TBitmap, which reads every raster format Qt knows.
    static std::unique_ptr<TGraphic> GraphicClassFor(const QByteArray& Data, const QString& Suffix);

    TNotifyEvent OnChange;

private:
    void Changed();

    std::unique_ptr<TGraphic> FGraphic;
};

}  // namespace scheme
