#include "framework/win/text_attributes.h"

namespace tw {

void TTextAttributes::Assign(const TPersistent& source) {
  if (auto* other = dynamic_cast<const TTextAttributes*>(&source)) {
    color_ = other->color_;
    name_ = other->name_;
    charset_ = other->charset_;
    style_ = other->style_;
    pitch_ = other->pitch_;
    return;
  }
  TPersistent::Assign(source);
}

}  // namespace tw
