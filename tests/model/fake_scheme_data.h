#pragma once

#include <QStringList>
#include <vector>

#include "qt_printers.h"
#include "scheme/model/persistent.h"

namespace scheme::testing {

// A document stand-in that records what layers and objects ask of it.
class FakeSchemeData : public ISchemeData {
public:
    struct Move {
        TObject* Object;
        Extended DX, DY;
        int Detail;
    };

    void ObjectRepaintDirect(TObject* AObject) override { Repaints.push_back(AObject); }
    void ObjectWasChangedPosition(TObject* AObject, Extended DX, Extended DY,
                                  int ADetail) override {
        Moves.push_back(Move{AObject, DX, DY, ADetail});
    }
    void ObjectWasDeleted(TObject* AObject) override { Deleted.push_back(AObject); }
    void RepaintAllVisualControls(bool AOnlySchemeData) override {
        FullRepaints.push_back(AOnlySchemeData);
    }

    void Reset() {
        Repaints.clear();
        Moves.clear();
        Deleted.clear();
        FullRepaints.clear();
    }

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
