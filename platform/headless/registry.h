// An in-memory registry: key trees under the predefined roots, key and value
// names compared without regard to ASCII case, handles as RegOpenKeyA hands them out.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/system.h"

namespace headless {

struct RegValue {
  std::uint32_t type = 0;
  std::vector<std::uint8_t> bytes;
  bool operator==(const RegValue&) const = default;
};

class Registry {
 public:
  Registry();

  // The calls of plat::System, returning Windows error codes:
  // 2 for a missing key or value, 6 for a bad handle, 87 for a bad argument,
  // 234 (with the needed size) for a buffer that is too small. A REG_SZ value is
  // stored with its terminating NUL, as Windows stores it.
  long Open(plat::RegKey root, const char* path, plat::RegKey* result);
  long Create(plat::RegKey root, const char* path, plat::RegKey* result, bool* created);
  long Query(plat::RegKey key, const char* name, std::uint32_t* type, std::uint8_t* data,
             std::uint32_t* size);
  long Set(plat::RegKey key, const char* name, std::uint32_t type, const std::uint8_t* data,
           std::uint32_t size);
  long Close(plat::RegKey key);

  // ---- For tests: by path from a root, no handles involved
  std::optional<RegValue> Get(plat::RegKey root, const std::string& path,
                              const std::string& name) const;
  void Put(plat::RegKey root, const std::string& path, const std::string& name, RegValue value);
  bool KeyExists(plat::RegKey root, const std::string& path) const;
  // Removes a key and everything under it (open handles to it keep working on
  // the detached key, as after RegDeleteKey).
  void DeleteKey(plat::RegKey root, const std::string& path);
  // Handles opened or created and not closed yet.
  int OpenHandles() const { return static_cast<int>(handles_.size()); }
  // The path of an open handle ("HKEY_CURRENT_USER\Software\..."), "" for none.
  std::string PathOf(plat::RegKey key) const;

 private:
  struct Node {
    std::string name;                                       // as first created
    std::map<std::string, std::shared_ptr<Node>> children;  // by lower-case name
    std::map<std::string, std::pair<std::string, RegValue>> values;
    std::string path;
  };
  std::shared_ptr<Node> Resolve(plat::RegKey key) const;
  std::shared_ptr<Node> Walk(std::shared_ptr<Node> from, const std::string& path, bool create,
                             bool* created);
  long OpenOrCreate(plat::RegKey root, const char* path, plat::RegKey* result, bool create,
                    bool* created);

  std::map<plat::RegKey, std::shared_ptr<Node>> roots_;
  std::map<plat::RegKey, std::shared_ptr<Node>> handles_;
  plat::RegKey next_handle_ = 0xC2A0;
};

}  // namespace headless
