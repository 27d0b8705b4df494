#pragma once

#include <string>
#include <utility>
#include <variant>

namespace kalvory {

// Why an operation did not give its value, in words for the user (or the log).
struct Failure {
  std::string message;
};

// The outcome of an operation that can fail for reasons the caller expects (a missing file, a
// format the user typed wrong): the value, or the text of a Failure. Exceptions stay inside
// the parsers; what they throw is turned into a Result or an error text at their boundary.
//
//   Result<std::string> r = formatDateTime("%d", now);
//   if (!r.ok()) report(r.error()); else use(r.value());
//   return Failure{"The picture file does not exist"};
template <class T>
class [[nodiscard]] Result {
 public:
  // Implicit both ways, so that a function simply returns its value or a Failure.
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
  Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure.message)) {}

  bool ok() const { return state_.index() == 0; }

  // The value; asking a failed result for it is a programming error and throws
  // std::bad_variant_access.
  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }

  // The value, or `fallback` when the operation failed.
  T valueOr(T fallback) const& { return ok() ? std::get<0>(state_) : std::move(fallback); }
  T valueOr(T fallback) && { return ok() ? std::get<0>(std::move(state_)) : std::move(fallback); }

  // The failure's text; empty when the operation succeeded.
  const std::string& error() const {
    static const std::string none;
    return ok() ? none : std::get<1>(state_);
  }

 private:
  std::variant<T, std::string> state_;
};

// An operation with nothing to give but success or its failure.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Failure failure) : error_(std::move(failure.message)), ok_(false) {}

  bool ok() const { return ok_; }
  const std::string& error() const { return error_; }

 private:
  std::string error_;
  bool ok_ = true;
};

}  // namespace kalvory
