#pragma once

#include <QStringList>
#include <vector>

#include "qt_printers.h"
#include "scheme/model/persistent.h"
#include "scheme/model/scheme_object.h"
#include "scheme/platform/picture_budget.h"

namespace scheme::testing {

// A document stand-in that records what layers and objects ask of it.
class FakeSchemeData : public ISchemeData {
public:
    struct Move {
        TObject* Object;
        Extended DX, DY;
        int Detail;
    };

    void SchemeChanged(const TSchemeNotice& Notice) override {
        Notices.push_back(Notice);
        // What the object covers when the notice arrives: the change must be complete.
        AreasAtNotice.push_back(Notice.Kind == TSchemeNoticeKind::Changed ? Notice.Object->GetArea()
                                                                          : TSchemeArea{});
        if (Notice.Kind == TSchemeNoticeKind::Leaving) Deleted.push_back(Notice.Object);
    }
    void ObjectRepaintDirect(TObject* AObject) override { Repaints.push_back(AObject); }
    void ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY,
                                  int ADetail) override {
        Moves.push_back(Move{AObject, DX, DY, ADetail});
    }
    void RepaintAllVisualControls(bool AOnlySchemeData) override {
        FullRepaints.push_back(AOnlySchemeData);
    }
    std::shared_ptr<TPictureBudget> PictureBudget() const override { return Budget; }

    // The notices of one kind about one object.
    int NoticesOf(TSchemeNoticeKind Kind, const TObject* Object = nullptr) const {
        int N = 0;
        for (const TSchemeNotice& Notice : Notices)
            N += Notice.Kind == Kind && (!Object || Notice.Object == Object);
        return N;
    }

    // Forgets the notices sent before changes, for tests of what is sent after them.
    void DropAnnouncements() {
        for (size_t I = Notices.size(); I-- > 0;) {
            const TSchemeNoticeKind K = Notices[I].Kind;
            if (K == TSchemeNoticeKind::Changing || K == TSchemeNoticeKind::Deleting ||
                K == TSchemeNoticeKind::Reordering || K == TSchemeNoticeKind::LinkChanging) {
                Notices.erase(Notices.begin() + std::ptrdiff_t(I));
                AreasAtNotice.erase(AreasAtNotice.begin() + std::ptrdiff_t(I));
            }
        }
    }

    void Reset() {
        Notices.clear();
        AreasAtNotice.clear();
        Repaints.clear();
        Moves.clear();
        Deleted.clear();
        FullRepaints.clear();
    }

    // The pictures' budget; nullptr: the process budget.
    std::shared_ptr<TPictureBudget> Budget;
    std::vector<TSchemeNotice> Notices;
    std::vector<TSchemeArea> AreasAtNotice;
    std::vector<TObject*> Repaints;
    std::vector<Move> Moves;
    std::vector<TObject*> Deleted;
    std::vector<bool> FullRepaints;
};

// Splits "a|b|c" into lines, for compact record literals.
inline QStringList Lines(const char* Text) {
    return QString::fromUtf8(Text).split(QLatin1Char('|'));
}

}  // namespace scheme::testing
