// postwright's driver as a function, so that a test or fuzz target can run in its own process
// exactly what the program runs (with end_process_hook set).
#ifndef POSTWRIGHT_DRIVER_H
#define POSTWRIGHT_DRIVER_H

// Runs postwright on the command line `argv`. Does not return: every path ends through
// end_process, which exits or calls the hook. Typed int so that main can return it.
int postwright_main(int argc, char **argv);

// Returns every module the driver uses to its state at program start, closing the files and
// releasing the memory that a run which ended early left behind: for tests and fuzz targets
// that run the driver several times in one process, after each run.
void postwright_reset();

#endif
