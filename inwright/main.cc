// The inwright program: its driver (driver.cc) does everything.
#include "driver.h"

int main(int argc, char **argv) { return inwright_main(argc, argv); }
