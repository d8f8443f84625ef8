#pragma once
// The persistent base: objects that can copy themselves from one another (Assign/AssignTo)
// and take part in the component stream through properties they define themselves.

#include <functional>
#include <string>

#include "framework/object.h"

namespace tw {

class TStream;

using TStreamProc = std::function<void(TStream& stream)>;

// What a persistent object sees of the component stream being read or written. The reader
// calls read_data for a defined property it finds; the writer calls write_data when has_data.
class TFiler {
public:
  virtual ~TFiler() = default;
  virtual void DefineBinaryProperty(const std::string& name, TStreamProc read_data,
                                    TStreamProc write_data, bool has_data) = 0;
};

class TPersistent : public TObject {
public:
  // Makes this object a copy of SOURCE; the default asks SOURCE to do it (AssignTo), which
  // fails with EConvertError "Cannot assign a <source> to a <this>" unless a class knows how.
  virtual void Assign(const TPersistent& source);
  std::string ClassName() const override { return "TPersistent"; }
  // Declares the properties this object writes to the component stream itself.
  virtual void DefineProperties(TFiler& filer);

protected:
  virtual void AssignTo(TPersistent& dest) const;
};

}  // namespace tw
