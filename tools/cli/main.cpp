// quelin3-tool: the command-line face of the same core as the window.
#include "cli_command.h"

int main(int argc, char** argv) { return q3cli::toolMain(argc, argv); }
