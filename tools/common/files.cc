// A write counts only once fclose has succeeded: a full disk often shows only there. errno is
// kept across the clean-up, so the caller's message names the first failure.
#include "files.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "diagnostics.h"

FileResult read_whole_file(const char *path, std::string *text) {
  FILE *file = fopen(path, "rb");
  if (file == nullptr) return file_cannot_open;
  char chunk[BUFSIZ];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, got);
  bool failed = ferror(file) != 0;
  int saved_errno = errno;
  fclose(file);
  errno = saved_errno;
  return failed ? file_cannot_move : file_done;
}

FileResult write_whole_file(const char *path, const std::string &text) {
  FILE *file = fopen(path, "w");
  if (file == nullptr) return file_cannot_open;
  bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
  int saved_errno = errno;
  if (fclose(file) != 0 && written) {
    written = false;
    saved_errno = errno;
  }
  if (written) return file_done;
  remove_partial_output(path);
  errno = saved_errno;
  return file_cannot_move;
}

// The fault of one output, named by its path and errno.
static int report_file_fault(const char *tool, FileResult result, const char *path) {
  const char *what = result == file_cannot_open ? "create" : "write";
  return report_at(tool, 0, "cannot %s %s: %s", what, path, strerror(errno));
}

int write_generated_files(const char *tool, const char *source_path, const std::string &source, const char *header_path,
                          const std::string &header) {
  FileResult written = write_whole_file(source_path, source);
  if (written != file_done) return report_file_fault(tool, written, source_path);
  written = write_whole_file(header_path, header);
  if (written == file_done) return 0;
  report_file_fault(tool, written, header_path);
  remove_partial_output(source_path);
  return -1;
}

void remove_partial_output(const char *path) {
  int saved_errno = errno;
  struct stat info;
  if (stat(path, &info) == 0 && S_ISREG(info.st_mode)) remove(path);
  errno = saved_errno;
}
