// The console compiler.
#include "driver/startup.h"

int main(int argc, char** argv) {
  consoleMain(argc, argv);
}
