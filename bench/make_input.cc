// Writes benchmark inputs to standard output:
//   make_input infix MEGABYTES [--quoted]    random infix statements, comments and braces
//   make_input postfix MEGABYTES [--quoted]  random postfix statements of the kind postwright writes
//   make_input netlist MEGABYTES [--quoted]  infix statements shaped like a gate-level netlist
//   make_input chain N left|right|not|infix
//     one postfix statement of N operands nested to the left (a b & c & ...), to the right
//     (a b c ... & &), or N "!" marks on one operand; "infix" gives a & b & ... for postwright.
// --quoted writes every name between backslashes (\a\, \x\(t-1)) and changes nothing else: the
// same draws make the same statements, and MEGABYTES counts the bytes without the backslashes,
// so the quoted file holds the plain file's statements, name for name. Output is
// deterministic (fixed seed), so runs compare.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

static std::mt19937 rng(12345);

static bool quoted = false;   // --quoted: every name written between backslashes
static long quote_bytes = 0;  // backslashes that --quoted added to the text not yet written

static int pick(int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); }

// A name as the input writes it: the identifier, quoted or not, then its argument list.
static std::string name(const std::string &identifier, const char *arguments = "") {
  if (!quoted) return identifier + arguments;
  quote_bytes += 2;
  return "\\" + identifier + "\\" + arguments;
}

// The size of a text about to be written, without the backslashes that --quoted added to it.
static long plain_size(const std::string &text) { return static_cast<long>(text.size()) - quote_bytes; }

static std::string operand() {
  // A null identifier: a constant, or a name quoted either way (its blank is no identifier's).
  static const struct {
    const char *identifier, *rest;
  } forms[] = {{"a", ""},      {"b1", ""},     {"clk", ""},      {"x", "(t-1)"}, {nullptr, "\\in 1\\"},
               {nullptr, "0"}, {nullptr, "1"}, {nullptr, "t-1"}, {nullptr, "-"}, {"data_bus", "(3,4)"}};
  const auto &form = forms[pick(10)];
  return form.identifier != nullptr ? name(form.identifier, form.rest) : form.rest;
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
      line = name("y" + std::to_string(pick(100))) + " = " + infix_expr(1 + pick(8)) + ";\n";
    else
      line = name("y" + std::to_string(pick(100))) + " = " + postfix_expr(1 + pick(8)) + ";\n";
    fwrite(line.data(), 1, line.size(), stdout);
    written += plain_size(line);
    quote_bytes = 0;
  }
}

// A gate's name, 2 to 8 bytes, in the forms that netlist writers give: numbered gates, wires
// with a bit index, flip-flop outputs.
static std::string gate_name() {
  switch (pick(4)) {
    case 0:
    case 1:
      return "g" + std::to_string(1 + pick(9999));  // g1 .. g9999
    case 2:
      return "w" + std::to_string(pick(10000)) + "_" + std::to_string(pick(100));  // w0_0 .. w9999_99
    default:
      return "ff" + std::to_string(pick(1000)) + "q";  // ff0q .. ff999q
  }
}

// A gate's input: a name, one in ten a register's value of the step before, one in three negated.
static std::string literal() {
  std::string n = pick(10) == 0 ? name(gate_name(), "(t-1)") : name(gate_name());
  return pick(3) == 0 ? "!" + n : n;
}

// Terms joined by one operator the way netlist writers nest them, two to a pair of
// parentheses: a & (b & (c & d)).
static std::string nest_pairs(const std::vector<std::string> &terms, const char *op) {
  std::string e = terms.back();
  for (size_t i = terms.size() - 1; i-- > 0;) e = terms[i] + op + (i + 2 == terms.size() ? e : "(" + e + ")");
  return e;
}

static std::string product() {
  static const int widths[] = {1, 2, 2, 2, 3, 3, 4, 6};
  std::vector<std::string> literals(widths[pick(8)]);
  for (auto &l : literals) l = literal();
  return literals.size() == 1 ? literals[0] : "(" + nest_pairs(literals, " & ") + ")";
}

// A gate's function: mostly a sum of products, else a NAND or a buffer.
static std::string gate_function() {
  int kind = pick(10);
  if (kind == 0) {
    std::string a = literal();  // drawn apart: the operands of + are evaluated in no set order
    return "!(" + a + " & " + literal() + ")";
  }
  if (kind == 1) return literal();
  std::vector<std::string> products(1 + pick(5));
  for (auto &p : products) p = product();
  return nest_pairs(products, " | ");
}

// Modules of 20 to 299 gates, each in braces under a comment line naming it.
static void write_netlist(long megabytes) {
  long target = megabytes * 1000 * 1000, written = 0;
  for (int module = 1; written < target; module++) {
    std::string text = "-- module m" + std::to_string(module) + "\n{\n";
    for (int gates = 20 + pick(280); gates > 0 && written + plain_size(text) < target; gates--) {
      std::string target_name = name(gate_name());  // drawn before the function, as above
      text += target_name + " = " + gate_function() + ";\n";
    }
    text += "}\n";
    fwrite(text.data(), 1, text.size(), stdout);
    written += plain_size(text);
    quote_bytes = 0;
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
  if (argc == 4 && strcmp(argv[1], "chain") != 0 && strcmp(argv[3], "--quoted") == 0) {
    quoted = true;
    argc--;
  }
  if (argc == 3 && strcmp(argv[1], "infix") == 0)
    write_random(true, atol(argv[2]));
  else if (argc == 3 && strcmp(argv[1], "postfix") == 0)
    write_random(false, atol(argv[2]));
  else if (argc == 3 && strcmp(argv[1], "netlist") == 0)
    write_netlist(atol(argv[2]));
  else if (argc == 4 && strcmp(argv[1], "chain") == 0)
    write_chain(atol(argv[2]), argv[3]);
  else {
    fputs("usage: make_input infix|postfix|netlist MEGABYTES [--quoted] | chain N left|right|not|infix\n", stderr);
    return 1;
  }
  return 0;
}
