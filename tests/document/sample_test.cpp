// The sample diagram holds every object kind, so it doubles as the document round-trip check.
#include <gtest/gtest.h>

#include <QFile>
#include <set>

#include "qt_printers.h"
#include "scheme/document/scheme_data.h"
#include "scheme/model/class_registry.h"
#include "scheme/model/scheme_layer.h"

using namespace scheme;

namespace {

QStringList Saved(TSchemeData& Data) {
    QStringList Strings;
    Data.SaveToStrings(Strings);
    return Strings;
}

}  // namespace

TEST(SampleDiagram, HoldsEveryObjectKindAndRoundTripsExactly) {
    TSchemeData Data;
    Data.LoadFromFile(QStringLiteral(SCHEME_SAMPLE_PATH));
    EXPECT_TRUE(Data.SkippedClassNames().isEmpty());
    std::set<QString> Kinds;
    for (int L = 0; L < Data.LayerCount(); ++L)
        for (int I = 0; I < Data.GetLayerIndex(L)->Count(); ++I)
            Kinds.insert(Data.GetLayerIndex(L)->GetItemIndex(I)->ClassName());
    for (const QString& Name : RegisteredSchemeClassNames()) {
        if (Name != QLatin1String("TSchemeLayer") && Name != QLatin1String("TSchemeLink")) {
            EXPECT_TRUE(Kinds.count(Name)) << Name.toStdString();
        }
    }

    QStringList First = Saved(Data);
    TSchemeData Again;
    Again.LoadFromStrings(First);
    EXPECT_EQ(Saved(Again), Saved(Data));

    QFile File(QStringLiteral(SCHEME_SAMPLE_PATH));
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(File.readAll()),
              Saved(Data).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n"));
}
