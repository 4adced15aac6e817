// Synthetic blog ideas for demos and benchmarks. The same count and seed
// give the same table on every platform and compiler: the generator uses its
// own pseudo-random sequence (splitmix64), not the standard distributions.
#pragma once

#include <cstdint>

#include "tableengine/record_store.h"

namespace notarra {

// Gives an empty store (no fields, no records) the idea table's fields and
// count ideas with the Keys 1 to count. Subjects run about 20 to 60
// characters, titles 30 to 80, keywords 20 to 50, notes 100 to 400 bytes of
// RTF; groups come from a dozen names, a few left empty; about four in ten
// ideas are published, with dates from 1995 to 2026.
void GenerateIdeas(TVelaCursor& cursor, int32_t count, uint64_t seed);

}  // namespace notarra
