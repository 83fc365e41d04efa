// The program's failures. Every one carries the message that the standard error box shows
// (UTF-8 text), and each kind is its own class so that callers can tell them apart.
#pragma once

#include <stdexcept>
#include <string>

namespace tavilune {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

#define TAVILUNE_EXCEPTION(Name, Base) \
  class Name : public Base {           \
   public:                             \
    using Base::Base;                  \
  };

TAVILUNE_EXCEPTION(EInvalidGraphic, Exception)
TAVILUNE_EXCEPTION(EStreamError, Exception)
TAVILUNE_EXCEPTION(EFOpenError, EStreamError)
TAVILUNE_EXCEPTION(EReadError, EStreamError)
TAVILUNE_EXCEPTION(EOSError, Exception)
TAVILUNE_EXCEPTION(EOutOfResources, Exception)
TAVILUNE_EXCEPTION(EOutOfMemory, Exception)
TAVILUNE_EXCEPTION(EJPEG, Exception)
TAVILUNE_EXCEPTION(ENotifyIconError, Exception)

#undef TAVILUNE_EXCEPTION

// A failure of the settings file, with the code that picks its text.
class EInOutError : public Exception {
 public:
  explicit EInOutError(int code);
  int Code() const { return code_; }

 private:
  int code_;
};

// The text of an input/output error code, as the error box shows it.
std::string InOutErrorText(int code);

// A silent failure: it ends what is running without any message.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

}  // namespace tavilune
