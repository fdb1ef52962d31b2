// Sets (or, with no value, removes) an environment variable for the life of
// the object, and puts the old value back afterwards: for the servers and
// clients a test starts while it lives.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace kestrova::test {

class ScopedEnvironment {
 public:
  ScopedEnvironment(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ScopedEnvironment(const char* name, const std::string& value) : ScopedEnvironment(name, value.c_str()) {}
  ~ScopedEnvironment() { Set(old_ ? old_->c_str() : nullptr); }
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  void Set(const char* value) const {
    if (value != nullptr) ::setenv(name_, value, 1);
    else ::unsetenv(name_);
  }

  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace kestrova::test
