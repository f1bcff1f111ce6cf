#pragma once

// Readable test failure messages for Qt value types.
#include <QString>
#include <QStringList>
#include <ostream>

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& S, std::ostream* Os) {
    *Os << '"' << S.toStdString() << '"';
}
inline void PrintTo(const QStringList& L, std::ostream* Os) {
    *Os << "{\n";
    for (const QString& S : L) *Os << "  \"" << S.toStdString() << "\"\n";
    *Os << '}';
}
QT_END_NAMESPACE
