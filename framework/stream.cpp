#include "framework/stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "framework/exception.h"
#include "framework/string_table.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tw {

// ---- TStream ----

void TStream::ReadBuffer(void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Read(buffer, count) != count))
    throw EReadError(LoadStr(SReadError));
}

void TStream::WriteBuffer(const void* buffer, std::int64_t count) {
  if (count < 0 || (count != 0 && Write(buffer, count) != count))
    throw EWriteError(LoadStr(SWriteError));
}

std::int64_t TStream::Size() {
  const std::int64_t position = Seek(0, TSeekOrigin::soCurrent);
  const std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

std::int64_t TStream::CopyFrom(TStream& source, std::int64_t count) {
  if (count < 0) throw EReadError(LoadStr(SReadError));
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  constexpr std::int64_t kChunk = 64 * 1024;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(count, kChunk)));
  for (std::int64_t left = count; left > 0;) {
    const std::int64_t n = std::min(left, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return count;
}

// ---- TMemoryStream ----

std::int64_t TMemoryStream::Read(void* buffer, std::int64_t count) {
  const auto size = static_cast<std::int64_t>(data_.size());
  if (count <= 0 || position_ < 0 || position_ >= size) return 0;
  const std::int64_t n = std::min(count, size - position_);
  std::memcpy(buffer, data_.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  return n;
}

std::int64_t TMemoryStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0 || position_ < 0) return 0;
  if (count > std::numeric_limits<std::int64_t>::max() - position_) return 0;
  const std::int64_t end = position_ + count;
  if (end > static_cast<std::int64_t>(data_.size())) SetSize(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<std::size_t>(count));
  position_ = end;
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  switch (origin) {
    case TSeekOrigin::soBeginning: position_ = offset; break;
    case TSeekOrigin::soCurrent: position_ += offset; break;
    case TSeekOrigin::soEnd: position_ = static_cast<std::int64_t>(data_.size()) + offset; break;
  }
  return position_;
}

void TMemoryStream::SetSize(std::int64_t size) {
  if (size < 0) throw EWriteError(LoadStr(SWriteError));
  if (static_cast<std::uint64_t>(size) > data_.max_size()) throw EOutOfResources(LoadStr(SOutOfResources));
  data_.resize(static_cast<std::size_t>(size));
  if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
  source.SetPosition(0);
  const std::int64_t size = source.Size();
  std::vector<std::uint8_t> bytes;
  if (static_cast<std::uint64_t>(size) > bytes.max_size()) throw EOutOfResources(LoadStr(SOutOfResources));
  bytes.resize(static_cast<std::size_t>(size));
  source.ReadBuffer(bytes.data(), size);
  data_ = std::move(bytes);
  position_ = 0;
}

void TMemoryStream::SaveToStream(TStream& target) {
  target.WriteBuffer(data_.data(), static_cast<std::int64_t>(data_.size()));
}

void TMemoryStream::LoadFromFile(const std::string& file_name) {
  TFileStream file(file_name, fmOpenRead | fmShareDenyNone);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::string& file_name) {
  TFileStream file(file_name, fmCreate);
  SaveToStream(file);
}

// ---- TFileStream ----

namespace {

int SeekFile(std::FILE* file, std::int64_t offset, int whence) {
#ifdef _WIN32
  return _fseeki64(file, offset, whence);
#else
  return fseeko(file, static_cast<off_t>(offset), whence);
#endif
}

std::int64_t TellFile(std::FILE* file) {
#ifdef _WIN32
  return _ftelli64(file);
#else
  return static_cast<std::int64_t>(ftello(file));
#endif
}

bool TruncateFile(std::FILE* file, std::int64_t size) {
  if (std::fflush(file) != 0) return false;
#ifdef _WIN32
  return _chsize_s(_fileno(file), size) == 0;
#else
  return ftruncate(fileno(file), static_cast<off_t>(size)) == 0;
#endif
}

}  // namespace

TFileStream::TFileStream(const std::string& file_name, unsigned mode) : file_name_(file_name) {
  if ((mode & fmCreate) == fmCreate) {
    file_ = std::fopen(file_name.c_str(), "w+b");
    if (!file_) throw EFCreateError(FmtLoadStr(SFCreateError, file_name));
    return;
  }
  const unsigned access = mode & 3u;
  file_ = std::fopen(file_name.c_str(), access == fmOpenRead ? "rb" : "r+b");
  if (!file_) throw EFOpenError(FmtLoadStr(SFOpenError, file_name));
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

// The C library needs a positioning call between a read and a following write (and back);
// seeking to the current position before every transfer satisfies it at no real cost.
std::int64_t TFileStream::Read(void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (SeekFile(file_, 0, SEEK_CUR) != 0) return 0;
  return static_cast<std::int64_t>(std::fread(buffer, 1, static_cast<std::size_t>(count), file_));
}

std::int64_t TFileStream::Write(const void* buffer, std::int64_t count) {
  if (count <= 0) return 0;
  if (SeekFile(file_, 0, SEEK_CUR) != 0) return 0;
  return static_cast<std::int64_t>(std::fwrite(buffer, 1, static_cast<std::size_t>(count), file_));
}

std::int64_t TFileStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  const int whence = origin == TSeekOrigin::soBeginning ? SEEK_SET
                     : origin == TSeekOrigin::soCurrent ? SEEK_CUR
                                                        : SEEK_END;
  if (SeekFile(file_, offset, whence) != 0) return -1;
  return TellFile(file_);
}

void TFileStream::SetSize(std::int64_t size) {
  const std::int64_t position = Position();
  if (size < 0 || !TruncateFile(file_, size)) throw EWriteError(LoadStr(SWriteError));
  // Re-seeking also drops whatever the C library buffered from before the cut.
  SetPosition(std::min(position, size));
}

}  // namespace tw
