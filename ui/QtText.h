#pragma once
// The model keeps text as 8-bit bytes; controls hold QString. Latin-1 maps every byte value to
// one character and back, so text survives a round trip through any control unchanged.
// File paths are not text of the project: they stay UTF-8 (QString::toStdString).

#include <QByteArray>
#include <QString>

#include <string>

inline QString ToQ(const std::string& bytes)
{
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

inline std::string FromQ(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}
