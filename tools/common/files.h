// Whole files in and out for the generators: an input read at once, and an output written
// whole or not at all, so that the build never takes a truncated table file for an up-to-date
// one. Entry points: read_whole_file, write_whole_file, write_generated_files,
// remove_partial_output.
#ifndef TOOLS_COMMON_FILES_H
#define TOOLS_COMMON_FILES_H

#include <string>

enum FileResult {
  file_done = 0,         // the whole file was read or written
  file_cannot_open = 1,  // the file could not be opened (read) or created (write)
  file_cannot_move = 2,  // reading, writing or closing it failed part way
};

// Appends the contents of `path` to *text. On failure errno says why.
FileResult read_whole_file(const char *path, std::string *text);

// Writes `text` to `path`; done only once the file has closed cleanly. On failure the partial
// file is removed and errno says why.
FileResult write_whole_file(const char *path, const std::string &text);

// Writes a generator's two outputs, the tables' source and their header, both whole or neither:
// a build must never take a truncated file, or a source without its header, for an up-to-date
// one. 0, or -1 with the fault reported under the name of `tool`.
int write_generated_files(const char *tool, const char *source_path, const std::string &source, const char *header_path,
                          const std::string &header);

// Removes `path` when it is a regular file: an output named /dev/full must fail without taking
// the device with it. Leaves errno as it was.
void remove_partial_output(const char *path);

#endif
