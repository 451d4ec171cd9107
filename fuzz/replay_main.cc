// Runs the fuzz target once over each file named on the command line, so that saved and
// found inputs replay as ordinary tests in any build, with the start-up libFuzzer would do.
#include <cstdint>
#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main(int argc, char **argv) {
  LLVMFuzzerInitialize(&argc, &argv);
  for (int i = 1; i < argc; i++) {
    FILE *f = fopen(argv[i], "rb");
    if (f == nullptr) {
      perror(argv[i]);
      return 1;
    }
    std::vector<uint8_t> bytes;
    for (int c; (c = getc(f)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
    fclose(f);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
  }
  fprintf(stderr, "replayed %d inputs\n", argc - 1);
  return 0;
}
