// operator new and delete for the fuzz target only. Every run boots the program
// anew, and each boot allocates the same few picture-sized blocks (the canvases,
// the decoded sheets, the screen's copies, temp.jpg's bytes). ASan maps every
// block over 128 KiB fresh from the system and unmaps it when it is freed, so
// each boot paid thousands of page faults; here a large block is handed out
// again for one of the same size instead.
//
// Replacing operator new takes ASan's own checks of it away, so they are made
// here again:
// - Each block comes from ASan's malloc with a header before it that records
//   whether new or new[] gave it (ASan's malloc itself still finds overflows
//   and uses after free). A delete of the other kind, of a block from malloc or
//   of one deleted already is reported with ASan's account of the block.
// - A large block freed is kept poisoned, as in ASan's quarantine, and handed
//   out again only once kQuarantine bytes of large blocks have been freed after
//   it: a stale pointer into it is reported (use-after-poison) for the next
//   several runs rather than reading the block's next owner.
// recycled_blocks_check.cpp shows each report.
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>
#include <sanitizer/common_interface_defs.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

// Above this, ASan's allocator maps each block separately.
constexpr std::size_t kLarge = std::size_t{128} << 10;
// A run frees about 1.5 MB of large blocks: a freed one stays poisoned for ten runs or so.
constexpr std::uint64_t kQuarantine = std::uint64_t{16} << 20;
constexpr int kSlots = 1024;

enum class Kind : std::uint32_t { kNew = 0xA110C001, kNewArray = 0xA110C0A1, kFreed = 0xF4EED000 };

// 16 bytes: the block after it is aligned as malloc's are. Poisoned while the
// block is out, so that an underflow into it is reported too.
struct alignas(16) Header {
  Kind kind;
  std::size_t size;
};

// The header is read and written past its poison.
__attribute__((no_sanitize("address"))) Header Read(const Header* h) {
  return *h;
}
__attribute__((no_sanitize("address"))) void Write(Header* h, Kind kind, std::size_t size) {
  h->kind = kind;
  h->size = size;
}

[[noreturn]] void Fail(const char* what, void* block) {
  std::fprintf(stderr, "==recycled_blocks== ERROR: %s (block %p)\n", what, block);
  __asan_describe_address(block);
  __sanitizer_print_stack_trace();
  std::abort();
}

struct Kept {
  Header* at;
  std::size_t size;
  std::uint64_t freed_at;  // Blocks::freed once this one was added
};

struct Blocks {
  std::mutex lock;  // libFuzzer's own threads allocate too
  Kept kept[kSlots];
  int count = 0;
  std::uint64_t freed = 0;  // bytes of large blocks freed so far
};

Blocks& Table() {
  static Blocks* blocks = new (std::malloc(sizeof(Blocks))) Blocks();
  return *blocks;
}

void* Open(Header* h, std::size_t size, Kind kind) {
  Write(h, kind, size);
  ASAN_POISON_MEMORY_REGION(h, sizeof(Header));
  return h + 1;
}

// A kept block of `size` out of quarantine, or null.
Header* Recycled(std::size_t size) {
  Blocks& t = Table();
  std::lock_guard<std::mutex> hold(t.lock);
  for (int i = 0; i < t.count; ++i) {
    Kept& k = t.kept[i];
    if (k.size != size || t.freed - k.freed_at < kQuarantine) continue;
    Header* h = k.at;
    k = t.kept[--t.count];
    ASAN_UNPOISON_MEMORY_REGION(h, sizeof(Header) + size);
    return h;
  }
  return nullptr;
}

void Keep(Header* h, std::size_t size) {
  Write(h, Kind::kFreed, size);
  ASAN_POISON_MEMORY_REGION(h, sizeof(Header) + size);
  Blocks& t = Table();
  Header* evicted = nullptr;
  {
    std::lock_guard<std::mutex> hold(t.lock);
    if (t.count == kSlots) {  // the oldest goes back to ASan
      int oldest = 0;
      for (int i = 1; i < t.count; ++i) {
        if (t.kept[i].freed_at < t.kept[oldest].freed_at) oldest = i;
      }
      evicted = t.kept[oldest].at;
      t.kept[oldest] = t.kept[--t.count];
    }
    t.freed += size;
    t.kept[t.count++] = Kept{h, size, t.freed};
  }
  std::free(evicted);
}

void* Allocate(std::size_t size, Kind kind) {
  Header* h = size > kLarge ? Recycled(size) : nullptr;
  if (h == nullptr) h = static_cast<Header*>(std::malloc(sizeof(Header) + size));
  if (h == nullptr) throw std::bad_alloc();
  return Open(h, size, kind);
}

void Release(void* block, Kind kind) {
  if (block == nullptr) return;
  Header* h = static_cast<Header*>(block) - 1;
  // Not the start of a block of ASan's: from malloc, or from new and freed already.
  if (!__sanitizer_get_ownership(h))
    Fail("operator delete of a block not from new, or deleted already", block);
  const Header head = Read(h);
  if (head.kind == Kind::kFreed) Fail("operator delete of a large block deleted already", block);
  if (head.kind != kind) {
    Fail(kind == Kind::kNew ? "operator delete of a block from new[]"
                            : "operator delete[] of a block from new",
         block);
  }
  if (head.size > kLarge) return Keep(h, head.size);
  std::free(h);
}

void* AllocateOrNull(std::size_t size, Kind kind) noexcept {
  try {
    return Allocate(size, kind);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size, Kind::kNew);
}
void* operator new[](std::size_t size) {
  return Allocate(size, Kind::kNewArray);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, Kind::kNew);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return AllocateOrNull(size, Kind::kNewArray);
}
void operator delete(void* at) noexcept {
  Release(at, Kind::kNew);
}
void operator delete[](void* at) noexcept {
  Release(at, Kind::kNewArray);
}
void operator delete(void* at, std::size_t) noexcept {
  Release(at, Kind::kNew);
}
void operator delete[](void* at, std::size_t) noexcept {
  Release(at, Kind::kNewArray);
}
void operator delete(void* at, const std::nothrow_t&) noexcept {
  Release(at, Kind::kNew);
}
void operator delete[](void* at, const std::nothrow_t&) noexcept {
  Release(at, Kind::kNewArray);
}
