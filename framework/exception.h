#pragma once
// The exception kinds of the class library. Every failure the program reports is one of these,
// carrying its message text (mostly from the string table, see string_table.h).

#include <exception>
#include <string>

namespace tw {

class Exception : public std::exception {
public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

private:
  std::string message_;
};

// Declares a kind of exception that only differs from its base by type.
#define TW_EXCEPTION_KIND(Name, Base)                   \
  class Name : public Base {                            \
  public:                                               \
    using Base::Base;                                   \
  }

TW_EXCEPTION_KIND(EConvertError, Exception);
TW_EXCEPTION_KIND(EStreamError, Exception);
TW_EXCEPTION_KIND(EReadError, EStreamError);
TW_EXCEPTION_KIND(EWriteError, EStreamError);
TW_EXCEPTION_KIND(EFOpenError, EStreamError);
TW_EXCEPTION_KIND(EFCreateError, EStreamError);
TW_EXCEPTION_KIND(EOutOfResources, Exception);
TW_EXCEPTION_KIND(EInvalidGraphic, Exception);
TW_EXCEPTION_KIND(EInvalidGraphicOperation, Exception);
TW_EXCEPTION_KIND(EInvalidOperation, Exception);
TW_EXCEPTION_KIND(EListError, Exception);
TW_EXCEPTION_KIND(EComponentError, Exception);
TW_EXCEPTION_KIND(EPropertyError, Exception);
TW_EXCEPTION_KIND(EOSError, Exception);

// The silent abort: unwinds an operation without showing anything to the user.
class EAbort : public Exception {
public:
  EAbort() : Exception("Operation aborted") {}
};

}  // namespace tw
