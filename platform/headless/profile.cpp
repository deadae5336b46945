#include "platform/headless/profile.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "platform/convert.h"

namespace headless::profile {
namespace {

bool IsBlank(char c) {
  auto u = static_cast<unsigned char>(c);
  return (u >= 0x09 && u <= 0x0d) || u == 0x1a || u == 0x20;
}

using plat::EqualNoCase;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}

struct Line {
  std::size_t start = 0;  // first byte
  std::size_t end = 0;    // end of the text, before the line break
  std::size_t next = 0;   // after one line break (CR LF, CR or LF)
  std::string name;       // key name (trimmed)
  std::string value;
  bool has_value = false;
};

struct Section {
  std::string name;
  int header = -1;  // line of "[name]"; -1 for the lines before the first header
  std::vector<int> keys;
  int last = -1;  // last non-blank line of the section, its header included
};

struct Parsed {
  std::vector<Line> lines;
  std::vector<Section> sections;  // empty for an empty file; else the nameless one first
};

Parsed Parse(const std::string& text) {
  Parsed p;
  if (text.empty()) return p;
  p.sections.push_back(Section{});
  const std::size_t n = text.size();
  std::size_t pos = 0;
  while (pos < n) {
    Line line;
    line.start = pos;
    std::size_t e = pos;
    while (e < n && text[e] != '\n' && text[e] != '\r') ++e;
    line.end = e;
    if (e < n && text[e] == '\r' && e + 1 < n && text[e + 1] == '\n') {
      line.next = e + 2;
    } else {
      line.next = e < n ? e + 1 : e;
    }
    const int index = static_cast<int>(p.lines.size());
    std::string_view body = Trim(std::string_view(text).substr(pos, e - pos));
    bool header = false;
    if (!body.empty() && body.front() == '[') {
      std::size_t len = body.size();
      while (len > 0 && body[len - 1] != ']') --len;
      if (len > 0) {
        Section s;
        s.name = std::string(Trim(body.substr(1, len - 2)));  // body[0] is '[', so len >= 2
        s.header = index;
        s.last = index;
        p.sections.push_back(std::move(s));
        header = true;
      }
    }
    if (!header && !body.empty()) {
      std::size_t eq = body.find('=');
      std::string_view name = body;
      if (eq != std::string_view::npos) {
        name = Trim(body.substr(0, eq));
        line.value = std::string(TrimLeft(body.substr(eq + 1)));
        line.has_value = true;
      }
      line.name = std::string(name);
      Section& s = p.sections.back();
      // Two empty-named keys in a row: the second is no key (as kernel32 reads it).
      bool skip = name.empty() && !s.keys.empty() &&
                  p.lines[static_cast<std::size_t>(s.keys.back())].name.empty();
      if (!skip) s.keys.push_back(index);
      s.last = index;
    }
    p.lines.push_back(std::move(line));
    pos = p.lines.back().next;
  }
  return p;
}

struct Found {
  int section = -1;
  int key = -1;
};

Found Find(const Parsed& p, std::string_view section, std::string_view key) {
  section = Trim(section);
  key = Trim(key);
  for (std::size_t s = 0; s < p.sections.size(); ++s) {
    if (!EqualNoCase(p.sections[s].name, section)) continue;
    for (int k : p.sections[s].keys) {
      if (EqualNoCase(p.lines[static_cast<std::size_t>(k)].name, key)) {
        return {static_cast<int>(s), k};
      }
    }
    return {static_cast<int>(s), -1};  // only the first section of a name counts
  }
  return {};
}

// lstrcpyn: at most n - 1 characters and a terminator.
void CopyN(char* dst, std::string_view src, std::size_t n) {
  if (n == 0) return;
  std::size_t count = std::min(src.size(), n - 1);
  std::memcpy(dst, src.data(), count);
  dst[count] = '\0';
}

// Copies a value, dropping one pair of matching quotes around it.
void CopyEntry(char* dst, std::string_view value, std::size_t n) {
  bool quoted = false;
  if (value.size() > 1 && (value.front() == '\'' || value.front() == '"') &&
      value.back() == value.front()) {
    quoted = true;
    value.remove_prefix(1);
  }
  CopyN(dst, value, n);
  if (quoted && n >= value.size()) {
    std::size_t len = std::strlen(dst);
    if (len > 0) dst[len - 1] = '\0';
  }
}

// The key names of the first section called `section`; the result count as the
// wide function gives it.
std::uint32_t KeyNames(const Parsed& p, std::string_view section, char* buf, std::uint32_t size) {
  for (const Section& s : p.sections) {
    if (!EqualNoCase(s.name, section)) continue;
    std::uint32_t len = size;
    char* out = buf;
    for (int k : s.keys) {
      const Line& line = p.lines[static_cast<std::size_t>(k)];
      if (len <= 2) break;
      if (!line.name.empty() && line.name.front() == ';') continue;  // a comment
      if (!line.has_value) continue;
      CopyN(out, line.name, len - 1);
      auto copied = static_cast<std::uint32_t>(std::strlen(out));
      len -= copied + 1;
      out += copied + 1;
      if (len < 2) break;
    }
    *out = '\0';
    if (len <= 1) {
      out[-1] = '\0';
      return size - 2;
    }
    return size - len;
  }
  buf[0] = '\0';
  if (size > 1) buf[1] = '\0';
  return 0;
}

std::uint32_t SectionNames(const Parsed& p, char* buf, std::uint32_t size) {
  if (size == 1) {
    *buf = '\0';
    return 0;
  }
  std::uint32_t room = size - 1;
  char* out = buf;
  for (const Section& s : p.sections) {
    if (s.name.empty()) continue;
    auto need = static_cast<std::uint32_t>(s.name.size() + 1);
    if (need >= room) {
      if (room > 0) {
        std::memcpy(out, s.name.data(), room - 1);
        out += room - 1;
        *out++ = '\0';
      }
      *out = '\0';
      return size - 2;
    }
    std::memcpy(out, s.name.data(), need);  // includes the terminator
    out += need;
    room -= need;
  }
  *out = '\0';
  return static_cast<std::uint32_t>(out - buf);
}

std::string StripTrailingSpaces(const char* def) {
  // As kernel32 does it: an all-blank default keeps its first blank.
  std::string d(def);
  if (d.empty()) return d;
  std::size_t p = d.size() - 1;
  while (p > 0 && d[p] == ' ') --p;
  d.resize(p + 1);
  return d;
}

// The narrow function hands on `count` characters of the wide result and a terminator.
std::uint32_t Narrow(const std::vector<char>& wide, std::uint32_t count, char* buffer) {
  std::memcpy(buffer, wide.data(), count);
  buffer[count] = '\0';
  return count;
}

void InsertLineAfter(std::string& text, const Parsed& p, int line, const std::string& content) {
  if (line < 0) {
    text.insert(0, content + "\r\n");
    return;
  }
  const Line& l = p.lines[static_cast<std::size_t>(line)];
  if (l.next == l.end) {  // the file's last line has no line break
    text.insert(l.end, "\r\n" + content + "\r\n");
  } else {
    text.insert(l.next, content + "\r\n");
  }
}

}  // namespace

std::uint32_t Read(const std::string* text, const char* section, const char* key,
                   const char* default_value, char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (default_value == nullptr) default_value = "";
  static const std::string kEmpty;
  Parsed p = Parse(text ? *text : kEmpty);
  std::vector<char> wide(size + 1, '\0');
  std::uint32_t count = 0;
  if (section == nullptr) {
    count = SectionNames(p, wide.data(), size);
  } else if (key == nullptr) {
    count = KeyNames(p, section, wide.data(), size);
    if (wide[0] == '\0') {
      CopyEntry(wide.data(), default_value, size);
      count = static_cast<std::uint32_t>(std::strlen(wide.data()));
    }
  } else {
    std::string def = StripTrailingSpaces(default_value);
    Found f = Find(p, section, key);
    const Line* line = f.key >= 0 ? &p.lines[static_cast<std::size_t>(f.key)] : nullptr;
    CopyEntry(wide.data(), line && line->has_value ? std::string_view(line->value) : def, size);
    count = static_cast<std::uint32_t>(std::strlen(wide.data()));
  }
  return Narrow(wide, count, buffer);
}

std::uint32_t ReadUnopened(const char* section, const char* key, const char* default_value,
                           char* buffer, std::uint32_t size) {
  if (buffer == nullptr || size == 0) return 0;
  if (default_value == nullptr) default_value = "";
  std::vector<char> wide(size + 1, '\0');
  std::uint32_t count = 0;
  if (section == nullptr) {
    count = 0;
  } else if (key == nullptr) {
    CopyEntry(wide.data(), default_value, size);
    count = static_cast<std::uint32_t>(std::strlen(wide.data()));
  } else {
    CopyN(wide.data(), StripTrailingSpaces(default_value), size);
    count = static_cast<std::uint32_t>(std::strlen(wide.data()));
  }
  return Narrow(wide, count, buffer);
}

bool Write(std::string& text, const char* section, const char* key, const char* value) {
  Parsed p = Parse(text);
  if (key == nullptr) {
    for (std::size_t s = 0; s < p.sections.size(); ++s) {
      if (!EqualNoCase(p.sections[s].name, section)) continue;
      const Section& sec = p.sections[s];
      std::size_t from = sec.header >= 0 ? p.lines[static_cast<std::size_t>(sec.header)].start : 0;
      std::size_t to = text.size();
      if (s + 1 < p.sections.size()) {
        to = p.lines[static_cast<std::size_t>(p.sections[s + 1].header)].start;
      }
      text.erase(from, to - from);
      return true;
    }
    return false;
  }
  if (value == nullptr) {
    for (const Section& sec : p.sections) {
      if (!EqualNoCase(sec.name, section)) continue;
      for (int k : sec.keys) {
        const Line& l = p.lines[static_cast<std::size_t>(k)];
        if (EqualNoCase(l.name, key)) {
          text.erase(l.start, l.next - l.start);
          return true;
        }
      }
    }
    return false;
  }
  std::string v(TrimLeft(value));
  Found f = Find(p, section, key);
  if (f.key >= 0) {
    const Line& l = p.lines[static_cast<std::size_t>(f.key)];
    if (l.has_value && l.value == v) return false;
    text.replace(l.start, l.end - l.start, l.name + "=" + v);
    return true;
  }
  std::string entry = std::string(Trim(key)) + "=" + v;
  if (f.section >= 0) {
    InsertLineAfter(text, p, p.sections[static_cast<std::size_t>(f.section)].last, entry);
    return true;
  }
  if (!text.empty()) {
    if (text.back() != '\n' && text.back() != '\r') text += "\r\n";
    text += "\r\n";
  }
  // Appended piece by piece: GCC 12 at -O2 sees a false overlap (-Wrestrict) in
  // the chain of temporaries.
  text += '[';
  text.append(Trim(section));
  text += "]\r\n";
  text += entry;
  text += "\r\n";
  return true;
}

}  // namespace headless::profile
