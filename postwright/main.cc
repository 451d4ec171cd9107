// The postwright program: its driver (driver.cc) does everything.
#include "driver.h"

int main(int argc, char **argv) { return postwright_main(argc, argv); }
