#include "cli/Commands.h"

int main(int argc, char** argv) { return epinax::cli::Run(argc, argv); }
