#include "common/registry.h"

#include "common/failure.h"
#include "platform/platform.h"

namespace common {

std::optional<std::string> GetRegString(plat::RegKey root, const std::string& path,
                                        const std::string& name) {
  OnErrorResumeNext resume;
  std::optional<std::string> result;
  plat::RegKey key = 0;
  std::uint32_t type = 0, size = 0;
  resume([&] { plat::Sys().RegOpenKey(root, path.c_str(), &key); });
  resume([&] { plat::Sys().RegQueryValueEx(key, name.c_str(), &type, nullptr, &size); });
  resume([&] {
    if (type != plat::kRegSz) return;
    std::string buffer(size, ' ');
    type = 0;
    std::uint32_t got = size;
    auto* data = reinterpret_cast<std::uint8_t*>(buffer.data());
    if (plat::Sys().RegQueryValueEx(key, name.c_str(), &type, data, &got) == plat::kErrorSuccess) {
      auto nul = buffer.find('\0');
      result = nul == std::string::npos ? buffer : buffer.substr(0, nul);
    }
  });
  resume([&] { plat::Sys().RegCloseKey(key); });
  return result;
}

namespace {

// Creates the key as needed and stores the bytes of `data` as a value of `type`.
void SaveRegValue(plat::RegKey root, const std::string& path, const std::string& name,
                  std::uint32_t type, const std::string& data) {
  OnErrorResumeNext resume;
  plat::RegKey key = 0;
  resume([&] { plat::Sys().RegCreateKey(root, path.c_str(), &key); });
  resume([&] {
    // An empty binary value creates the key and writes no value.
    if (type == plat::kRegBinary && data.empty()) return;
    plat::Sys().RegSetValueEx(key, name.c_str(), type,
                              reinterpret_cast<const std::uint8_t*>(data.data()),
                              static_cast<std::uint32_t>(data.size()));
  });
  resume([&] { plat::Sys().RegCloseKey(key); });
}

}  // namespace

void SaveRegString(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& text) {
  SaveRegValue(root, path, name, plat::kRegSz, text);
}

void SaveRegBinary(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& data) {
  SaveRegValue(root, path, name, plat::kRegBinary, data);
}

}  // namespace common
