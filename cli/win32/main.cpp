#include "cli/jmz.h"
#include "platform/win32/wide.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(platform::Narrow(argv[i]));
  return cli::RunJmz(args);
}
