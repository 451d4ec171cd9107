// The Boolean meaning of programs for the round-trip fuzz target: generate_program builds
// from the fuzzer's bytes a valid infix program over a fixed set of operand texts, and
// statement_values evaluates every statement of a text in that program's operands, in infix
// (with NOT above AND above OR) or in postfix (with a stack), under one assignment of the
// operands. Both evaluators are written here from the notations alone, independent of the
// programs they check, and neither recurses.
#ifndef FUZZ_MEANING_H
#define FUZZ_MEANING_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

enum Notation { NOTATION_INFIX, NOTATION_POSTFIX };

// A program of assignments, comment lines and blanks; every expression is well formed and
// nests only a few levels deep, so postwright must accept it.
std::string generate_program(const uint8_t *data, size_t size);

// The assignments under which the statements are compared, at most 32: operand number i is
// true when bit i is set.
std::vector<uint32_t> operand_assignments(const uint8_t *data, size_t size);

// The values of each statement of `text`, in order, under all of `assignments` at once: bit k
// of a statement's word is its value with operand i true when bit i of assignments[k] is set.
// False when the text does not read as `notation` over the generated operands (`where` then
// says at which byte and why).
bool statement_values(const std::string &text, Notation notation, const std::vector<uint32_t> &assignments,
                      std::vector<uint32_t> *values, std::string *where);

#endif
