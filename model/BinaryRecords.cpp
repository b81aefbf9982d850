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

// A truncated file says where it was cut, as the other file errors say what is wrong.
void TFileReader::NeedBytes(std::size_t count) const
{
    if (Remaining() >= count)
        return;
    const std::size_t missing = count - Remaining();
    Fail((Record_.empty() ? std::string("the file ends early") : "the file ends inside " + Record_) + ": " +
         std::to_string(missing) + (missing == 1 ? " more byte expected" : " more bytes expected"));
}

std::uint8_t TFileReader::ReadByte()
{
    NeedBytes(1);
    return static_cast<std::uint8_t>(Bytes_[Pos_++]);
}

std::int32_t TFileReader::ReadInt()
{
    NeedBytes(4);
    std::uint32_t bits = 0;
    for (int i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(Bytes_[Pos_ + i])) << (8 * i);
    Pos_ += 4;
    return static_cast<std::int32_t>(bits);
}

std::string TFileReader::ReadBytes(std::size_t count)
{
    NeedBytes(count);
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
        file.Fail("a text of " + std::to_string(length) + " bytes runs past the end of the file" +
                  (file.Record().empty() ? std::string() : " (in " + file.Record() + ")"));
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
