#include <QFile>
#include <utility>

#include "scheme/document/history/scheme_history.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/scheme_layer.h"
#include "scheme/platform/exceptions.h"

namespace scheme {

bool TSchemeData::ReplaceFromFile(const QString& AFileName, const TSchemeDataLoadCheck& ACheck) {
    return Replace([&](TSchemeData& Fresh) { Fresh.LoadFromFile(AFileName); }, ACheck);
}

bool TSchemeData::ReplaceFromStream(QIODevice& AStream, const TSchemeDataLoadCheck& ACheck) {
    return Replace([&](TSchemeData& Fresh) { Fresh.LoadFromStream(AStream); }, ACheck);
}

bool TSchemeData::ReplaceFromStrings(QStringList& AStrings, const TSchemeDataLoadCheck& ACheck) {
    return Replace([&](TSchemeData& Fresh) { Fresh.LoadFromStrings(AStrings); }, ACheck);
}

// The fresh document reports its loading events as this one; the end of the load is reported
// once the content has been taken over (or the load has failed or been refused), so that a
// handler of it sees the document as it stays.
bool TSchemeData::Replace(const std::function<void(TSchemeData&)>& Load,
                          const TSchemeDataLoadCheck& ACheck) {
    TSchemeData Fresh;
    Fresh.SetTimerInterval(0);
    Fresh.FDeferSelf = true;
    if (OnBeforeLoading)
        Fresh.OnBeforeLoading = [this](TObject*, QStringList& S) { OnBeforeLoading(this, S); };
    if (OnLoadingProgress)
        Fresh.OnLoadingProgress = [this](TObject*, QStringList& S, int I) {
            OnLoadingProgress(this, S, I);
        };
    QStringList LoadedLines;
    bool Ended = false;
    Fresh.OnAfterLoading = [&](TObject*, QStringList& S) {
        LoadedLines = S;
        Ended = true;
    };
    struct TEnd {
        TSchemeData& Data;
        QStringList& Lines;
        bool& Ended;
        ~TEnd() {
            if (Ended && Data.OnAfterLoading) Data.OnAfterLoading(&Data, Lines);
        }
    } End{*this, LoadedLines, Ended};
    Fresh.FPictureBudget->SetLimit(FPictureBudget->Limit());
    Load(Fresh);
    if (ACheck && !ACheck(Fresh.FLoadWarnings)) return false;
    // The document blocks are read by this document's reader: the lines it leaves out are
    // warned of after the fresh document's warnings.
    FLoadWarnings = Fresh.FLoadWarnings;
    FMoreLoadWarnings = Fresh.FMoreLoadWarnings;
    for (TSelfBlock& Self : Fresh.FSelfBlocks) ReadSelf(Self.Lines, Self.FirstLine);
    TakeContentOf(Fresh);
    // The pictures taken over count against the budget they were read with.
    std::swap(FPictureBudget, Fresh.FPictureBudget);
    FSkippedClassNames = Fresh.FSkippedClassNames;
    FHistory->Clear(true);
    FModified = false;
    ReportModified();
    return true;
}

// The old content goes first (views erase it and let go of what they hold), then the fresh
// document's layers and links move over as they are.
void TSchemeData::TakeContentOf(TSchemeData& Source) {
    ++FLoading;
    try {
        while (!FLayers.empty()) FreeLayer(FLayers.back());
        LinkClear();
        Source.DropIndex();
        std::vector<TSchemeLayer*> Layers = std::exchange(Source.FLayers, {});
        Source.FLayerIds.Clear();
        Source.FLayerIdsValid = true;
        for (TSchemeLayer* Layer : Layers) {
            Layer->SetSchemeData(nullptr);
            InsertLayer(LayerCount(), Layer);
        }
        TSchemeLinkList Links = std::exchange(Source.FLinks, {});
        for (TSchemeLink* Link : Links) {
            FLinks.push_back(Link);
            if (!Link) continue;
            Link->SetLinkList(&FLinks);
            IndexLink(LinkCount() - 1);
        }
    } catch (...) {
        EndLoadingLevel();
        throw;
    }
    EndLoadingLevel();
}

}  // namespace scheme
