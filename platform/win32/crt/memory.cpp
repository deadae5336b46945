// The program's own C library, its memory and string functions: those the
// program, the C++ runtime and GCC's own code generation call. Built without
// GCC's loop-to-library-call rewriting (see CMakeLists.txt), which would turn
// these loops into calls of themselves.
#include <cstdint>
#include <cstring>

namespace {

// Copies go a machine word at a time when both ends share the word's alignment:
// the decoded skin pictures are hundreds of kilobytes.
using Word = std::uintptr_t __attribute__((may_alias));
constexpr std::size_t kWord = sizeof(Word);

bool Aligned(const void* a, const void* b) {
  return ((reinterpret_cast<std::uintptr_t>(a) | reinterpret_cast<std::uintptr_t>(b)) &
          (kWord - 1)) == 0;
}

void CopyForward(unsigned char* to, const unsigned char* from, std::size_t n) {
  if (Aligned(to, from)) {
    for (; n >= kWord; n -= kWord, to += kWord, from += kWord) {
      *reinterpret_cast<Word*>(to) = *reinterpret_cast<const Word*>(from);
    }
  }
  for (; n != 0; --n) *to++ = *from++;
}

// From the end down, for a copy into an overlapping block above its source.
void CopyBackward(unsigned char* to, const unsigned char* from, std::size_t n) {
  to += n;
  from += n;
  if (Aligned(to, from)) {
    for (; n >= kWord; n -= kWord) {
      to -= kWord;
      from -= kWord;
      *reinterpret_cast<Word*>(to) = *reinterpret_cast<const Word*>(from);
    }
  }
  for (; n != 0; --n) *--to = *--from;
}

}  // namespace

extern "C" void* memcpy(void* __restrict__ to, const void* __restrict__ from, std::size_t n) {
  CopyForward(static_cast<unsigned char*>(to), static_cast<const unsigned char*>(from), n);
  return to;
}

extern "C" void* memmove(void* to, const void* from, std::size_t n) {
  auto* t = static_cast<unsigned char*>(to);
  const auto* f = static_cast<const unsigned char*>(from);
  // Forward is safe unless the target starts inside the source.
  if (t <= f || t >= f + n) {
    CopyForward(t, f, n);
  } else {
    CopyBackward(t, f, n);
  }
  return to;
}

extern "C" void* memset(void* block, int value, std::size_t n) {
  auto* p = static_cast<unsigned char*>(block);
  const auto byte = static_cast<unsigned char>(value);
  for (; n != 0 && (reinterpret_cast<std::uintptr_t>(p) & (kWord - 1)) != 0; --n) *p++ = byte;
  const Word pattern = static_cast<Word>(-1) / 0xFF * byte;  // the byte in every byte
  for (; n >= kWord; n -= kWord, p += kWord) *reinterpret_cast<Word*>(p) = pattern;
  for (; n != 0; --n) *p++ = byte;
  return block;
}

extern "C" int memcmp(const void* a, const void* b, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(a);
  const auto* q = static_cast<const unsigned char*>(b);
  for (; n != 0; --n, ++p, ++q) {
    if (*p != *q) return *p < *q ? -1 : 1;
  }
  return 0;
}

extern "C" void* memchr(const void* block, int value, std::size_t n) {
  const auto* p = static_cast<const unsigned char*>(block);
  const auto byte = static_cast<unsigned char>(value);
  for (; n != 0; --n, ++p) {
    if (*p == byte) return const_cast<unsigned char*>(p);
  }
  return nullptr;
}

extern "C" std::size_t strlen(const char* text) {
  const char* end = text;
  while (*end != '\0') ++end;
  return static_cast<std::size_t>(end - text);
}

// Bytes compare as unsigned char, as C asks.
extern "C" int strncmp(const char* a, const char* b, std::size_t n) {
  for (; n != 0; --n, ++a, ++b) {
    const auto x = static_cast<unsigned char>(*a);
    const auto y = static_cast<unsigned char>(*b);
    if (x != y) return x < y ? -1 : 1;
    if (x == '\0') return 0;
  }
  return 0;
}

extern "C" int strcmp(const char* a, const char* b) {
  return strncmp(a, b, static_cast<std::size_t>(-1));
}
