#include "driver/driver.h"

int main(int argc, char** argv) { return torvane::runTorvane(argc, argv); }
