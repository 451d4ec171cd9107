// One run of a program's driver inside the fuzz target's process: the exit seam throws back
// to the caller instead of ending the process. Entry point: run_driver.
#ifndef FUZZ_RUN_DRIVER_H
#define FUZZ_RUN_DRIVER_H

// Runs `driver` on the command line `argv` (argc words, then a null), then `reset`, which must
// put back every module the driver uses and close what the run left open; returns the status
// the run ended with.
int run_driver_on(int (*driver)(int, char **), void (*reset)(), int argc, char **argv);

// run_driver_on with the command line "NAME -q INPUT OUTPUT", or "NAME -q OPTION INPUT OUTPUT"
// when `option` is not null.
int run_driver(int (*driver)(int, char **), void (*reset)(), const char *name, const char *option,
               const char *input_path, const char *output_path);

#endif
