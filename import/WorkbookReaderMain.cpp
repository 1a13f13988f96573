// epinax-workbook-reader PATH: reads the first sheet of the workbook at PATH,
// confined, and writes the answer to standard output for the program that
// started it (import/Isolated.h). Not meant to be run by hand.
#include <unistd.h>

#include "import/Isolated.h"

int main(int argc, char** argv)
{
    if (argc != 2) return 2;
    // Nothing this program was handed besides its three standard streams.
    ::close_range(3, ~0U, 0);
    // Without the exit handlers: none is needed, and a leak check of a sanitized build would trace the process.
    ::_exit(epinax::RunWorkbookReader(argv[1]));
}
