// The yardstick of the converter benchmark: copies one file to another with
// the system's file copy, as any tool would.
//
//   vdrc_bench_copy <from> <to>

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fputs("usage: vdrc_bench_copy <from> <to>\n", stderr);
        return 2;
    }
    if (!CopyFileW(argv[1], argv[2], FALSE)) {
        std::fprintf(stderr, "copy failed: error %lu\n", GetLastError());
        return 1;
    }
    return 0;
}
