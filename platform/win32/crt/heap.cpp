// The program's own C library, its heap: the process heap, as MSVCRT.DLL's heap
// is a heap of Windows too. A failed allocation returns null, which operator new
// turns into std::bad_alloc.
#include <cstdlib>

#include "platform/win32/win_headers.h"

namespace {

HANDLE Heap() {
  static HANDLE heap = GetProcessHeap();
  return heap;
}

}  // namespace

// A request for no bytes still gets a block of its own, as C asks.
extern "C" void* malloc(std::size_t size) {
  return HeapAlloc(Heap(), 0, size != 0 ? size : 1);
}

extern "C" void* calloc(std::size_t count, std::size_t size) {
  if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
  const std::size_t total = count * size;
  return HeapAlloc(Heap(), HEAP_ZERO_MEMORY, total != 0 ? total : 1);
}

// A block that cannot grow stays as it was, and null is returned; a size of 0
// frees the block and returns null, as MSVCRT.DLL's realloc does.
extern "C" void* realloc(void* block, std::size_t size) {
  if (block == nullptr) return std::malloc(size);
  if (size == 0) {
    std::free(block);
    return nullptr;
  }
  return HeapReAlloc(Heap(), 0, block, size);
}

extern "C" void free(void* block) {
  if (block != nullptr) HeapFree(Heap(), 0, block);
}
