#pragma once
// The root of the class library's polymorphic classes. ClassName is what messages, the
// property registry and the component stream know a class by.

#include <string>

namespace tw {

class TObject {
public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject& operator=(const TObject&) = default;
  virtual ~TObject() = default;

  virtual std::string ClassName() const { return "TObject"; }
};

}  // namespace tw
