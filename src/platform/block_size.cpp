#include "platform/block_size.h"

#if defined(__GLIBC__)
#include <malloc.h>
#elif defined(__APPLE__)
#include <malloc/malloc.h>
#elif defined(_WIN32)
#include <malloc.h>
#endif

namespace notarra {

std::size_t UsableBlockSize(const void* block) {
  if (!block) return 0;
  void* p = const_cast<void*>(block);
#if defined(__GLIBC__)
  return malloc_usable_size(p);
#elif defined(__APPLE__)
  return malloc_size(p);
#elif defined(_WIN32)
  return _msize(p);
#else
  (void)p;
  return 0;
#endif
}

}  // namespace notarra
