// How many bytes a block from std::malloc can really hold.
//
// The one place that asks the C library: code that reuses heap blocks calls
// UsableBlockSize instead of malloc_usable_size (glibc only) or its cousins.
#pragma once

#include <cstddef>

namespace notarra {

// The usable size of a block returned by std::malloc / calloc / realloc: at
// least the size asked for. Where the C library cannot tell, 0, so a caller
// that reuses blocks only when they are big enough simply never reuses one.
// A null block has size 0.
std::size_t UsableBlockSize(const void* block);

}  // namespace notarra
