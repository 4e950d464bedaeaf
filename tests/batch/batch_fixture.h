// Runs qrlx-batch on files written from UTF-8 text (stored as CP932 with CR LF line ends)
// and gives back its exit status, its output and the files it wrote, decoded to UTF-8.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "platform/codepage.h"
#include "tests/support/cp932_file.h"
#include "tests/support/temp_dir.h"

struct BatchRun {
    int exit = -1;
    std::string out;     // standard output (UTF-8)
    std::string err;     // standard error (UTF-8)
    std::string result;  // result file, decoded
    std::string log;     // warning log, decoded
};

class BatchTest : public testing::Test {
protected:
    // Writes both input files and runs the tool with `arguments` (default: the usual
    // four), where the names map.csv, drf.csv, result.csv and log.txt stand in the
    // test's directory.
    BatchRun Run(const std::string& map, const std::string& drf,
                 const std::string& arguments = "map.csv drf.csv result.csv --warnings log.txt") {
        dir.Write("map.csv", Cp932File(map));
        dir.Write("drf.csv", Cp932File(drf));
        return RunTool(arguments);
    }

    // With `prefixed`, `arguments` is the whole command, tool included.
    BatchRun RunTool(const std::string& arguments, bool prefixed = false) {
        std::string command = "cd '" + dir.Dir() + "' && " + (prefixed ? "" : "'" QRLX_BATCH "' ") +
                              arguments + " >stdout.txt 2>stderr.txt";
        BatchRun run;
        int status = std::system(command.c_str());
        run.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.out = TempDir::Read(dir.Path("stdout.txt"));
        run.err = TempDir::Read(dir.Path("stderr.txt"));
        run.result = codepage::Cp932ToUtf8(TempDir::Read(dir.Path("result.csv")));
        run.log = codepage::Cp932ToUtf8(TempDir::Read(dir.Path("log.txt")));
        return run;
    }

    TempDir dir;
};

inline const char* kMapTitles = "M_始点ノード名,M_終点ノード名,M_ノード間距離\n";
inline const char* kDrfTitles = "D_検索名称,D_始点ノード名,D_終点ノード名\n";
inline const char* kResultTitles =
    "R_検索結果,R_検索名称,R_始点ノード名,R_終点ノード名,R_距離,R_ノード数,R_N1,R_N2,R_N3,R_N4,R_"
    "N5\r\n";
