#include "scheme/model/components.h"

#include "scheme/platform/component_roots.h"

namespace scheme {

namespace {

bool NameIs(const QObject* Obj, const QString& Name) {
    return !Name.isEmpty() && Obj->objectName().compare(Name, Qt::CaseInsensitive) == 0;
}

QObject* FindChild(const QObject* Owner, const QString& Name, Qt::FindChildOptions Options) {
    for (QObject* Child : Owner->findChildren<QObject*>(Options))
        if (NameIs(Child, Name)) return Child;
    return nullptr;
}

// The first root of that name, forms before data modules.
QObject* FindRoot(const QString& Name) {
    for (const QList<QObject*>& Roots : {ApplicationForms(), ApplicationDataModules()})
        for (QObject* Root : Roots)
            if (NameIs(Root, Name)) return Root;
    return nullptr;
}

}  // namespace

QString _get_name_for_component(const QObject* AComponent) {
    if (!AComponent) return QString();
    const QObject* Owner = AComponent->parent();
    if (!Owner) return AComponent->objectName();
    return QStringLiteral("%1.%2").arg(Owner->objectName(), AComponent->objectName());
}

QObject* _get_component_for_name(const QString& S) {
    const qsizetype Dot = S.indexOf(QLatin1Char('.'));
    if (Dot < 0) return FindRoot(S);
    const QObject* Owner = FindRoot(S.left(Dot));
    if (!Owner) return nullptr;
    const QString Name = S.mid(Dot + 1);
    if (QObject* Child = FindChild(Owner, Name, Qt::FindDirectChildrenOnly)) return Child;
    return FindChild(Owner, Name, Qt::FindChildrenRecursively);
}

}  // namespace scheme
