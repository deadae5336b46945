#include "platform/headless/registry.h"

#include <cstring>

#include "platform/convert.h"

namespace headless {
namespace {

constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorInvalidParameter = 87;
constexpr std::uint32_t kRegNone = 0;

std::vector<std::string> Split(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

}  // namespace

Registry::Registry() {
  const std::pair<std::uint32_t, const char*> roots[] = {
      {0x80000000, "HKEY_CLASSES_ROOT"},   {0x80000001, "HKEY_CURRENT_USER"},
      {0x80000002, "HKEY_LOCAL_MACHINE"},  {0x80000003, "HKEY_USERS"},
      {0x80000005, "HKEY_CURRENT_CONFIG"}, {0x80000006, "HKEY_DYN_DATA"},
  };
  for (const auto& [key, name] : roots) {
    auto node = std::make_shared<Node>();
    node->name = name;
    node->path = name;
    roots_[plat::PredefinedKey(key)] = node;
  }
}

std::shared_ptr<Registry::Node> Registry::Resolve(plat::RegKey key) const {
  if (auto it = roots_.find(key); it != roots_.end()) return it->second;
  if (auto it = handles_.find(key); it != handles_.end()) return it->second;
  return nullptr;
}

std::shared_ptr<Registry::Node> Registry::Walk(std::shared_ptr<Node> from, const std::string& path,
                                               bool create, bool* created) {
  for (const std::string& part : Split(path)) {
    std::string lower = plat::LowerAscii(part);
    auto it = from->children.find(lower);
    if (it == from->children.end()) {
      if (!create) return nullptr;
      auto node = std::make_shared<Node>();
      node->name = part;
      node->path = from->path + "\\" + part;
      it = from->children.emplace(lower, node).first;
      if (created) *created = true;
    }
    from = it->second;
  }
  return from;
}

long Registry::Open(plat::RegKey root, const char* path, plat::RegKey* result) {
  return OpenOrCreate(root, path, result, false, nullptr);
}

long Registry::Create(plat::RegKey root, const char* path, plat::RegKey* result, bool* created) {
  return OpenOrCreate(root, path, result, true, created);
}

long Registry::OpenOrCreate(plat::RegKey root, const char* path, plat::RegKey* result, bool create,
                            bool* created) {
  if (result == nullptr) return kErrorInvalidParameter;
  *result = 0;
  auto from = Resolve(root);
  if (!from) return kErrorInvalidHandle;
  if (path == nullptr || *path == '\0') {
    *result = root;  // the same handle, as the API does
    return plat::kErrorSuccess;
  }
  auto node = Walk(from, path, create, created);
  if (!node) return plat::kErrorFileNotFound;
  *result = next_handle_;
  next_handle_ += 4;
  handles_[*result] = node;
  return plat::kErrorSuccess;
}

long Registry::Query(plat::RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
                     std::uint32_t* size) {
  if (data != nullptr && size == nullptr) return kErrorInvalidParameter;
  auto node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  // Windows 9x answers REG_NONE and, asked for the size only, 0 until the value is found.
  if (type) *type = kRegNone;
  if (data == nullptr && size != nullptr) *size = 0;
  auto it = node->values.find(plat::LowerAscii(name ? name : ""));
  if (it == node->values.end()) return plat::kErrorFileNotFound;
  const RegValue& v = it->second.second;
  auto needed = static_cast<std::uint32_t>(v.bytes.size());
  if (type) *type = v.type;
  if (data == nullptr) {
    if (size) *size = needed;
    return plat::kErrorSuccess;
  }
  if (*size < needed) {
    *size = needed;
    return plat::kErrorMoreData;
  }
  if (needed > 0) std::memcpy(data, v.bytes.data(), needed);
  *size = needed;
  return plat::kErrorSuccess;
}

long Registry::Set(plat::RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
                   std::uint32_t size) {
  auto node = Resolve(key);
  if (!node) return kErrorInvalidHandle;
  if (data == nullptr && size > 0) return kErrorInvalidParameter;
  std::string n = name ? name : "";
  // Windows 9x stores a string up to and with its terminating NUL, whatever the
  // size says (NT adds the NUL a size leaves out): the caller's text must end in one.
  if (type == plat::kRegSz && data != nullptr) {
    size = static_cast<std::uint32_t>(std::strlen(reinterpret_cast<const char*>(data))) + 1;
  }
  RegValue v{type,
             data ? std::vector<std::uint8_t>(data, data + size) : std::vector<std::uint8_t>{}};
  auto& slot = node->values[plat::LowerAscii(n)];
  if (slot.first.empty()) slot.first = n;
  slot.second = std::move(v);
  return plat::kErrorSuccess;
}

long Registry::Close(plat::RegKey key) {
  if (roots_.count(key)) return plat::kErrorSuccess;
  if (handles_.erase(key) == 0) return kErrorInvalidHandle;
  return plat::kErrorSuccess;
}

std::optional<RegValue> Registry::Get(plat::RegKey root, const std::string& path,
                                      const std::string& name) const {
  auto from = Resolve(root);
  if (!from) return std::nullopt;
  auto node = const_cast<Registry*>(this)->Walk(from, path, false, nullptr);
  if (!node) return std::nullopt;
  auto it = node->values.find(plat::LowerAscii(name));
  if (it == node->values.end()) return std::nullopt;
  return it->second.second;
}

void Registry::Put(plat::RegKey root, const std::string& path, const std::string& name,
                   RegValue value) {
  auto from = Resolve(root);
  if (!from) return;
  auto node = Walk(from, path, true, nullptr);
  auto& slot = node->values[plat::LowerAscii(name)];
  if (slot.first.empty()) slot.first = name;
  slot.second = std::move(value);
}

bool Registry::KeyExists(plat::RegKey root, const std::string& path) const {
  auto from = Resolve(root);
  return from && const_cast<Registry*>(this)->Walk(from, path, false, nullptr) != nullptr;
}

void Registry::DeleteKey(plat::RegKey root, const std::string& path) {
  auto parts = Split(path);
  if (parts.empty()) return;
  std::string last = plat::LowerAscii(parts.back());
  parts.pop_back();
  std::string parent;
  for (const auto& p : parts) parent += p + "\\";
  auto from = Resolve(root);
  if (!from) return;
  auto node = Walk(from, parent, false, nullptr);
  if (node) node->children.erase(last);
}

std::string Registry::PathOf(plat::RegKey key) const {
  auto node = Resolve(key);
  return node ? node->path : std::string();
}

}  // namespace headless
