#include "framework/filer.h"

#include <cstring>
#include <vector>

#include "framework/collection.h"
#include "framework/component.h"
#include "framework/exception.h"
#include "framework/stream.h"
#include "framework/string_table.h"
#include "framework/strings.h"
#include "framework/text.h"
#include "framework/type_info.h"

namespace tw {
namespace {

constexpr char kSignature[4] = {'T', 'W', 'F', '0'};

enum : std::uint8_t { vaInt = 1, vaFloat, vaString, vaBinary, vaList, vaCollection, vaObject };

[[noreturn]] void ReadFailure() { throw EReadError(LoadStr(SReadError)); }

}  // namespace

// ---- TWriter ----

void TWriter::WriteTag(std::uint8_t tag) { stream_.WriteBuffer(&tag, 1); }

void TWriter::WriteUInt32(std::uint32_t value) {
  const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
                                 static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
  stream_.WriteBuffer(bytes, 4);
}

void TWriter::WriteInt64(std::int64_t value) {
  const auto u = static_cast<std::uint64_t>(value);
  WriteUInt32(static_cast<std::uint32_t>(u));
  WriteUInt32(static_cast<std::uint32_t>(u >> 32));
}

void TWriter::WriteName(const std::string& name) {
  if (name.empty() || name.size() > 255) throw EWriteError(LoadStr(SWriteError));
  const auto length = static_cast<std::uint8_t>(name.size());
  stream_.WriteBuffer(&length, 1);
  stream_.WriteBuffer(name.data(), length);
}

void TWriter::WriteString(const std::string& s) {
  if (s.size() > 0xFFFFFFFFu) throw EWriteError(LoadStr(SWriteError));
  WriteUInt32(static_cast<std::uint32_t>(s.size()));
  stream_.WriteBuffer(s.data(), static_cast<std::int64_t>(s.size()));
}

void TWriter::WriteComponent(TComponent& component) {
  stream_.WriteBuffer(kSignature, 4);
  WriteString(component.ClassName());
  WriteString(component.Name());
  WriteProperties(component, true);
}

void TWriter::WriteProperties(TPersistent& instance, bool is_root) {
  for (const TPropInfo* prop : GetPropList(instance)) {
    // The component header carries the name already.
    if (is_root && SameText(prop->Name, "Name")) continue;
    WriteProperty(instance, *prop);
  }
  instance.DefineProperties(*this);
  const std::uint8_t end = 0;
  stream_.WriteBuffer(&end, 1);
}

void TWriter::WriteProperty(TPersistent& instance, const TPropInfo& prop) {
  if (!IsStoredProp(instance, prop)) return;
  switch (prop.Kind()) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet: {
      if (!prop.SetOrd) return;
      const std::int64_t value = prop.GetOrd(instance);
      if (prop.HasDefault && value == prop.Default) return;
      WriteName(prop.Name);
      WriteTag(vaInt);
      WriteInt64(value);
      return;
    }
    case tkFloat: {
      if (!prop.SetFloat) return;
      const double value = static_cast<double>(prop.GetFloat(instance));
      if (value == 0) return;
      std::uint64_t bits;
      std::memcpy(&bits, &value, sizeof bits);
      WriteName(prop.Name);
      WriteTag(vaFloat);
      WriteInt64(static_cast<std::int64_t>(bits));
      return;
    }
    case tkString: {
      if (!prop.SetStr) return;
      const std::string value = prop.GetStr(instance);
      if (value.empty()) return;
      WriteName(prop.Name);
      WriteTag(vaString);
      WriteString(value);
      return;
    }
    case tkClass: {
      TObject* object = prop.GetObject(instance);
      if (!object) return;
      if (auto* component = dynamic_cast<TComponent*>(object)) {
        if (!prop.SetObject || component->Name().empty()) return;
        WriteName(prop.Name);
        WriteTag(vaString);
        WriteString(component->Name());
      } else if (auto* strings = dynamic_cast<TStrings*>(object)) {
        WriteName(prop.Name);
        WriteTag(vaList);
        WriteUInt32(static_cast<std::uint32_t>(strings->Count()));
        for (int i = 0; i < strings->Count(); ++i) WriteString(strings->Get(i));
      } else if (auto* collection = dynamic_cast<TCollection*>(object)) {
        WriteName(prop.Name);
        WriteTag(vaCollection);
        WriteUInt32(static_cast<std::uint32_t>(collection->Count()));
        for (int i = 0; i < collection->Count(); ++i) WriteProperties(*collection->Items(i), false);
      } else if (auto* persistent = dynamic_cast<TPersistent*>(object)) {
        WriteName(prop.Name);
        WriteTag(vaObject);
        WriteProperties(*persistent, false);
      }
      return;
    }
    default:
      return;
  }
}

void TWriter::DefineBinaryProperty(const std::string& name, TStreamProc, TStreamProc write_data, bool has_data) {
  if (!has_data || !write_data) return;
  TMemoryStream data;
  write_data(data);
  if (data.Bytes().size() > 0xFFFFFFFFu) throw EWriteError(LoadStr(SWriteError));
  WriteName(name);
  WriteTag(vaBinary);
  WriteUInt32(static_cast<std::uint32_t>(data.Bytes().size()));
  stream_.WriteBuffer(data.Memory(), static_cast<std::int64_t>(data.Bytes().size()));
}

// ---- TReader ----

void TReader::Need(std::uint64_t count) {
  const std::int64_t left = stream_.Size() - stream_.Position();
  if (left < 0 || count > static_cast<std::uint64_t>(left)) ReadFailure();
}

std::uint8_t TReader::ReadTag() {
  std::uint8_t tag;
  stream_.ReadBuffer(&tag, 1);
  return tag;
}

std::uint32_t TReader::ReadUInt32() {
  std::uint8_t b[4];
  stream_.ReadBuffer(b, 4);
  return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<std::uint32_t>(b[3]) << 24);
}

std::int64_t TReader::ReadInt64() {
  const std::uint64_t low = ReadUInt32();
  const std::uint64_t high = ReadUInt32();
  return static_cast<std::int64_t>(low | (high << 32));
}

std::string TReader::ReadName() {
  const std::uint8_t length = ReadTag();
  std::string name(length, '\0');
  stream_.ReadBuffer(name.data(), length);
  return name;
}

std::string TReader::ReadString() {
  const std::uint32_t length = ReadUInt32();
  Need(length);
  std::string s(length, '\0');
  stream_.ReadBuffer(s.data(), length);
  return s;
}

void TReader::ReadComponent(TComponent& component) {
  char signature[4];
  stream_.ReadBuffer(signature, 4);
  if (std::memcmp(signature, kSignature, 4) != 0) ReadFailure();
  if (ReadString() != component.ClassName()) ReadFailure();
  const std::string name = ReadString();
  component.state_ |= csLoading;
  try {
    try {
      component.SetName(name);
      ReadProperties(component, &component);
    } catch (const EReadError&) {
      throw;
    } catch (const Exception& e) {
      // A value the component refuses is a fault of the stream being read.
      throw EReadError(e.Message());
    }
  } catch (...) {
    component.state_ &= ~static_cast<unsigned>(csLoading);
    throw;
  }
  component.Loaded();
}

void TReader::ReadProperties(TPersistent& instance, TComponent* root) {
  for (std::string name = ReadName(); !name.empty(); name = ReadName()) {
    current_name_ = name;
    handled_ = false;
    instance.DefineProperties(*this);
    current_name_.clear();
    if (handled_) continue;
    const TPropInfo* prop = GetPropInfo(instance, name);
    if (!prop) throw EReadError(FmtLoadStr(SUnknownProperty, name));
    ReadProperty(instance, *prop, ReadTag(), root);
  }
}

void TReader::ReadProperty(TPersistent& instance, const TPropInfo& prop, std::uint8_t tag, TComponent* root) {
  const auto mismatch = [&] { throw EReadError(LoadStr(SInvalidPropertyValue) + ": " + prop.Name); };
  switch (tag) {
    case vaInt: {
      const std::int64_t value = ReadInt64();
      if (!prop.SetOrd) mismatch();
      prop.SetOrd(instance, value);
      return;
    }
    case vaFloat: {
      const auto bits = static_cast<std::uint64_t>(ReadInt64());
      double value;
      std::memcpy(&value, &bits, sizeof value);
      if (!prop.SetFloat) mismatch();
      prop.SetFloat(instance, value);
      return;
    }
    case vaString: {
      const std::string value = ReadString();
      if (prop.SetStr) {
        prop.SetStr(instance, value);
      } else if (prop.SetObject && prop.Kind() == tkClass) {
        // A component reference, resolved among the components that share the root's owner.
        TComponent* owner = root ? root->Owner() : nullptr;
        TComponent* target = owner ? owner->FindComponent(value) : nullptr;
        if (target) prop.SetObject(instance, target);
      } else {
        mismatch();
      }
      return;
    }
    case vaList: {
      auto* strings = prop.GetObject ? dynamic_cast<TStrings*>(prop.GetObject(instance)) : nullptr;
      if (!strings) mismatch();
      const std::uint32_t count = ReadUInt32();
      Need(std::uint64_t{count} * 4);
      TStringList lines;
      for (std::uint32_t i = 0; i < count; ++i) lines.Add(ReadString());
      strings->Assign(lines);
      return;
    }
    case vaCollection: {
      auto* collection = prop.GetObject ? dynamic_cast<TCollection*>(prop.GetObject(instance)) : nullptr;
      if (!collection) mismatch();
      const std::uint32_t count = ReadUInt32();
      // Every item takes at least its end byte: a count beyond the data is plainly false.
      Need(count);
      collection->BeginUpdate();
      try {
        collection->Clear();
        for (std::uint32_t i = 0; i < count; ++i) ReadProperties(*collection->Add(), root);
      } catch (...) {
        collection->EndUpdate();
        throw;
      }
      collection->EndUpdate();
      return;
    }
    case vaObject: {
      auto* object = prop.GetObject ? dynamic_cast<TPersistent*>(prop.GetObject(instance)) : nullptr;
      if (!object) mismatch();
      ReadProperties(*object, root);
      return;
    }
    default:
      ReadFailure();
  }
}

void TReader::DefineBinaryProperty(const std::string& name, TStreamProc read_data, TStreamProc, bool) {
  if (handled_ || current_name_.empty() || !SameText(name, current_name_)) return;
  handled_ = true;
  if (ReadTag() != vaBinary) ReadFailure();
  const std::uint32_t length = ReadUInt32();
  Need(length);
  std::vector<std::uint8_t> bytes(length);
  stream_.ReadBuffer(bytes.data(), length);
  if (!read_data) return;
  TMemoryStream data(std::move(bytes));
  read_data(data);
}

}  // namespace tw
