// Byte equivalence classes of the patterns, and the meta classes of template rows. Entry
// point: compute_byte_classes(), over the byte sets of an NFA.
#ifndef SCANGEN_BYTE_CLASSES_H
#define SCANGEN_BYTE_CLASSES_H

#include <vector>

#include "regex_nfa.h"

constexpr int END_OF_BUFFER_CLASS = 0;  // the class a NUL byte has in the emitted class table
constexpr int NUL_BYTE = 0;             // the byte that doubles as the end-of-buffer symbol

struct ByteClasses {
  int class_of[BYTE_COUNT];     // byte -> class 1..C as the patterns see it (NUL included)
  std::vector<int> first_byte;  // class 1..C -> its lowest byte, which stands for the class
  int class_count;              // C
  int nul_class;                // class of the NUL byte as the patterns see it: always 1
  std::vector<int> meta;        // class 0..C -> meta class; the identity (no template rows)
};

// Partitions the bytes so that every byte set of `nfa` is a union of classes, and numbers
// the classes 1..C in the order of their lowest byte.
ByteClasses compute_byte_classes(const Nfa &nfa);

#endif
