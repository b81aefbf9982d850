#include "model/ProjectFile.h"

#include <limits>

void TFileWriter::WriteInt(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
        Bytes_.push_back(static_cast<char>((bits >> shift) & 0xFFu));
}

void TFileReader::Fail(const std::string& what) const
{
    throw EInOutError(FileName_, what);
}

std::uint8_t TFileReader::ReadByte()
{
    if (Remaining() < 1)
        Fail("Read beyond end of file");
    return static_cast<std::uint8_t>(Bytes_[Pos_++]);
}

std::int32_t TFileReader::ReadInt()
{
    if (Remaining() < 4)
        Fail("Read beyond end of file");
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(Bytes_[Pos_ + i])) << (8 * i);
    Pos_ += 4;
    return static_cast<std::int32_t>(bits);
}

std::string TFileReader::ReadBytes(std::size_t count)
{
    if (Remaining() < count)
        Fail("Read beyond end of file");
    std::string bytes = Bytes_.substr(Pos_, count);
    Pos_ += count;
    return bytes;
}

void WriteString(TFileWriter& file, const std::string& text)
{
    if (text.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EInOutError(file.FileName(), "a text is too long to be stored");
    file.WriteInt(static_cast<std::int32_t>(text.size()));
    file.WriteBytes(text);
}

std::string ReadString(TFileReader& file)
{
    const std::int32_t length = file.ReadInt();
    if (length < 0)
        file.Fail("a text has the negative length " + std::to_string(length));
    if (static_cast<std::size_t>(length) > file.Remaining())
        file.Fail("a text of " + std::to_string(length) + " bytes runs past the end of the file");
    return file.ReadBytes(static_cast<std::size_t>(length));
}

std::uint8_t ReadTag(TFileReader& file, std::uint8_t last, const char* what)
{
    const std::uint8_t tag = file.ReadByte();
    if (tag > last)
        file.Fail(std::string(what) + " " + std::to_string(tag) + " is not one of 0 to " + std::to_string(last));
    return tag;
}

std::size_t ReadCount(TFileReader& file, std::size_t minRecordSize, const char* what)
{
    const std::int32_t count = file.ReadInt();
    if (count < 0 || static_cast<std::size_t>(count) > file.Remaining() / minRecordSize)
        file.Fail(std::string(what) + " count " + std::to_string(count) + " is larger than the records present");
    return static_cast<std::size_t>(count);
}
