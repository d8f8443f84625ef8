#pragma once
// The binary component stream: a component's published properties and the properties its
// objects define themselves (DefineProperties), written by TWriter and read back by TReader.
//
// Layout, all integers little-endian:
//   "TWF0", class name, component name, property list
//   property list: { name, value }..., then an empty name
//   name: 1 length byte + bytes; string: 4 length bytes + bytes
//   value: a tag byte, then for
//     vaInt 8-byte integer | vaFloat 8-byte IEEE double | vaString string
//     vaBinary 4 length bytes + bytes | vaList 4-byte count + strings (a TStrings)
//     vaCollection 4-byte count + one property list per item | vaObject property list

#include <cstdint>
#include <string>

#include "framework/persistent.h"

namespace tw {

class TComponent;
class TStream;
struct TPropInfo;

class TWriter : public TFiler {
public:
  explicit TWriter(TStream& stream) : stream_(stream) {}

  void WriteComponent(TComponent& component);
  void DefineBinaryProperty(const std::string& name, TStreamProc read_data, TStreamProc write_data,
                            bool has_data) override;

private:
  void WriteProperties(TPersistent& instance, bool is_root);
  void WriteProperty(TPersistent& instance, const TPropInfo& prop);
  void WriteName(const std::string& name);
  void WriteString(const std::string& s);
  void WriteTag(std::uint8_t tag);
  void WriteInt64(std::int64_t value);
  void WriteUInt32(std::uint32_t value);

  TStream& stream_;
};

class TReader : public TFiler {
public:
  explicit TReader(TStream& stream) : stream_(stream) {}

  // Reads into COMPONENT, which must be of the class the stream was written from. COMPONENT
  // is csLoading meanwhile and gets Loaded() at the end. Malformed data fails with EReadError
  // and never makes the reader allocate more than the data left in the stream.
  void ReadComponent(TComponent& component);
  void DefineBinaryProperty(const std::string& name, TStreamProc read_data, TStreamProc write_data,
                            bool has_data) override;

private:
  void ReadProperties(TPersistent& instance, TComponent* root);
  void ReadProperty(TPersistent& instance, const TPropInfo& prop, std::uint8_t tag, TComponent* root);
  std::string ReadName();
  std::string ReadString();
  std::uint8_t ReadTag();
  std::int64_t ReadInt64();
  std::uint32_t ReadUInt32();
  // Fails unless COUNT more bytes are present.
  void Need(std::uint64_t count);

  TStream& stream_;
  std::string current_name_;
  bool handled_ = false;
};

}  // namespace tw
