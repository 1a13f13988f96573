// epinax-workbook-reader PATH: reads the first sheet of the workbook at PATH
// (or another sheet, or the sheets' names), confined, and writes the answer
// to standard output for the program that started it (import/Isolated.h).
// Not meant to be run by hand.
#include <unistd.h>

#include "import/Isolated.h"

int main(int argc, char** argv)
{
    // Nothing this program was handed besides its three standard streams.
    ::close_range(3, ~0U, 0);
    // Without the exit handlers: none is needed, and a leak check of a sanitized build would trace the process.
    ::_exit(epinax::RunWorkbookReader(argc, argv));
}
