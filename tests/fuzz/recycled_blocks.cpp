// Large blocks recycled by size, for the fuzz target only. Every run boots the
// program anew, and each boot allocates the same few picture-sized blocks (the
// canvases, the decoded sheets, the screen's copies, temp.jpg's bytes). ASan
// maps every block over 128 KiB fresh from the system and unmaps it when it is
// freed, so each boot paid thousands of page faults; kept here, a block of the
// same size is handed out again. A kept block is poisoned until then, so ASan
// still reports any use of it after its delete (as use-after-poison).
#include <sanitizer/allocator_interface.h>
#include <sanitizer/asan_interface.h>

#include <cstddef>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

// Above this, ASan's allocator maps each block separately.
constexpr std::size_t kLarge = std::size_t{128} << 10;
constexpr int kSlots = 64;

struct Block {
  void* at = nullptr;
  std::size_t size = 0;
};

// Large blocks in use and kept ones; a full table just means no recycling.
struct Blocks {
  std::mutex lock;  // libFuzzer's own threads allocate too
  Block live[kSlots];
  Block kept[kSlots];
};

Blocks& Table() {
  static Blocks* blocks = new (std::malloc(sizeof(Blocks))) Blocks();
  return *blocks;
}

bool Put(Block* table, Block b) {
  for (int i = 0; i < kSlots; ++i) {
    if (table[i].at == nullptr) {
      table[i] = b;
      return true;
    }
  }
  return false;
}

void* Allocate(std::size_t size) {
  void* at = nullptr;
  if (size > kLarge) {
    Blocks& t = Table();
    std::lock_guard<std::mutex> hold(t.lock);
    for (Block& b : t.kept) {
      if (b.at != nullptr && b.size == size) {
        at = b.at;
        b = Block{};
        ASAN_UNPOISON_MEMORY_REGION(at, size);
        break;
      }
    }
    if (at == nullptr) at = std::malloc(size);
    if (at != nullptr) Put(t.live, {at, size});  // untracked when full: freed as usual
  } else {
    at = std::malloc(size == 0 ? 1 : size);
  }
  if (at == nullptr) throw std::bad_alloc();
  return at;
}

void Release(void* at) {
  if (at == nullptr) return;
  if (__sanitizer_get_allocated_size(at) <= kLarge) return std::free(at);
  Blocks& t = Table();
  {
    std::lock_guard<std::mutex> hold(t.lock);
    for (Block& b : t.live) {
      if (b.at != at) continue;
      const Block freed = b;
      b = Block{};
      if (Put(t.kept, freed)) {
        ASAN_POISON_MEMORY_REGION(freed.at, freed.size);
        return;
      }
      break;
    }
  }
  std::free(at);
}

}  // namespace

void* operator new(std::size_t size) {
  return Allocate(size);
}
void* operator new[](std::size_t size) {
  return Allocate(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return Allocate(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void operator delete(void* at) noexcept {
  Release(at);
}
void operator delete[](void* at) noexcept {
  Release(at);
}
void operator delete(void* at, std::size_t) noexcept {
  Release(at);
}
void operator delete[](void* at, std::size_t) noexcept {
  Release(at);
}
void operator delete(void* at, const std::nothrow_t&) noexcept {
  Release(at);
}
void operator delete[](void* at, const std::nothrow_t&) noexcept {
  Release(at);
}
