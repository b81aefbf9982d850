#pragma once
// The model keeps text as the bytes the game server reads; controls hold QString. A text encoding
// decides how those bytes are shown and how typed text becomes bytes. Each document has its own
// (the one chosen in the settings when it was made or opened, or later for it), so two documents
// side by side each show and take their own bytes. Latin-1, the default, maps every byte value to
// one character and back, so stored projects read exactly as they were written. A character the
// encoding lacks is never replaced: FromQ refuses it with ETextEncodingError, naming it.
// File paths are not text of the project: they stay the system's bytes (QFile::encodeName).

#include <QByteArray>
#include <QString>

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

struct TScriptEncoding {
    const char* Name;   // the converter's name, also what the settings store
    const char* Title;  // as the menu shows it
};

// Every encoding the editor offers, Latin-1 first.
std::span<const TScriptEncoding> ScriptEncodings();
// Whether this system's converters know encoding (Qt's, with ICU where it was built with it).
bool ScriptEncodingAvailable(const TScriptEncoding& encoding);

// Text that the script text encoding cannot hold.
class ETextEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The bytes of one line of a script control, with, for every byte and one past the last, the
// position of the character it belongs to (for byte-wise scanners). A character the encoding lacks
// counts as one byte '?'.
struct TEncodedLine {
    std::string Bytes;
    std::vector<int> CharOfByte;  // empty: every character is one byte (Latin-1)

    int CharAt(int byte) const { return CharOfByte.empty() ? byte : CharOfByte[static_cast<std::size_t>(byte)]; }
};
TEncodedLine EncodeLine(const QString& line);

class TTextEncoding {
public:
    // Latin-1.
    TTextEncoding();
    // The offered encoding named name (one of ScriptEncodings). Raises ETextEncodingError for a name
    // not offered or not available on this system.
    static TTextEncoding Named(const std::string& name);
    // The encoding a setting names; Latin-1 when it names none (or an unusable one).
    static TTextEncoding Remembered(const std::string& name);

    const TScriptEncoding& Encoding() const { return *Encoding_; }
    bool operator==(const TTextEncoding& other) const { return Encoding_ == other.Encoding_; }

    // Bytes the encoding has no character for show as U+FFFD.
    QString ToQ(const std::string& bytes) const;
    std::string FromQ(const QString& text) const;
    // The first character of text the encoding cannot hold; empty when there is none.
    QString FirstUnencodable(const QString& text) const;
    // The message FromQ raises for text whose first unencodable character is character.
    QString UnencodableMessage(const QString& character) const;
    TEncodedLine EncodeLine(const QString& line) const;

private:
    explicit TTextEncoding(const TScriptEncoding& encoding) : Encoding_(&encoding) {}
    bool IsLatin1() const;
    // Encodes text, or nothing when the encoding cannot hold all of it.
    std::optional<QByteArray> Encoded(const QString& text) const;

    const TScriptEncoding* Encoding_;
};
