#include "cli/jmz.h"

int main(int argc, char** argv) { return cli::RunJmz(std::vector<std::string>(argv + 1, argv + argc)); }
