// The contract tables on the headless desktop.
#include <cstdlib>

#include "platform/headless/desktop.h"
#include "target.h"

namespace contract {
namespace {

class HeadlessTarget : public Target {
 public:
  plat::System& Sys() override { return d_; }
  bool Real() const override { return false; }

  plat::WindowId MakeWindow(const char* class_name, const char* caption, plat::WindowId parent,
                            bool visible) override {
    headless::WindowOptions o;
    o.parent = parent;
    o.process = 0;
    o.visible = visible;
    return d_.CreateWindow(class_name, caption, o);
  }
  plat::WindowId ForeignWindow() override {
    if (foreign_ == 0) {
      headless::WindowOptions o;  // another process's, below all of this program's
      o.at_bottom = true;
      foreign_ = d_.CreateWindow("Shell_TrayWnd", "", o);
    }
    return foreign_;
  }

  void DeleteKey(plat::RegKey root, const char* path) override {
    d_.registry().DeleteKey(root, path);
  }

  void SetLastErrorSentinel() override {}
  std::optional<std::uint32_t> LastError() override { return std::nullopt; }

 private:
  headless::Desktop d_;
  plat::WindowId foreign_ = 0;
};

}  // namespace

std::unique_ptr<Target> MakeTarget() {
  return std::make_unique<HeadlessTarget>();
}

double ReferenceStrtod(const char* text, char** end) {
  return std::strtod(text, end);
}
const char* const kReferenceStrtodName = "glibc";

}  // namespace contract
