#include "document_summary.h"

#include <QMap>
#include <QTextStream>

#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

QString DocumentSummary(const TSchemeData& Data) {
    QMap<QString, int> Kinds;
    int Objects = 0;
    for (int L = 0; L < Data.LayerCount(); ++L) {
        const TSchemeLayer* Layer = Data.GetLayerIndex(L);
        Objects += Layer->Count();
        for (int I = 0; I < Layer->Count(); ++I) ++Kinds[Layer->GetItemIndex(I)->ClassName()];
    }
    int Links = 0;
    for (int I = 0; I < Data.LinkCount(); ++I) Links += Data.GetLink(I) != nullptr;

    QString Text;
    QTextStream Out(&Text);
    Out << "layers: " << Data.LayerCount() << "\n";
    Out << "objects: " << Objects << "\n";
    for (auto It = Kinds.cbegin(); It != Kinds.cend(); ++It)
        Out << "  " << It.key() << ": " << It.value() << "\n";
    Out << "links: " << Links << "\n";
    return Text;
}
