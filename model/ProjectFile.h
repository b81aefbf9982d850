#pragma once
// Binary records: the string primitives, byte-buffer reader and writer, and the project file.

#include "platform/Errors.h"
#include "platform/FileAccess.h"
#include "catalogue/Catalogues.h"
#include "catalogue/Targets.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

inline constexpr std::int32_t ProjectFileVersion = 258;
// The version written only for a project that uses what version 258 cannot hold (a task whose
// NeedsExtendedFormat() is true, or the NPC's own additions); every other project stays 258.
inline constexpr std::int32_t ExtendedProjectFileVersion = 259;
// The version written only for an imported project that keeps the source its tasks came from:
// 259's layout, each task record followed by its kept head and end, and the NPC's kept frame
// after the last task record.
inline constexpr std::int32_t KeptProjectFileVersion = 260;

// Collects the bytes of a record or a whole file; integers little-endian.
class TFileWriter {
public:
    explicit TFileWriter(std::string fileName = {}) : FileName_(std::move(fileName)) {}
    void WriteByte(std::uint8_t value) { Bytes_.push_back(static_cast<char>(value)); }
    void WriteInt(std::int32_t value);
    void WriteBytes(const std::string& bytes) { Bytes_ += bytes; }
    const std::string& Bytes() const { return Bytes_; }
    const std::string& FileName() const { return FileName_; }
    // The version of the file being written: a task writes the fields of that version only.
    std::int32_t Version() const { return Version_; }
    void SetVersion(std::int32_t version) { Version_ = version; }

private:
    std::string FileName_;
    std::string Bytes_;
    std::int32_t Version_ = ProjectFileVersion;
};

// Reads a record or a whole file from memory. Every read is checked against the bytes that
// remain; a short read raises EInOutError naming the file and the record it ends in ("the file
// ends inside the NPC record: 4 more bytes expected").
class TFileReader {
public:
    // A record names a map by its file name, which a project file's reader resolves against the
    // catalogues of the project it reads into. A reader without catalogues reads a record back
    // into the project it was taken from (an undo step, a copy): the indexes it holds are already
    // that project's.
    TFileReader(std::string fileName, std::string bytes, const TCatalogues* catalogues = nullptr)
        : FileName_(std::move(fileName)), Bytes_(std::move(bytes)), Catalogues_(catalogues) {}
    std::uint8_t ReadByte();
    std::int32_t ReadInt();
    std::string ReadBytes(std::size_t count);
    std::size_t Remaining() const { return Bytes_.size() - Pos_; }
    std::size_t Position() const { return Pos_; }
    bool AtEnd() const { return Pos_ == Bytes_.size(); }
    const std::string& FileName() const { return FileName_; }
    const TCatalogues* Catalogues() const { return Catalogues_; }
    // The version of the file being read, from its first field: a task reads that version's fields.
    std::int32_t Version() const { return Version_; }
    void SetVersion(std::int32_t version) { Version_ = version; }
    // Raises EInOutError "<file>: <what>".
    [[noreturn]] void Fail(const std::string& what) const;
    // The record the reads that follow belong to ("the NPC record"), for the message of a file
    // that ends inside it; empty: none named.
    void SetRecord(std::string record) { Record_ = std::move(record); }
    const std::string& Record() const { return Record_; }

private:
    void NeedBytes(std::size_t count) const;

    std::string FileName_;
    std::string Record_;
    std::string Bytes_;
    std::size_t Pos_ = 0;
    std::int32_t Version_ = ProjectFileVersion;
    const TCatalogues* Catalogues_;
};

// 32-bit little-endian byte count, then the bytes, no terminator.
void WriteString(TFileWriter& file, const std::string& text);
// A negative count or one past the end of the file is an error, checked before anything is
// allocated.
std::string ReadString(TFileReader& file);
// Strings one after another, as a record holds them.
template <class... Texts>
void WriteStrings(TFileWriter& file, const Texts&... texts)
{
    (WriteString(file, texts), ...);
}
template <class... Texts>
void ReadStrings(TFileReader& file, Texts&... texts)
{
    ((texts = ReadString(file)), ...);
}
// A count of records that follow, each at least minRecordSize bytes long: a negative count, or
// more records than the rest of the file can hold, is an error naming what is counted.
std::size_t ReadCount(TFileReader& file, std::size_t minRecordSize, const char* what);
// A byte naming one of the values 0 to last of an enumeration; a larger one is an error naming
// what the byte is.
std::uint8_t ReadTag(TFileReader& file, std::uint8_t last, const char* what);

class TProject;
class TTask;
// An empty task of the kind tag names; EInOutError naming the file for an unknown tag.
std::unique_ptr<TTask> NewTaskOfKind(TFileReader& file, std::uint8_t tag);

// The project as file bytes (version 258, or 259 when it holds what 258 cannot), and back. ReadProjectBytes reads everything into a new
// project, raising on the first fault; fileName only names the file in error messages. The bytes
// do not hold the server target: the project read is written for target. The project reads its
// map names against catalogues, and keeps them.
std::string SaveProjectBytes(const TProject& project);
std::unique_ptr<TProject> ReadProjectBytes(const std::string& fileName, const std::string& bytes,
                                           std::shared_ptr<const TCatalogues> catalogues,
                                           TServerTarget target = DefaultTarget);
// Reads bytes as ReadProjectBytes would, building nothing: raises what it would raise.
void CheckProjectBytes(const std::string& fileName, const std::string& bytes);

// The project file at path with its target from the side file, when there is one; the project
// takes path as its file name and counts as saved.
std::unique_ptr<TProject> ReadProjectFile(const std::string& path, std::shared_ptr<const TCatalogues> catalogues);
// Writes project to path and its target to the side file (or removes the side file for the
// default target), both written completely before either is replaced. The project's file name and
// saved state are the caller's (the document's) to change.
void WriteProjectFile(const TProject& project, const std::string& path);
