// A shared library for LD_PRELOAD that counts the calls which allocate memory (malloc,
// calloc, realloc) in the process it is loaded into, and prints the count on standard error
// when the process ends. The benchmark uses it to show that a run's allocations do not grow
// with the size of its input.
#include <cstddef>
#include <cstdio>

extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *memory, size_t size);

static unsigned long allocation_calls = 0;  // malloc, calloc and realloc calls so far

void *malloc(size_t size) {
  allocation_calls++;
  return __libc_malloc(size);
}

void *calloc(size_t count, size_t size) {
  allocation_calls++;
  return __libc_calloc(count, size);
}

void *realloc(void *memory, size_t size) {
  allocation_calls++;
  return __libc_realloc(memory, size);
}

__attribute__((destructor)) static void report_allocations() {
  fprintf(stderr, "allocation calls: %lu\n", allocation_calls);
}
}
