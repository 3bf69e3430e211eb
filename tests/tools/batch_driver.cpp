// `tavo batch` on its own, for the command-line checks until the tavo tool's
// main() dispatches to it.
#include <string_view>

#include "batch.h"

int main(int argc, char** argv) {
  if (argc < 2 || std::string_view(argv[1]) != "batch") return 2;
  return tavo::batch::RunBatchCommand(argc, argv);
}
