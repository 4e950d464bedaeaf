// Loads and saves a generated CSV file of 1,000,000 rows and 3 columns through the titled
// table and reports the time of each step and the peak memory of the process.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "data/tsltab.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

long PeakKilobytes() {
    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    auto dir = std::filesystem::temp_directory_path() / "qrlx-csv-bench";
    std::filesystem::create_directories(dir);
    const std::string input = (dir / "in.csv").string();
    const std::string output = (dir / "out.csv").string();
    {
        std::ofstream out(input, std::ios::binary);
        out << "M_from,M_to,M_distance\r\n";
        char line[64];
        for (long i = 0; i < rows; ++i) {
            int n = std::snprintf(line, sizeof line, "N%07ld,N%07ld,%ld\r\n", i, (i * 7919) % rows,
                                  1 + i % 997);
            out.write(line, n);
        }
    }
    std::printf("rows: %ld, file: %.1f MB\n", rows, std::filesystem::file_size(input) / 1048576.0);

    TSLtabCL table;
    auto start = std::chrono::steady_clock::now();
    if (!table.LoadCsvFile(input)) {
        std::fprintf(stderr, "load failed\n");
        return 1;
    }
    std::printf("load: %.2f s (%u rows, scratch store %.1f MB)\n", SecondsSince(start),
                table.GetRowCount(), table.textStore.total / 1048576.0);

    start = std::chrono::steady_clock::now();
    if (!table.SaveCsvFile(output)) {
        std::fprintf(stderr, "save failed\n");
        return 1;
    }
    std::printf(
        "save: %.2f s (identical: %s)\n", SecondsSince(start),
        std::filesystem::file_size(input) == std::filesystem::file_size(output) ? "yes" : "no");
    std::printf("peak memory: %.1f MB\n", PeakKilobytes() / 1024.0);
    std::filesystem::remove_all(dir);
    return 0;
}
