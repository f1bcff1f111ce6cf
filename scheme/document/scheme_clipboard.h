#pragma once

#include <QMimeData>
#include <QStringList>
#include <memory>
#include <vector>

#include "scheme/platform/export.h"
#include "scheme/platform/types.h"

namespace scheme {

class TSchemeData;
class TSchemeObject;

// Objects carried as the document's own text: on the system clipboard under a type of our own
// and as plain text of the same lines, so that another program shows the records and a text
// that is a document pastes as one.
class SCHEME_EXPORT TSchemeClipboard {
public:
    static constexpr const char* kMimeType = "application/x-scheme-document";

    // The objects, their layers' records and the links between them, as a document's text.
    static QStringList Text(TSchemeData& Data, const std::vector<TSchemeObject*>& Objects);
    static std::unique_ptr<QMimeData> MimeData(TSchemeData& Data,
                                               const std::vector<TSchemeObject*>& Objects);
    // The document text a clipboard's content holds: ours, else plain text; empty for neither.
    static QStringList TextOf(const QMimeData& Mime);

    // What a paste placed, and what reading the text left out or read otherwise than written.
    struct TPasted {
        std::vector<TSchemeObject*> Objects;
        QStringList Warnings;
    };
    // Adds the text's objects to Data, moved by (DX, DY), each in the layer with its own
    // layer's Id (created from the text's record of that layer when missing), with the next
    // free Id where its own is taken, with the links among them; selects them alone. One step
    // of the history. A text that does not read, or holds no object, raises and changes
    // nothing.
    static TPasted Paste(TSchemeData& Data, QStringList Text, Extended DX, Extended DY);
    // The same with the top-left corner of the box around the objects at the world point At.
    static TPasted PasteAt(TSchemeData& Data, QStringList Text, const TPointExt& At);
    // Copy and paste in one, leaving the system clipboard alone.
    static TPasted Duplicate(TSchemeData& Data, const std::vector<TSchemeObject*>& Objects,
                             Extended DX, Extended DY);

    // The same through the application's clipboard (a GUI application must exist).
    static void Copy(TSchemeData& Data, const std::vector<TSchemeObject*>& Objects);
    static TPasted PasteFromClipboard(TSchemeData& Data, Extended DX, Extended DY);
    static TPasted PasteFromClipboardAt(TSchemeData& Data, const TPointExt& At);
};

}  // namespace scheme
