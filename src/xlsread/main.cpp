// tessaly-xlsread FILE: reads the first worksheet of a .xls file and writes it,
// packed for the program, to its standard output. The program starts it for
// every .xls import, so the reader library runs in a process of its own: it is
// not safe beside threads, and a damaged file that makes it write outside its
// buffers costs only this process.
#include "participants/ListImport.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FILE.xls\n", argv[0]);
        return 2;
    }
    const std::string packed = tessaly::readXlsPacked(argv[1]);
    size_t at = 0;
    while (at < packed.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, packed.data() + at, packed.size() - at);
        if (n <= 0)
            return 1;
        at += static_cast<size_t>(n);
    }
    return 0;
}
