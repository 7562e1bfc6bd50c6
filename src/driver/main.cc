#include "driver/driver.h"

int main(int argc, char** argv) { return runTorvane(argc, argv); }
