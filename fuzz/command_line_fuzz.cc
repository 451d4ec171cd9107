// Fuzz target: postwright's command line, run in process through the driver. The fuzzer's
// bytes, split at NUL bytes, are the arguments (at most MAX_ARGUMENTS). Options, "-" and
// "--" are passed as they are, so every spelling of an option, abbreviation, value and
// misspelling reaches the parser the drivers share; a word the driver would take as a file
// name is replaced by one of a few scratch paths chosen by its first byte, so that a run
// never touches a file outside the scratch directory. Standard input is the valid input
// file. Besides the sanitizers' checks, the file a run reads must come out of it as it went
// in: no combination of arguments may write over the input.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "driver.h"
#include "harness.h"
#include "run_driver.h"

namespace {

constexpr size_t MAX_ARGUMENTS = 8;
constexpr char VALID_INPUT[] = "a = b & !(c | d);\n";
constexpr char FAULTY_INPUT[] = "a = b & ;\n# c = d;\n";

struct Files {
  std::string valid = scratch_path("valid.infix");
  std::string faulty = scratch_path("faulty.infix");
  std::string output = scratch_path("out.postfix");
  std::string missing = scratch_path("no-such-directory/out.postfix");
  std::string directory = scratch_path("");
};

const Files &files() {
  static const Files made;
  return made;
}

// The scratch path that stands for the file name `word`.
const std::string &file_for(const std::string &word) {
  const std::string *choices[] = {&files().valid, &files().faulty, &files().output, &files().missing,
                                  &files().directory};
  unsigned char first = word.empty() ? 0 : static_cast<unsigned char>(word[0]);
  return *choices[first % (sizeof choices / sizeof choices[0])];
}

struct Arguments {
  std::vector<std::string> words;  // after the program name, file names replaced
  std::string input;               // the first file name: the file the run reads; "-" is standard input
};

// The arguments in `data`, with the words that the driver would read as file names replaced.
Arguments arguments_of(const uint8_t *data, size_t size) {
  std::vector<std::string> words;
  const char *text = reinterpret_cast<const char *>(data);
  for (size_t start = 0; start <= size && words.size() < MAX_ARGUMENTS;) {
    const void *nul = memchr(text + start, '\0', size - start);
    size_t end = nul != nullptr ? static_cast<size_t>(static_cast<const char *>(nul) - text) : size;
    words.emplace_back(text + start, end - start);
    start = end + 1;
  }
  Arguments arguments;
  bool options_ended = false;
  for (std::string &word : words) {
    bool is_option = !options_ended && word.size() > 1 && word[0] == '-';
    if (is_option && word == "--") options_ended = true;
    if (is_option) continue;
    if (word != "-") word = file_for(word);
    if (arguments.input.empty()) arguments.input = word;
  }
  arguments.words = std::move(words);
  return arguments;
}

// Fails unless the input of the run, when it is one of the two input files, is as it was.
void check_input_kept(const Arguments &arguments) {
  const Files &paths = files();
  bool reads_valid = arguments.input == paths.valid || arguments.input == "-";
  const char *expected = reads_valid ? VALID_INPUT : arguments.input == paths.faulty ? FAULTY_INPUT : nullptr;
  if (expected == nullptr || read_scratch_file(reads_valid ? paths.valid : paths.faulty) == expected) return;
  std::string line = "postwright";
  for (const std::string &word : arguments.words) line += " '" + word + "'";
  property_failed("no command line writes over its input", line);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const Files &paths = files();
  write_scratch_file(paths.valid, reinterpret_cast<const uint8_t *>(VALID_INPUT), strlen(VALID_INPUT));
  write_scratch_file(paths.faulty, reinterpret_cast<const uint8_t *>(FAULTY_INPUT), strlen(FAULTY_INPUT));
  int input = open(paths.valid.c_str(), O_RDONLY);
  if (input == -1 || dup2(input, STDIN_FILENO) == -1) abort();
  close(input);

  Arguments arguments = arguments_of(data, size);
  std::vector<char *> argv = {const_cast<char *>("postwright")};
  for (std::string &word : arguments.words) argv.push_back(word.data());
  argv.push_back(nullptr);
  checked_status("postwright",
                 run_driver_on(postwright_main, postwright_reset, static_cast<int>(argv.size() - 1), argv.data()));
  check_input_kept(arguments);
  return 0;
}
