#pragma once
// The model keeps text as the bytes the game server reads; controls hold QString. The script
// text encoding, an application-wide setting, decides how those bytes are shown and how typed
// text becomes bytes. Latin-1, the default, maps every byte value to one character and back, so
// stored projects read exactly as they were written. A character the chosen encoding lacks is
// never replaced: FromQ refuses it with ETextEncodingError, naming it.
// File paths are not text of the project: they stay the system's bytes (QFile::encodeName).

#include <QString>

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

const TScriptEncoding& ScriptEncoding();
// Makes the encoding named name (one of ScriptEncodings) the one in force and remembers it in the
// application's settings. Raises ETextEncodingError for a name not offered or not available.
void SetScriptEncoding(const std::string& name);
// Takes the remembered encoding into force; Latin-1 when none (or an unusable one) is remembered.
void LoadScriptEncoding();

// Text that the script text encoding cannot hold.
class ETextEncodingError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Bytes the encoding has no character for show as U+FFFD.
QString ToQ(const std::string& bytes);
std::string FromQ(const QString& text);
// The first character of text the script text encoding cannot hold; empty when there is none.
QString FirstUnencodable(const QString& text);
// The message FromQ raises for text whose first unencodable character is character.
QString UnencodableMessage(const QString& character);

// The bytes of one line of a script control, with, for every byte and one past the last, the
// position of the character it belongs to (for byte-wise scanners). A character the encoding lacks
// counts as one byte '?'.
struct TEncodedLine {
    std::string Bytes;
    std::vector<int> CharOfByte;  // empty: every character is one byte (Latin-1)

    int CharAt(int byte) const { return CharOfByte.empty() ? byte : CharOfByte[static_cast<std::size_t>(byte)]; }
};
TEncodedLine EncodeLine(const QString& line);
