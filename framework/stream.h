#pragma once
// Byte streams of the class library. Read/Write move as many bytes as they can and return the
// count; ReadBuffer/WriteBuffer move exactly the count asked or fail with EReadError
// ("Stream read error") / EWriteError ("Stream write error").

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace tw {

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
  virtual ~TStream() = default;

  virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual void SetSize(std::int64_t size) = 0;

  void ReadBuffer(void* buffer, std::int64_t count);
  void WriteBuffer(const void* buffer, std::int64_t count);
  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }
  std::int64_t Size();
  // Copies COUNT bytes from SOURCE's position (all of SOURCE from its start when COUNT is 0);
  // returns the count copied.
  std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

// A stream over a growable block of memory.
class TMemoryStream : public TStream {
public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::vector<std::uint8_t> bytes) : data_(std::move(bytes)) {}

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;

  const std::uint8_t* Memory() const { return data_.data(); }
  std::uint8_t* Memory() { return data_.data(); }
  const std::vector<std::uint8_t>& Bytes() const { return data_; }
  void Clear();
  void LoadFromStream(TStream& source);
  void SaveToStream(TStream& target);
  void LoadFromFile(const std::string& file_name);
  void SaveToFile(const std::string& file_name);

private:
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

// File modes of TFileStream.
enum : unsigned {
  fmCreate = 0xFFFF,
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareDenyNone = 0x0040,
};

// A stream over a file. Opening fails with EFOpenError ("Cannot open file %s"), creating with
// EFCreateError ("Cannot create file %s").
class TFileStream : public TStream {
public:
  TFileStream(const std::string& file_name, unsigned mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  std::int64_t Read(void* buffer, std::int64_t count) override;
  std::int64_t Write(const void* buffer, std::int64_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  void SetSize(std::int64_t size) override;
  const std::string& FileName() const { return file_name_; }

private:
  std::string file_name_;
  std::FILE* file_ = nullptr;
};

}  // namespace tw
