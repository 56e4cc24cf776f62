#include "control/startup.h"
#include "platform/posix/posix_runtime.h"

int main(int argc, char** argv) {
  tavrel::platform::PosixRuntime runtime(argc, argv);
  return tavrel::control::Run(runtime);
}
