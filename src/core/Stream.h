// Seekable byte streams: the reader contract speaks of streams, and readers
// that need random access pull the whole stream into memory once
// (ReadAllBytes) and parse from there.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace scrivlet {

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
  virtual ~Stream() = default;

  // Reads up to count bytes; returns how many were read (0 at the end).
  virtual size_t Read(void* buffer, size_t count) = 0;
  // Moves the position; returns the new position.  A position before the
  // start raises ReadError; one past the end is allowed (reads then give 0).
  virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
  virtual int64_t Size() const = 0;

  int64_t Position() { return Seek(0, SeekOrigin::Current); }
  void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }

  // Reads exactly count bytes or raises ReadError ("Stream read error").
  void ReadBuffer(void* buffer, size_t count);
  // Reads exactly count bytes into a byte string, or raises ReadError.  The
  // count is checked against what the stream still holds before allocating.
  virtual std::string ReadBytes(size_t count);
  // Everything from the current position to the end.
  std::string ReadRest();
  // The whole stream, from position 0; leaves the position at the end.
  std::string ReadAllBytes();

  uint8_t ReadUInt8();
  uint16_t ReadUInt16LE();
  uint32_t ReadUInt32LE();
};

// A stream over a byte string that it owns.
class MemoryStream : public Stream {
public:
  MemoryStream() = default;
  explicit MemoryStream(std::string data) : FData(std::move(data)) {}

  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() const override { return static_cast<int64_t>(FData.size()); }
  std::string ReadBytes(size_t count) override;

  const std::string& Data() const { return FData; }
  void Write(std::string_view bytes); // at the position, growing the data

private:
  std::string FData;
  int64_t FPosition = 0;
};

// A read-only stream over a file.  Opening a missing or unreadable file
// raises FileOpenError with "Cannot open file \"%s\". %s".
class FileStream : public Stream {
public:
  explicit FileStream(const std::string& fileName);
  ~FileStream() override;
  FileStream(const FileStream&) = delete;
  FileStream& operator=(const FileStream&) = delete;

  size_t Read(void* buffer, size_t count) override;
  int64_t Seek(int64_t offset, SeekOrigin origin) override;
  int64_t Size() const override { return FSize; }

private:
  std::FILE* FFile = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
  int64_t FFilePosition = 0; // where the C stream stands, to skip needless seeks
};

} // namespace scrivlet
