// inwright's driver as a function, so that a test or fuzz target can run in its own process
// exactly what the program runs (with end_process_hook set).
#ifndef INWRIGHT_DRIVER_H
#define INWRIGHT_DRIVER_H

// Runs inwright on the command line `argv`. Does not return: every path ends through
// end_process, which exits or calls the hook. Typed int so that main can return it.
int inwright_main(int argc, char **argv);

#endif
