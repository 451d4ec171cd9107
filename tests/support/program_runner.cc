// Process runner for end-to-end tests: fork, redirect, exec, wait, read back.
#include "program_runner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

std::string make_scratch_dir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "convtest.XXXXXX").string();
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  if (mkdtemp(buf.data()) == nullptr) abort();
  return std::string(buf.data());
}

void remove_scratch_dir(const std::string &dir) {
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
}

void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string read_file(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

bool file_exists(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

FILE *stream_holding(const std::string &bytes) {
  FILE *stream = tmpfile();
  fwrite(bytes.data(), 1, bytes.size(), stream);
  rewind(stream);
  return stream;
}

RunResult run_command(const std::string &exe, const std::vector<std::string> &args) {
  std::string dir = make_scratch_dir();
  std::string out_path = dir + "/stdout", err_path = dir + "/stderr";
  pid_t pid = fork();
  if (pid == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int err = open(err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, 0);
    dup2(out, 1);
    dup2(err, 2);
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(exe.c_str()));
    for (const std::string &a : args) argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  RunResult r;
  r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : 128 + WTERMSIG(wstatus);
  r.out = normalize_banners(read_file(out_path));
  r.err = normalize_banners(read_file(err_path));
  remove_scratch_dir(dir);
  return r;
}

RunResult run_conversion(const std::string &exe, const std::string &input, const std::vector<std::string> &options) {
  std::string dir = make_scratch_dir();
  write_file(dir + "/in", input);
  std::vector<std::string> args = options;
  args.insert(args.end(), {dir + "/in", dir + "/out"});
  RunResult r = run_command(exe, args);
  r.output_exists = file_exists(dir + "/out");
  if (r.output_exists) r.output = read_file(dir + "/out");
  remove_scratch_dir(dir);
  return r;
}

RunResult run_script(const std::string &script, const std::vector<std::pair<std::string, std::string>> &files,
                     const std::vector<std::string> &programs) {
  std::string dir = make_scratch_dir();
  for (const auto &[name, bytes] : files) write_file(dir + "/" + name, bytes);
  std::string path;
  for (const std::string &program : programs) path += std::filesystem::path(program).parent_path().string() + ":";
  RunResult r = run_command("/bin/sh", {"-c", "cd '" + dir + "' || exit 127\nPATH='" + path + "'\"$PATH\"\n" + script});
  r.output_exists = file_exists(dir + "/out");
  if (r.output_exists) r.output = read_file(dir + "/out");
  remove_scratch_dir(dir);
  return r;
}

std::string normalize_banners(const std::string &text) {
  static const std::regex start("Start obliczen: ([0-9]|1[0-9]|2[0-3]) : [1-5]?[0-9] : [1-5]?[0-9] : [1-9]?[0-9] \n");
  static const std::regex stop("Stop  obliczen: ([0-9]|1[0-9]|2[0-3]) : [1-5]?[0-9] : [1-5]?[0-9] : [1-9]?[0-9] \n");
  return std::regex_replace(std::regex_replace(text, start, "<start>\n"), stop, "<stop>\n");
}
