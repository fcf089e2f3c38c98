// gorblet: prints a readable dump of each class file named on its command line.
#include "dump_driver.h"

int main(int argc, char** argv) {
  return dumpMain(argc, argv);
}
