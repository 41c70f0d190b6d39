#include "FileBytes.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace kalyxtest {

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray waitForFile(const QString& path, qint64 size) {
    for (int i = 0; i < 500 && QFileInfo(path).size() < size; ++i)
        QThread::msleep(10);
    return readFile(path);
}

} // namespace kalyxtest
