#!/bin/sh
# Makes a second program linkable beside the first in one executable: links the given
# objects and archives into one object and renames each global symbol it defines to
# PREFIX + name, except KEEP, the copy's entry points (names separated by commas). Both programs define the same globals
# (the scanner's tables and state, the rule actions, the shared modules of core), so without
# the prefix one program would run on the other's tables. Type information (weak objects)
# keeps its names: both copies mean the same types by it.
# Usage: copy_program.sh LD NM OBJCOPY OUTPUT PREFIX KEEP INPUT...
set -eu
ld=$1 nm=$2 objcopy=$3 output=$4 prefix=$5 keep=$6
shift 6
"$ld" -r -o "$output.linked" --whole-archive "$@"
# Objects built for link-time optimisation carry its form of the code beside the machine
# code; the renaming works on machine code only, so the copy keeps that alone.
"$objcopy" --wildcard --remove-section='.gnu.lto_*' --remove-section='.gnu.debuglto_*' "$output.linked"
"$nm" -g --defined-only "$output.linked" |
  awk -v prefix="$prefix" -v keep=",$keep," '$2 != "V" && index(keep, "," $3 ",") == 0 { print $3, prefix $3 }' \
    >"$output.names"
"$objcopy" --redefine-syms="$output.names" "$output.linked" "$output"
rm -f "$output.linked" "$output.names"
