#pragma once

#include <QString>
#include <QStringList>

namespace tarsel {

// The documents the editor opened or saved last, most recent first, kept in the application's
// settings (QSettings with the application's organisation and name) so that they outlive the
// program. Paths are absolute; a file appears once.
class TRecentFiles {
public:
    static constexpr int kMaxFiles = 8;

    QStringList Files() const;
    // Puts File first, dropping an older entry of it and what is beyond the limit.
    void Add(const QString& File);
    void Remove(const QString& File);
    void Clear();

    // The folder the last file dialog was left in; empty when none was.
    QString LastFolder() const;
    void SetLastFolder(const QString& Folder);

private:
    void Store(const QStringList& Files);
};

}  // namespace tarsel
