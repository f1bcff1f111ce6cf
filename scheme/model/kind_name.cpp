#include "scheme/model/kind_name.h"

#include "scheme/model/scheme_object.h"

namespace scheme {

QString KindName(const TSchemeObject& Obj) {
    return KindNameOfClass(Obj.ClassName());
}

QString KindNameOfClass(const QString& ClassName) {
    // The one kind whose class name says how it is stored rather than what it shows.
    if (ClassName == QLatin1String("TSchemeInternalPicture"))
        return QStringLiteral("Embedded picture");
    QString Name = ClassName;
    if (Name.startsWith(QLatin1String("TScheme")) && Name.size() > 7)
        Name.remove(0, 7);
    else if (Name.size() > 1 && Name[0] == QLatin1Char('T') && Name[1].isUpper())
        Name.remove(0, 1);
    QString Words;
    for (qsizetype I = 0; I < Name.size(); ++I) {
        const QChar C = Name[I];
        // A capital starts a word unless it follows another capital (an acronym stays whole).
        if (I > 0 && C.isUpper() && !Name[I - 1].isUpper()) {
            Words += QLatin1Char(' ');
            Words += C.toLower();
        } else {
            Words += C;
        }
    }
    return Words.isEmpty() ? ClassName : Words;
}

}  // namespace scheme
