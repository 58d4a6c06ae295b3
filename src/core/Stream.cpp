#include "core/Stream.h"
#include "core/ByteReader.h"

#include "core/Exception.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

namespace scrivlet {

void Stream::ReadBuffer(void* buffer, size_t count) {
  if (count != 0 && Read(buffer, count) != count)
    throw ReadError();
}

std::string Stream::ReadBytes(size_t count) {
  int64_t left = Size() - Position();
  if (left < 0 || static_cast<uint64_t>(left) < count)
    throw ReadError();
  std::string bytes(count, '\0');
  ReadBuffer(bytes.data(), count);
  return bytes;
}

std::string Stream::ReadRest() {
  int64_t left = Size() - Position();
  return left > 0 ? ReadBytes(static_cast<size_t>(left)) : std::string();
}

std::string Stream::ReadAllBytes() {
  SetPosition(0);
  return ReadRest();
}

uint8_t Stream::ReadUInt8() {
  uint8_t value;
  ReadBuffer(&value, 1);
  return value;
}

uint16_t Stream::ReadUInt16LE() {
  char b[2];
  ReadBuffer(b, 2);
  return ByteReader::Get16({b, 2}, 0);
}

uint32_t Stream::ReadUInt32LE() {
  char b[4];
  ReadBuffer(b, 4);
  return ByteReader::Get32({b, 4}, 0);
}

namespace {

int64_t NewPosition(int64_t current, int64_t size, int64_t offset, SeekOrigin origin) {
  int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? current : size;
  if ((offset < 0 && base + offset < 0) || (offset > 0 && base > INT64_MAX - offset))
    throw ReadError();
  return base + offset;
}

} // namespace

size_t MemoryStream::Read(void* buffer, size_t count) {
  if (FPosition >= Size())
    return 0;
  size_t n = std::min<size_t>(count, static_cast<size_t>(Size() - FPosition));
  std::memcpy(buffer, FData.data() + FPosition, n);
  FPosition += static_cast<int64_t>(n);
  return n;
}

std::string MemoryStream::ReadBytes(size_t count) {
  if (FPosition > Size() || static_cast<uint64_t>(Size() - FPosition) < count)
    throw ReadError();
  std::string bytes(FData, static_cast<size_t>(FPosition), count);
  FPosition += static_cast<int64_t>(count);
  return bytes;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
  FPosition = NewPosition(FPosition, Size(), offset, origin);
  return FPosition;
}

void MemoryStream::Write(std::string_view bytes) {
  size_t end = static_cast<size_t>(FPosition) + bytes.size();
  if (end > FData.size())
    FData.resize(end);
  std::memcpy(FData.data() + FPosition, bytes.data(), bytes.size());
  FPosition = static_cast<int64_t>(end);
}

FileStream::FileStream(const std::string& fileName) {
  struct stat info {};
  errno = 0;
  FFile = std::fopen(fileName.c_str(), "rb");
  if (FFile != nullptr && (fstat(fileno(FFile), &info) != 0 || !S_ISREG(info.st_mode))) {
    std::fclose(FFile);
    FFile = nullptr;
    errno = EISDIR;
  }
  if (FFile == nullptr)
    throw FileOpenError("Cannot open file \"%s\". %s", {fileName, std::strerror(errno)});
  FSize = info.st_size;
}

FileStream::~FileStream() {
  if (FFile != nullptr)
    std::fclose(FFile);
}

size_t FileStream::Read(void* buffer, size_t count) {
  if (FPosition >= FSize || count == 0)
    return 0;
  if (FFilePosition != FPosition) {
    if (std::fseek(FFile, FPosition, SEEK_SET) != 0)
      throw ReadError();
    FFilePosition = FPosition;
  }
  size_t n = std::fread(buffer, 1, count, FFile);
  FPosition += static_cast<int64_t>(n);
  FFilePosition = FPosition;
  return n;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
  FPosition = NewPosition(FPosition, FSize, offset, origin);
  return FPosition;
}

} // namespace scrivlet
