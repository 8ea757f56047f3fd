// What a test changes around it and puts back: an environment variable, and
// a temporary directory of its own.
#ifndef VESSAMUND_TESTS_SUPPORT_SCOPED_ENV_H_
#define VESSAMUND_TESTS_SUPPORT_SCOPED_ENV_H_

#include <stdlib.h>

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace vmund_test {

// Sets an environment variable (unsets it for null) for the life of the
// object; set() changes it again. The old value comes back at the end.
class ScopedEnv {
 public:
  ScopedEnv(char const* name, char const* value) : name_(name) {
    if (char const* old = getenv(name)) old_ = old;
    set(value);
  }
  ~ScopedEnv() { set(old_ ? old_->c_str() : nullptr); }
  ScopedEnv(ScopedEnv const&) = delete;
  ScopedEnv& operator=(ScopedEnv const&) = delete;

  void set(char const* value) {
    if (value != nullptr)
      setenv(name_.c_str(), value, 1);
    else
      unsetenv(name_.c_str());
  }

 private:
  std::string name_;
  std::optional<std::string> old_;  // unset before
};

// A new directory under $TMPDIR (or /tmp), removed with all it holds.
class TempDir {
 public:
  TempDir() {
    char const* tmp = getenv("TMPDIR");
    path_ = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/vmund-test-XXXXXX";
    if (mkdtemp(&path_[0]) == nullptr) throw std::runtime_error("mkdtemp failed");
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempDir(TempDir const&) = delete;
  TempDir& operator=(TempDir const&) = delete;

  std::string const& dir() const { return path_; }

 private:
  std::string path_;
};

}  // namespace vmund_test

#endif  // VESSAMUND_TESTS_SUPPORT_SCOPED_ENV_H_
