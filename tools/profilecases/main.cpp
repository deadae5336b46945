// Runs the profile cases through plat::System and prints a canonical listing:
// every read with its count and the buffer's first count + 1 bytes in hex, every
// write with its result, and after writes the file's lines and what reading
// the whole file back gives. The same listing from headless and from Windows
// means the headless profile functions behave as the real ones.
#include <cstdio>
#include <string>
#include <vector>

#include "cases.h"
#include "platform/errors.h"

namespace {

using profilecases::Case;
using profilecases::Step;

std::string Quote(const char* s) {
  if (s == nullptr) return "(null)";
  std::string out = "[";
  for (const char* p = s; *p; ++p) {
    auto c = static_cast<unsigned char>(*p);
    if (c < 0x20 || c >= 0x7F || c == '\\') {
      char esc[8];
      std::snprintf(esc, sizeof esc, "\\x%02X", c);
      out += esc;
    } else {
      out += static_cast<char>(c);
    }
  }
  out.push_back(']');
  return out;
}

std::string HexBytes(const char* data, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    char b[4];
    std::snprintf(b, sizeof b, "%02X", static_cast<unsigned char>(data[i]));
    if (i) out.push_back(' ');
    out.append(b);
  }
  return out;
}

void Remove(plat::System& sys, const std::string& path) {
  try {
    sys.DeleteFile(path);
  } catch (const plat::RuntimeError&) {
    // not there
  }
}

// NUL-separated names of a list read.
std::vector<std::string> Names(const std::vector<char>& buffer, std::uint32_t count) {
  std::vector<std::string> names;
  std::string current;
  for (std::uint32_t i = 0; i < count; ++i) {
    if (buffer[i] == '\0') {
      names.push_back(current);
      current.clear();
    } else {
      current += buffer[i];
    }
  }
  if (!current.empty()) names.push_back(current);
  return names;
}

void DumpFile(plat::System& sys, const std::string& full, const std::string& file) {
  std::vector<std::uint8_t> bytes;
  try {
    bytes = sys.ReadFileBytes(full);
  } catch (const plat::RuntimeError& e) {
    std::printf("file: none (%d)\n", e.number());
    return;
  }
  std::printf("file:\n");
  std::string line;
  auto flush_line = [&] {
    std::printf("  | %s\n", line.c_str());
    line.clear();
  };
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    char c = static_cast<char>(bytes[i]);
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
      flush_line();
    } else {
      line += c;
    }
  }
  if (!line.empty()) flush_line();

  std::vector<char> buffer(4096);
  std::uint32_t n =
      sys.GetPrivateProfileString(nullptr, nullptr, "", buffer.data(), 4096, file.c_str());
  for (const std::string& section : Names(buffer, n)) {
    std::printf("section %s\n", Quote(section.c_str()).c_str());
    std::vector<char> keys(4096);
    std::uint32_t k =
        sys.GetPrivateProfileString(section.c_str(), nullptr, "", keys.data(), 4096, file.c_str());
    for (const std::string& key : Names(keys, k)) {
      std::vector<char> value(4096);
      sys.GetPrivateProfileString(section.c_str(), key.c_str(), "(none)", value.data(), 4096,
                                  file.c_str());
      std::printf("  %s = %s\n", Quote(key.c_str()).c_str(), Quote(value.data()).c_str());
    }
  }
}

}  // namespace

int main() {
  std::unique_ptr<plat::System> sys = profilecases::MakeSystem();
  const std::string folder = sys->WindowsDirectory();
  int number = 0;
  for (const Case& c : profilecases::Cases()) {
    ++number;
    char name[32];
    std::snprintf(name, sizeof name, "bpc%02d.ini", number);
    const std::string full = folder + "\\" + name;
    const std::string file = c.bare_name ? std::string(name) : full;
    Remove(*sys, full);
    if (c.content != nullptr) {
      std::string content(c.content);
      sys->WriteFileBytes(
          full, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(content.data()),
                                              content.size()));
    }
    std::printf("== %02d %s\n", number, c.title);
    bool wrote = false;
    for (const Step& s : c.steps) {
      if (s.kind == Step::kRead) {
        std::vector<char> buffer(s.size + 8, static_cast<char>(0xAA));
        std::uint32_t count = sys->GetPrivateProfileString(s.section, s.key, s.text, buffer.data(),
                                                           s.size, file.c_str());
        std::uint32_t shown = std::min(count + 1, s.size);
        std::printf("read %s %s %s %u -> %u | %s\n", Quote(s.section).c_str(), Quote(s.key).c_str(),
                    Quote(s.text).c_str(), s.size, count, HexBytes(buffer.data(), shown).c_str());
      } else {
        bool ok = sys->WritePrivateProfileString(s.section, s.key, s.text, file.c_str());
        std::printf("write %s %s %s -> %d\n", Quote(s.section).c_str(), Quote(s.key).c_str(),
                    Quote(s.text).c_str(), ok ? 1 : 0);
        wrote = true;
      }
    }
    if (wrote) {
      bool flushed = sys->WritePrivateProfileString(nullptr, nullptr, nullptr, file.c_str());
      std::printf("flush -> %d\n", flushed ? 1 : 0);
      DumpFile(*sys, full, file);
    }
    Remove(*sys, full);
  }
  return 0;
}
