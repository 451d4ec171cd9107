// Record pools: slabs that double in size up to a cap, so a short run stays small and a huge
// statement needs few allocations.
#include "record_pool.h"

#include <cstdlib>

#include "process.h"

constexpr size_t FIRST_SLAB_RECORDS = 64;
constexpr size_t MAX_SLAB_RECORDS = 16384;

struct PoolSlab {
  PoolSlab *older;  // the slab allocated before this one
  size_t records;   // records this slab holds
  // the records follow, aligned as max_align_t
};

static constexpr size_t SLAB_HEADER = (sizeof(PoolSlab) + alignof(max_align_t) - 1) & ~(alignof(max_align_t) - 1);

static char *records_of(PoolSlab *slab) { return reinterpret_cast<char *>(slab) + SLAB_HEADER; }

void *pool_take_slow(RecordPool *pool) {
  if (pool->fresh == 0) {
    size_t records = pool->slabs == nullptr ? FIRST_SLAB_RECORDS : pool->slabs->records * 2;
    if (records > MAX_SLAB_RECORDS) records = MAX_SLAB_RECORDS;
    auto *slab = static_cast<PoolSlab *>(malloc(SLAB_HEADER + records * pool->record_size));
    if (slab == nullptr) die(pool->who);
    slab->older = pool->slabs;
    slab->records = records;
    pool->slabs = slab;
    pool->fresh = records;
  }
  PoolSlab *slab = pool->slabs;
  return records_of(slab) + (slab->records - pool->fresh--) * pool->record_size;
}

void pool_release(RecordPool *pool) {
  while (pool->slabs != nullptr) {
    PoolSlab *older = pool->slabs->older;
    free(pool->slabs);
    pool->slabs = older;
  }
  pool->free_list = nullptr;
  pool->fresh = 0;
}
