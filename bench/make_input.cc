// Writes benchmark inputs to standard output:
//   make_input infix MEGABYTES      random infix statements, comments and braces
//   make_input postfix MEGABYTES    random postfix statements of the kind postwright writes
//   make_input chain N left|right|not|infix
//     one postfix statement of N operands nested to the left (a b & c & ...), to the right
//     (a b c ... & &), or N "!" marks on one operand; "infix" gives a & b & ... for postwright.
// Output is deterministic (fixed seed), so runs compare.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

static std::mt19937 rng(12345);

static int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

static std::string operand() {
  static const char *const forms[] = {"a", "b1", "clk", "x(t-1)", "\\in 1\\", "0", "1", "t-1", "-", "data_bus(3,4)"};
  return forms[pick(10)];
}

// Random infix expression of `budget` operands, built without recursion.
static std::string infix_expr(int budget) {
  std::string e = operand();
  for (int i = 1; i < budget; i++) {
    std::string rhs = pick(4) == 0 ? "!" + operand() : operand();
    e = pick(3) == 0 ? "(" + e + " | " + rhs + ")" : e + (pick(2) ? " & " : " | ") + rhs;
  }
  return pick(5) == 0 ? "!(" + e + ")" : e;
}

static std::string postfix_expr(int budget) {
  std::string e = operand() + " ";
  for (int i = 1; i < budget; i++) e += operand() + (pick(2) ? " & " : " | ") + (pick(4) == 0 ? "! " : "");
  return e;
}

static void write_random(bool infix, long megabytes) {
  long target = megabytes * 1000 * 1000, written = 0;
  while (written < target) {
    std::string line;
    int kind = pick(20);
    if (kind == 0)
      line = "-- comment line " + std::to_string(written) + "\n";
    else if (kind == 1)
      line = pick(2) ? "{\n" : "}\n";
    else if (infix)
      line = "y" + std::to_string(pick(100)) + " = " + infix_expr(1 + pick(8)) + ";\n";
    else
      line = "y" + std::to_string(pick(100)) + " = " + postfix_expr(1 + pick(8)) + ";\n";
    fwrite(line.data(), 1, line.size(), stdout);
    written += static_cast<long>(line.size());
  }
}

static void write_chain(long n, const char *kind) {
  if (strcmp(kind, "infix") == 0) {
    fputs("y = a", stdout);
    for (long i = 1; i < n; i++) fputs(" & a", stdout);
  } else if (strcmp(kind, "left") == 0) {
    fputs("y = a", stdout);
    for (long i = 1; i < n; i++) fputs(" a &", stdout);
  } else if (strcmp(kind, "right") == 0) {
    fputs("y =", stdout);
    for (long i = 0; i < n; i++) fputs(" a", stdout);
    for (long i = 1; i < n; i++) fputs(" &", stdout);
  } else {
    fputs("y = a", stdout);
    for (long i = 0; i < n; i++) fputs(" !", stdout);
  }
  fputs(" ;\n", stdout);
}

int main(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], "infix") == 0)
    write_random(true, atol(argv[2]));
  else if (argc == 3 && strcmp(argv[1], "postfix") == 0)
    write_random(false, atol(argv[2]));
  else if (argc == 4 && strcmp(argv[1], "chain") == 0)
    write_chain(atol(argv[2]), argv[3]);
  else {
    fputs("usage: make_input infix|postfix MEGABYTES | chain N left|right|not|infix\n", stderr);
    return 1;
  }
  return 0;
}
