#include "TextEncoding.h"

#include <QByteArray>
#include <QList>
#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>
#include <array>
#include <optional>

namespace {

// The code pages game clients read NPC text in. The Korean, Chinese and Japanese entries are the
// Windows code pages (949, 936, 950, 932), supersets of EUC-KR, GB2312, Big5 and Shift-JIS.
constexpr std::array<TScriptEncoding, 8> Encodings = {{
    {"ISO-8859-1", "Western European (Latin-1)"},
    {"windows-1252", "Western European (Windows-1252)"},
    {"windows-1250", "Central European (Windows-1250)"},
    {"windows-1251", "Cyrillic (Windows-1251)"},
    {"windows-949", "Korean (EUC-KR / CP949)"},
    {"GBK", "Simplified Chinese (GBK)"},
    {"Big5", "Traditional Chinese (Big5)"},
    {"windows-31j", "Japanese (Shift-JIS / CP932)"},
}};

const TScriptEncoding* Find(const std::string& name)
{
    for (const TScriptEncoding& encoding : Encodings)
        if (name == encoding.Name)
            return &encoding;
    return nullptr;
}

// The characters of text, a surrogate pair counting as one.
template <class F>
void ForEachCharacter(const QString& text, F&& visit)
{
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        visit(i, text.mid(i, length));
        i += length;
    }
}

} // namespace

std::span<const TScriptEncoding> ScriptEncodings()
{
    return Encodings;
}

bool ScriptEncodingAvailable(const TScriptEncoding& encoding)
{
    return QStringEncoder(encoding.Name).isValid() && QStringDecoder(encoding.Name).isValid();
}

TTextEncoding::TTextEncoding() : Encoding_(&Encodings.front()) {}

TTextEncoding TTextEncoding::Named(const std::string& name)
{
    const TScriptEncoding* encoding = Find(name);
    if (!encoding || !ScriptEncodingAvailable(*encoding))
        throw ETextEncodingError("The script text encoding " + name + " is not available on this system.");
    return TTextEncoding(*encoding);
}

TTextEncoding TTextEncoding::Remembered(const std::string& name)
{
    const TScriptEncoding* encoding = Find(name);
    return encoding && ScriptEncodingAvailable(*encoding) ? TTextEncoding(*encoding) : TTextEncoding();
}

bool TTextEncoding::IsLatin1() const
{
    return Encoding_ == &Encodings.front();
}

// Encodes text, or nothing when the encoding cannot hold all of it. Converters may fall back to
// a substitute or a look-alike without reporting it, so the bytes must also decode to text again.
std::optional<QByteArray> TTextEncoding::Encoded(const QString& text) const
{
    if (IsLatin1()) {
        const bool fits = std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() <= 0xFF; });
        return fits ? std::optional(text.toLatin1()) : std::nullopt;
    }
    QStringEncoder encoder(Encoding_->Name, QStringConverter::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (encoder.hasError())
        return std::nullopt;
    QStringDecoder decoder(Encoding_->Name, QStringConverter::Flag::Stateless);
    const QString back = decoder.decode(bytes);
    if (decoder.hasError() || back != text)
        return std::nullopt;
    return bytes;
}

QString TTextEncoding::ToQ(const std::string& bytes) const
{
    if (IsLatin1())
        return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QStringDecoder decoder(Encoding_->Name, QStringConverter::Flag::Stateless);
    QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    // A sequence cut off at the end is dropped without a replacement character; one is shown
    // instead, so that the text can never be stored back as if it were complete.
    if (decoder.hasError() && !text.contains(QChar::ReplacementCharacter))
        text += QChar::ReplacementCharacter;
    return text;
}

QString TTextEncoding::FirstUnencodable(const QString& text) const
{
    if (Encoded(text))
        return {};
    QString found;
    ForEachCharacter(text, [this, &found](qsizetype, const QString& character) {
        if (found.isEmpty() && !Encoded(character))
            found = character;
    });
    // Every character on its own fits, yet not all together: name the whole text.
    return found.isEmpty() ? text : found;
}

QString TTextEncoding::UnencodableMessage(const QString& character) const
{
    return QStringLiteral("\"%1\" (U+%2) cannot be written in the script text encoding %3. Leave it out, "
                          "or choose an encoding that has it under Options > Script Text Encoding.")
        .arg(character)
        .arg(character.toUcs4().value(0), 4, 16, QLatin1Char('0'))
        .arg(QString::fromLatin1(Encoding_->Title));
}

std::string TTextEncoding::FromQ(const QString& text) const
{
    const std::optional<QByteArray> bytes = Encoded(text);
    if (!bytes)
        throw ETextEncodingError(UnencodableMessage(FirstUnencodable(text)).toStdString());
    return std::string(bytes->constData(), static_cast<std::size_t>(bytes->size()));
}

TEncodedLine TTextEncoding::EncodeLine(const QString& line) const
{
    TEncodedLine encoded;
    if (IsLatin1()) {
        encoded.Bytes = line.toLatin1().toStdString();
        return encoded;
    }
    encoded.Bytes.reserve(static_cast<std::size_t>(line.size()));
    ForEachCharacter(line, [this, &encoded](qsizetype position, const QString& character) {
        // Every offered encoding writes ASCII as itself; only the others need the converter.
        std::string bytes;
        if (character.size() == 1 && character.at(0).unicode() < 0x80)
            bytes.assign(1, static_cast<char>(character.at(0).unicode()));
        else if (const std::optional<QByteArray> converted = Encoded(character))
            bytes = converted->toStdString();
        else
            bytes.assign(1, '?');  // shown only: the scanner sees one byte that starts no token
        encoded.Bytes += bytes;
        encoded.CharOfByte.insert(encoded.CharOfByte.end(), bytes.size(), static_cast<int>(position));
    });
    encoded.CharOfByte.push_back(static_cast<int>(line.size()));
    return encoded;
}
