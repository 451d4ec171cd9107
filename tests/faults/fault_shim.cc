// A library preloaded into a program under test that makes one call of one kind fail: the Nth
// allocation, read, write, flush or close that the program makes once its main has begun and
// until it exits. Calls before main (the C library's own start-up) and from the exit on (the
// profile that a coverage build's runtime writes then) are neither counted nor failed.
//
// Environment:
//   FAULT_KIND    alloc (malloc, calloc, realloc), read (fread, getc, read), write (fwrite,
//                 fputs, putc, puts, printf, fprintf, write), flush (fflush) or close (fclose,
//                 close); unset: nothing fails
//   FAULT_AT      N, counting from 1, of the calls of that kind
//   FAULT_REPORT  a file that receives, at the exit, the number of calls of each kind the run
//                 made and the descriptor of the call that failed, so that a sweep knows
//                 every N a run reaches and which stream lost the data
//
// A failed stream call does nothing, sets the stream's error indicator and errno, and returns
// the function's failure value, as a full disk or an I/O error would show to the program; a
// failed flush or close also drops what the stream holds, which never reached the file. A
// failed allocation returns null with ENOMEM. The C library itself (glibc) calls malloc
// through its public symbol, so its own allocations (a stream's buffer) are counted too.
//
// Under AddressSanitizer the executable carries its own malloc, which comes first, so a
// preloaded library never sees an allocation there; the stream calls still reach it through
// the sanitizer's interceptors. So the sanitizer build also links this file, compiled with
// FAULT_LINKED, into test copies of the programs whose link wraps malloc, calloc and realloc
// (-Wl,--wrap): the programs' own allocations call __wrap_malloc here, which counts them and
// fails one or hands them on to __real_malloc, the sanitizer's, so that LeakSanitizer still
// tracks every block. The C library's allocations are not wrapped, and are not counted there.
// The linked form leaves the stream calls out: a definition of fwrite in the executable would
// replace the sanitizer's interceptor and the checks it makes, and a copy is run for its
// allocations alone, without the preloaded library, so each run has one count and one report.
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio_ext.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// Preloaded, the library's malloc takes the place of the C library's, which it calls by its
// internal name; linked, only the wrapped references of the programs' objects reach it.
#ifdef FAULT_LINKED
#define ALLOCATOR(name) __wrap_##name
#define NEXT_ALLOCATOR(name) __real_##name
#else
#define ALLOCATOR(name) name
#define NEXT_ALLOCATOR(name) __libc_##name
#endif

extern "C" {
void *NEXT_ALLOCATOR(malloc)(size_t size);
void *NEXT_ALLOCATOR(calloc)(size_t count, size_t size);
void *NEXT_ALLOCATOR(realloc)(void *memory, size_t size);
}

namespace {

enum Kind { KIND_ALLOC, KIND_READ, KIND_WRITE, KIND_FLUSH, KIND_CLOSE, KIND_COUNT };
const char *const KIND_NAMES[KIND_COUNT] = {"alloc", "read", "write", "flush", "close"};
constexpr int NO_DESCRIPTOR = -1;

struct FaultPlan {
  bool armed;               // main has begun and the exit has not
  int kind;                 // the kind that fails; KIND_COUNT when none does
  long at;                  // the number of the call that fails
  long calls[KIND_COUNT];   // calls made so far, by kind
  bool injected;            // the failing call was reached
  int injected_descriptor;  // its stream's descriptor, or NO_DESCRIPTOR
};
FaultPlan plan = {false, KIND_COUNT, 0, {}, false, NO_DESCRIPTOR};

// Counts a call of `kind` on `descriptor` and says whether it is the one that fails.
bool fails(int kind, int descriptor) {
  if (!plan.armed) return false;
  long number = ++plan.calls[kind];
  if (kind != plan.kind || number != plan.at) return false;
  plan.injected = true;
  plan.injected_descriptor = descriptor;
  return true;
}

// The stream calls' helpers; the linked form has no stream calls.
[[maybe_unused]] int descriptor_of(FILE *stream) { return stream != nullptr ? fileno(stream) : NO_DESCRIPTOR; }

// The failure as the program sees it on `stream`: the error indicator set, errno EIO.
[[maybe_unused]] void mark_failed(FILE *stream) {
  if (stream != nullptr) stream->_flags |= _IO_ERR_SEEN;
  errno = EIO;
}

template <typename Function>
Function next_definition(const char *name) {
  void *found = dlsym(RTLD_NEXT, name);
  if (found == nullptr) abort();
  return reinterpret_cast<Function>(found);
}
// The C library's definition of `name`, looked up once.
#define REAL(name)                                                          \
  ([] {                                                                     \
    static const auto definition = next_definition<decltype(&name)>(#name); \
    return definition;                                                      \
  }())

void read_plan() {
  const char *kind = getenv("FAULT_KIND");
  const char *at = getenv("FAULT_AT");
  if (kind == nullptr || at == nullptr) return;
  for (int k = 0; k < KIND_COUNT; k++) {
    if (strcmp(kind, KIND_NAMES[k]) == 0) plan.kind = k;
  }
  plan.at = strtol(at, nullptr, 10);
}

// Written once, when the exit begins: counting stops there, and the library's own calls are
// not counted either.
void write_report() {
  if (!plan.armed) return;
  plan.armed = false;
  const char *path = getenv("FAULT_REPORT");
  if (path == nullptr) return;
  char text[256];
  int length = 0;
  for (int k = 0; k < KIND_COUNT; k++) {
    length +=
        snprintf(text + length, sizeof text - static_cast<size_t>(length), "%s %ld\n", KIND_NAMES[k], plan.calls[k]);
  }
  length += snprintf(text + length, sizeof text - static_cast<size_t>(length), "injected %d\ndescriptor %d\n",
                     plan.injected ? 1 : 0, plan.injected_descriptor);
  int fd = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd == -1) return;
  if (REAL(write)(fd, text, static_cast<size_t>(length)) != length) abort();
  REAL(close)(fd);
}

using MainFunction = int (*)(int, char **, char **);
MainFunction program_main = nullptr;

// The report's exit handler is registered as main begins, after those that runtimes registered
// at start-up (a coverage build's profile writer), so it runs before them at the exit: their
// writes are neither failed nor counted.
int armed_main(int argc, char **argv, char **envp) {
  read_plan();
  if (atexit(write_report) != 0) abort();
  plan.armed = true;
  return program_main(argc, argv, envp);
}

}  // namespace

extern "C" {

// --- Start: counting begins with the program's main ---

int __libc_start_main(MainFunction main, int argc, char **argv, void (*init)(), void (*fini)(), void (*rtld_fini)(),
                      void *stack_end) {
  program_main = main;
  auto real = next_definition<int (*)(MainFunction, int, char **, void (*)(), void (*)(), void (*)(), void *)>(
      "__libc_start_main");
  return real(armed_main, argc, argv, init, fini, rtld_fini, stack_end);
}

// --- Allocation ---

void *ALLOCATOR(malloc)(size_t size) noexcept {
  if (fails(KIND_ALLOC, NO_DESCRIPTOR)) {
    errno = ENOMEM;
    return nullptr;
  }
  return NEXT_ALLOCATOR(malloc)(size);
}

void *ALLOCATOR(calloc)(size_t count, size_t size) noexcept {
  if (fails(KIND_ALLOC, NO_DESCRIPTOR)) {
    errno = ENOMEM;
    return nullptr;
  }
  return NEXT_ALLOCATOR(calloc)(count, size);
}

void *ALLOCATOR(realloc)(void *memory, size_t size) noexcept {
  if (fails(KIND_ALLOC, NO_DESCRIPTOR)) {
    errno = ENOMEM;
    return nullptr;
  }
  return NEXT_ALLOCATOR(realloc)(memory, size);
}

#ifndef FAULT_LINKED

// --- Reads ---

size_t fread(void *to, size_t size, size_t count, FILE *stream) {
  if (fails(KIND_READ, descriptor_of(stream))) {
    mark_failed(stream);
    return 0;
  }
  return REAL(fread)(to, size, count, stream);
}

int getc(FILE *stream) {
  if (fails(KIND_READ, descriptor_of(stream))) {
    mark_failed(stream);
    return EOF;
  }
  return REAL(getc)(stream);
}

ssize_t read(int fd, void *to, size_t size) {
  if (fails(KIND_READ, fd)) {
    errno = EIO;
    return -1;
  }
  return REAL(read)(fd, to, size);
}

// --- Writes ---

size_t fwrite(const void *from, size_t size, size_t count, FILE *stream) {
  if (fails(KIND_WRITE, descriptor_of(stream))) {
    mark_failed(stream);
    return 0;
  }
  return REAL(fwrite)(from, size, count, stream);
}

int fputs(const char *text, FILE *stream) {
  if (fails(KIND_WRITE, descriptor_of(stream))) {
    mark_failed(stream);
    return EOF;
  }
  return REAL(fputs)(text, stream);
}

int putc(int c, FILE *stream) {
  if (fails(KIND_WRITE, descriptor_of(stream))) {
    mark_failed(stream);
    return EOF;
  }
  return REAL(putc)(c, stream);
}

int putchar(int c) { return putc(c, stdout); }

int puts(const char *text) {
  if (fails(KIND_WRITE, descriptor_of(stdout))) {
    mark_failed(stdout);
    return EOF;
  }
  return REAL(puts)(text);
}

int vfprintf(FILE *stream, const char *format, va_list args) {
  if (fails(KIND_WRITE, descriptor_of(stream))) {
    mark_failed(stream);
    return -1;
  }
  return REAL(vfprintf)(stream, format, args);
}

int fprintf(FILE *stream, const char *format, ...) {
  va_list args;
  va_start(args, format);
  int written = vfprintf(stream, format, args);
  va_end(args);
  return written;
}

int vprintf(const char *format, va_list args) { return vfprintf(stdout, format, args); }

int printf(const char *format, ...) {
  va_list args;
  va_start(args, format);
  int written = vfprintf(stdout, format, args);
  va_end(args);
  return written;
}

ssize_t write(int fd, const void *from, size_t size) {
  if (fails(KIND_WRITE, fd)) {
    errno = EIO;
    return -1;
  }
  return REAL(write)(fd, from, size);
}

// --- Flushes and closes ---

int fflush(FILE *stream) {
  if (fails(KIND_FLUSH, descriptor_of(stream))) {
    if (stream != nullptr) __fpurge(stream);
    mark_failed(stream);
    return EOF;
  }
  return REAL(fflush)(stream);
}

int fclose(FILE *stream) {
  if (fails(KIND_CLOSE, descriptor_of(stream))) {
    __fpurge(stream);
    REAL(fclose)(stream);
    errno = EIO;
    return EOF;
  }
  return REAL(fclose)(stream);
}

int close(int fd) {
  if (fails(KIND_CLOSE, fd)) {
    REAL(close)(fd);
    errno = EIO;
    return -1;
  }
  return REAL(close)(fd);
}

#endif  // FAULT_LINKED

}  // extern "C"
