#include "common/registry.h"

#include <vector>

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

void SaveRegString(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& text) {
  OnErrorResumeNext resume;
  plat::RegKey key = 0;
  resume([&] { plat::Sys().RegCreateKey(root, path.c_str(), &key); });
  resume([&] {
    plat::Sys().RegSetValueEx(key, name.c_str(), plat::kRegSz,
                              reinterpret_cast<const std::uint8_t*>(text.data()),
                              static_cast<std::uint32_t>(text.size()));
  });
  resume([&] { plat::Sys().RegCloseKey(key); });
}

void SaveRegBinary(plat::RegKey root, const std::string& path, const std::string& name,
                   const std::string& data) {
  OnErrorResumeNext resume;
  std::vector<std::uint8_t> bytes;
  plat::RegKey key = 0;
  resume([&] { bytes.assign(data.begin(), data.end()); });
  resume([&] { plat::Sys().RegCreateKey(root, path.c_str(), &key); });
  resume([&] {
    // An empty string creates the key and writes no value.
    if (bytes.empty()) return;
    plat::Sys().RegSetValueEx(key, name.c_str(), plat::kRegBinary, bytes.data(),
                              static_cast<std::uint32_t>(bytes.size()));
  });
  resume([&] { plat::Sys().RegCloseKey(key); });
}

}  // namespace common
