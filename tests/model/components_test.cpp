// Component references: "Owner.Name" resolved over the application's forms and data modules.
#include <gtest/gtest.h>

#include "scheme/model/components.h"
#include "scheme/platform/component_roots.h"

using namespace scheme;

namespace {

QObject* Named(const char* Name, QObject* Parent = nullptr) {
    auto* Obj = new QObject(Parent);
    Obj->setObjectName(QString::fromLatin1(Name));
    return Obj;
}

QObject* Find(const char* Ref) {
    return _get_component_for_name(QString::fromLatin1(Ref));
}

}  // namespace

TEST(ComponentRefs, ResolveOverFormsThenDataModulesIgnoringLetterCase) {
    QObject Unnamed, Form, Module, Shadow;
    Form.setObjectName(QStringLiteral("Form1"));
    Module.setObjectName(QStringLiteral("Data"));
    Shadow.setObjectName(QStringLiteral("FORM1"));
    QObject* Images = Named("Images", &Form);
    QObject* Deep = Named("Deep", Named("Panel", &Form));
    QObject* Extra = Named("Extra", &Module);
    Named("Images", &Unnamed);
    Named("Only", &Shadow);
    SetFormsProvider([&] { return QList<QObject*>{&Unnamed, nullptr, &Form}; });
    RegisterDataModule(&Module);
    RegisterDataModule(&Module);
    RegisterDataModule(&Shadow);

    EXPECT_EQ(Find("fORM1.IMAGES"), Images);
    EXPECT_EQ(_get_name_for_component(Images), QStringLiteral("Form1.Images"));
    EXPECT_EQ(Find("Form1.deep"), Deep);
    EXPECT_EQ(Find("data.extra"), Extra);
    EXPECT_EQ(Find("Form1.Only"), nullptr);  // the first root of the name decides
    for (const char* Ref : {"Nowhere.Images", "Form1.Missing", "Form1.", ".Images", ""})
        EXPECT_EQ(Find(Ref), nullptr) << Ref;
    EXPECT_EQ(ApplicationDataModules(), (QList<QObject*>{&Module, &Shadow}));

    SetFormsProvider({});
    UnregisterDataModule(&Module);
    UnregisterDataModule(&Shadow);
}

TEST(ComponentRefs, OwnerlessComponentsGoByTheirOwnNameAndDestroyedModulesDropOut) {
    auto Loose = std::make_unique<QObject>();
    Loose->setObjectName(QStringLiteral("Loose"));
    EXPECT_EQ(_get_name_for_component(Loose.get()), QStringLiteral("Loose"));
    EXPECT_EQ(_get_name_for_component(nullptr), QString());
    EXPECT_EQ(Find("Loose"), nullptr);
    RegisterDataModule(Loose.get());
    EXPECT_EQ(Find("LOOSE"), Loose.get());
    Loose.reset();
    EXPECT_EQ(Find("Loose"), nullptr);
    EXPECT_TRUE(ApplicationDataModules().isEmpty());
}
