// Generates a square grid road network with two-way links of random lengths, its node
// names in shuffled order, and random search instructions; then times the map load, the
// instruction load and the search phase (the landmarks where they pay, and the searches)
// through the engine, and reports peak memory (the generating runs in a child process, so
// the figure is the engine's alone).
// Usage: network_bench [SIDE [SEARCHES [THREADS [negative-cycle|depots]]]]
//        network_bench --files MAP DRF [THREADS [hierarchy]]  (the phases on given files;
//        with "hierarchy", the hierarchy built on one thread before the searches, timed alone)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "platform/codepage.h"
#include "platform/helperthreads.h"

namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string NodeName(int id) { return "N" + std::to_string(id); }

// `starts` > 0 draws the searches' starts from that many nodes.
void Generate(int side, int searches, bool negativeCycle, int starts, const std::string& mapPath,
              const std::string& drfPath) {
    std::mt19937 random(42);

    // Node ids are shuffled so that names arrive in no particular order.
    std::vector<int> id(side * side);
    for (int i = 0; i < side * side; ++i) {
        id[i] = i;
    }
    std::shuffle(id.begin(), id.end(), random);
    std::vector<std::string> rows;
    std::uniform_int_distribution<int> length(1, 1000);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            int here = id[y * side + x];
            if (x + 1 < side) {
                int right = id[y * side + x + 1];
                rows.push_back(NodeName(here) + "," + NodeName(right) + "," +
                               std::to_string(length(random)));
                rows.push_back(NodeName(right) + "," + NodeName(here) + "," +
                               std::to_string(length(random)));
            }
            if (y + 1 < side) {
                int down = id[(y + 1) * side + x];
                rows.push_back(NodeName(here) + "," + NodeName(down) + "," +
                               std::to_string(length(random)));
                rows.push_back(NodeName(down) + "," + NodeName(here) + "," +
                               std::to_string(length(random)));
            }
        }
    }
    if (negativeCycle) {
        const int middle = id[(side / 2) * side + side / 2];
        rows.push_back(NodeName(middle) + ",CycleA,1");
        rows.push_back("CycleA,CycleB,-1000");
        rows.push_back("CycleB,CycleA,1");
        rows.push_back("CycleB," + NodeName(middle) + ",1");
    }
    std::shuffle(rows.begin(), rows.end(), random);
    {
        std::ofstream map(mapPath, std::ios::binary);
        map << codepage::Utf8ToCp932("M_始点ノード名,M_終点ノード名,M_ノード間距離\r\n");
        for (const std::string& row : rows) {
            map << row << "\r\n";
        }
        std::ofstream drf(drfPath, std::ios::binary);
        drf << codepage::Utf8ToCp932("D_検索名称,D_始点ノード名,D_終点ノード名\r\n");
        std::uniform_int_distribution<int> node(0, side * side - 1);
        std::vector<int> depots;
        for (int i = 0; i < starts; ++i) {
            depots.push_back(node(random));
        }
        for (int i = 0; i < searches; ++i) {
            const int from = depots.empty() ? node(random) : depots[i % depots.size()];
            drf << "S" << i << "," << NodeName(from) << "," << NodeName(node(random)) << "\r\n";
        }
    }
}

// Loads the map and the instructions through the engine and times each phase: the two
// loads, the preparation (the links laid out for searching, the landmarks where they pay;
// with `hierarchy`, the hierarchy built first) and the searches. Gives the process's exit
// status.
int TimePhases(const std::string& mapPath, const std::string& drfPath, int threads,
               bool hierarchy = false) {
    RSIF::CreateEngine();
    auto start = std::chrono::steady_clock::now();
    const RSIF::typMapLoad map = RSIF::LoadMap({mapPath, {}}, threads);
    if (map.code != RSIF::rrRead) {
        std::fprintf(stderr, "map load failed\n");
        return 1;
    }
    const double mapLoad = SecondsSince(start);
    std::printf("map load: %.2f s (%d nodes, %d warnings)\n", mapLoad, RSIF::GetNodes().GetCount(),
                map.warnings.Count());
    tqList<tqString> warnings;

    start = std::chrono::steady_clock::now();
    if (RSIF::ReadDRFFile(drfPath) != RSIF::rrRead) {
        std::fprintf(stderr, "instruction read failed\n");
        return 1;
    }
    if (!RSIF::MakeDRFList(warnings)) {
        std::fprintf(stderr, "instruction build failed\n");
        return 1;
    }
    const double load = mapLoad + SecondsSince(start);
    std::printf("instruction load: %.2f s (%d instructions)\n", SecondsSince(start),
                RSIF::GetDRFList().Count());

    start = std::chrono::steady_clock::now();
    if (hierarchy) {
        RSIF::GetNodes().SortLinks(threads);
        const bool built = RSIF::GetNodes().PrepareHierarchy({});
        std::printf("hierarchy: %.2f s%s\n", SecondsSince(start), built ? "" : " (none)");
    }
    double preparation = 0;
    RSIF::SearchAllDRF(
        threads, [](int) { return true; }, [&] { preparation = SecondsSince(start); });
    const double seconds = SecondsSince(start);
    int found = 0;
    for (int i = 0; i < RSIF::GetDRFList().Count(); ++i) {
        found += RSIF::GetDRFList().Get(i)->Failed ? 0 : 1;
    }
    std::printf(
        "search phase: %.3f s = preparation %.3f s + searches %.3f s (%.2f ms a search, "
        "%d found)\n",
        seconds, preparation, seconds - preparation,
        1000 * (seconds - preparation) / std::max(1, RSIF::GetDRFList().Count()), found);
    std::printf("phases: total %.3f s = load %.3f s + preparation %.3f s + searches %.3f s\n",
                load + seconds, load, preparation, seconds - preparation);

    struct rusage usage {};
    ::getrusage(RUSAGE_SELF, &usage);
    std::printf("peak memory: %.1f MB\n", usage.ru_maxrss / 1024.0);
    RSIF::DestroyEngine();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // network_bench --files MAP DRF [THREADS [hierarchy]]: the phases on files of one's own.
    if (argc > 3 && std::string(argv[1]) == "--files") {
        const int threads = argc > 4 ? std::max(1, std::atoi(argv[4])) : DefaultThreadCount();
        std::printf("%s, %s: %d thread%s\n", argv[2], argv[3], threads, threads == 1 ? "" : "s");
        return TimePhases(argv[2], argv[3], threads,
                          argc > 5 && std::string(argv[5]) == "hierarchy");
    }
    const int side = argc > 1 ? std::atoi(argv[1]) : 300;
    const int searches = argc > 2 ? std::atoi(argv[2]) : 200;
    const int threads = argc > 3 ? std::max(1, std::atoi(argv[3])) : DefaultThreadCount();
    // With a fourth argument "negative-cycle", a cycle of negative length hangs off the
    // middle of the grid, so that every search runs into it; with "depots", the searches
    // start from ten nodes only.
    const bool negativeCycle = argc > 4 && std::string(argv[4]) == "negative-cycle";
    const int starts = argc > 4 && std::string(argv[4]) == "depots" ? 10 : 0;
    auto dir = std::filesystem::temp_directory_path() /
               ("qrlx-network-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string mapPath = (dir / "map.csv").string();
    const std::string drfPath = (dir / "drf.csv").string();
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child == 0) {
        Generate(side, searches, negativeCycle, starts, mapPath, drfPath);
        std::_Exit(0);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || status != 0) {
        std::fprintf(stderr, "generating the network failed\n");
        return 1;
    }
    std::printf("grid %d x %d%s: %d nodes, %d searches, %d thread%s\n", side, side,
                negativeCycle ? " with a negative cycle" : "", side * side, searches, threads,
                threads == 1 ? "" : "s");
    const int code = TimePhases(mapPath, drfPath, threads);
    std::filesystem::remove_all(dir);
    return code;
}
