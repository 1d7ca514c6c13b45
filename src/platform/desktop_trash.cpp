#include "platform/desktop_trash.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

namespace morvaline {

bool moveToDesktopTrash(const std::filesystem::path& file) {
    // Qt 6.4 trashes into the current folder when the data folder is missing, and still
    // reports success: the folder is made first and the answer's path checked.
    QDir().mkpath(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    const QString path = QString::fromStdString(file.string());
    QString trashed;
    return QFile::moveToTrash(path, &trashed) && QDir::isAbsolutePath(trashed) && !QFile::exists(path);
}

}  // namespace morvaline
