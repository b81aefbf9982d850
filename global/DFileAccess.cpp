#include "DFileAccess.h"

#include <QFile>
#include <QSaveFile>
#include <QString>

namespace {

QString PathOf(const std::string& path)
{
    return QString::fromStdString(path);
}

} // namespace

std::string ReadWholeFile(const std::string& path)
{
    QFile file(PathOf(path));
    if (!file.exists())
        throw EInOutError(path, "File not found");
    if (!file.open(QIODevice::ReadOnly))
        throw EInOutError(path, file.errorString().toStdString());
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw EInOutError(path, file.errorString().toStdString());
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

void WriteFileSafely(const std::string& path, const std::string& bytes)
{
    QSaveFile file(PathOf(path));
    if (!file.open(QIODevice::WriteOnly))
        throw EInOutError(path, file.errorString().toStdString());
    const auto size = static_cast<qint64>(bytes.size());
    if (file.write(bytes.data(), size) != size) {
        const std::string reason = file.errorString().toStdString();
        file.cancelWriting();
        throw EInOutError(path, reason);
    }
    if (!file.commit())
        throw EInOutError(path, file.errorString().toStdString());
}
