// The fuzz targets' scratch directory, file access and failure report, and their start-up.
#include "harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "process.h"

static std::string scratch_directory;  // made at start-up, removed at exit
static FILE *report_stream = nullptr;  // a copy of the standard error the process started with

std::string scratch_path(const char *name) { return scratch_directory + "/" + name; }

void write_scratch_file(const std::string &path, const uint8_t *data, size_t size) {
  FILE *file = fopen(path.c_str(), "wb");
  if (file == nullptr) abort();
  bool written = fwrite(data, 1, size, file) == size;
  if (fclose(file) != 0 || !written) abort();
}

std::string read_scratch_file(const std::string &path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) abort();
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void property_failed(const char *property, const std::string &details) {
  fprintf(report_stream, "\nPROPERTY FAILED: %s\n%s\n", property, details.c_str());
  fflush(report_stream);
  abort();
}

int checked_status(const char *program, int status) {
  if (status == EXIT_INTERNAL_FAULT) property_failed("no run ends in an internal fault", program);
  return status;
}

int run_on_bytes(const char *program, int (*run)(const char *, const char *), const char *input_name,
                 const char *output_name, const uint8_t *data, size_t size) {
  std::string input = scratch_path(input_name);
  write_scratch_file(input, data, size);
  return checked_status(program, run(input.c_str(), scratch_path(output_name).c_str()));
}

static void remove_scratch_directory() {
  std::error_code ignored;
  std::filesystem::remove_all(scratch_directory, ignored);
}

// A memory file system if there is one: every run writes and reads a few files.
static void make_scratch_directory() {
  const char *base = std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : P_tmpdir;
  std::string pattern = std::string(base) + "/postwright-fuzz.XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) abort();
  scratch_directory = pattern;
  atexit(remove_scratch_directory);
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  int copy = dup(STDERR_FILENO);
  report_stream = copy != -1 ? fdopen(copy, "w") : nullptr;
  if (report_stream == nullptr) report_stream = stderr;
  int null = open("/dev/null", O_WRONLY);
  if (null == -1 || dup2(null, STDOUT_FILENO) == -1) abort();
  close(null);
  make_scratch_directory();
  return 0;
}
