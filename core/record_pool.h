// Pools of fixed-size records that are taken and given back many times a run (tree nodes,
// stack cells): records come from slabs of many at once and go back to a free list, so a run
// makes one allocation per slab instead of one per record, and a record costs its own size.
// Entry points: pool_take, pool_give, pool_release.
#ifndef CORE_RECORD_POOL_H
#define CORE_RECORD_POOL_H

#include <cstddef>

struct PoolSlab;

struct RecordPool {
  size_t record_size;  // bytes of one record, at least a pointer, a multiple of its alignment
  const char *who;     // named in the out-of-memory message
  void *free_list;     // records given back, linked through their first bytes; null if none
  PoolSlab *slabs;     // every slab allocated, newest first
  size_t fresh;        // records of the newest slab not yet handed out
};

#define RECORD_POOL(type, who) \
  RecordPool { sizeof(type), who, nullptr, nullptr, 0 }

// Hands out an uninitialised record; ends the process (die) when memory runs out.
void *pool_take_slow(RecordPool *pool);

inline void *pool_take(RecordPool *pool) {
  void *record = pool->free_list;
  if (record == nullptr) return pool_take_slow(pool);
  pool->free_list = *static_cast<void **>(record);
  return record;
}

inline void pool_give(RecordPool *pool, void *record) {
  *static_cast<void **>(record) = pool->free_list;
  pool->free_list = record;
}

// Releases every slab; every record taken from the pool is gone with them.
void pool_release(RecordPool *pool);

#endif
