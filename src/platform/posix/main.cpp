#include "platform/posix/posix_runtime.h"
#include "platform/startup.h"

int main(int argc, char** argv) {
  tavrel::platform::PosixRuntime runtime(argc, argv);
  return tavrel::platform::Run(runtime);
}
