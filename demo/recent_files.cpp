#include "recent_files.h"

#include <QFileInfo>
#include <QSettings>

namespace tarsel {

namespace {
const QString kFilesKey = QStringLiteral("RecentFiles");
const QString kFolderKey = QStringLiteral("LastFolder");
}  // namespace

QStringList TRecentFiles::Files() const {
    QStringList Files = QSettings().value(kFilesKey).toStringList();
    // Settings edited by hand may hold anything: empty entries go, the limit holds.
    Files.removeAll(QString());
    Files.removeDuplicates();
    return Files.mid(0, kMaxFiles);
}

void TRecentFiles::Add(const QString& File) {
    const QString Path = QFileInfo(File).absoluteFilePath();
    QStringList Files = this->Files();
    Files.removeAll(Path);
    Files.prepend(Path);
    Store(Files.mid(0, kMaxFiles));
}

void TRecentFiles::Remove(const QString& File) {
    QStringList Files = this->Files();
    Files.removeAll(File);
    Files.removeAll(QFileInfo(File).absoluteFilePath());
    Store(Files);
}

void TRecentFiles::Clear() {
    Store({});
}

void TRecentFiles::Store(const QStringList& Files) {
    QSettings().setValue(kFilesKey, Files);
}

QString TRecentFiles::LastFolder() const {
    return QSettings().value(kFolderKey).toString();
}

void TRecentFiles::SetLastFolder(const QString& Folder) {
    QSettings().setValue(kFolderKey, Folder);
}

}  // namespace tarsel
