// qrlx-batch: loads a map and a search-instruction file, searches every instruction and
// writes the result file (and, if asked, the warning log) exactly as the window does.
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "batch/terminalprogress.h"
#include "data/tsltab.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "platform/version.h"

namespace {

enum ExitCode {
    ecSuccess = 0,
    ecUsage = 2,
    ecCannotRead = 3,
    ecTitleMissing = 4,
    ecNoNode = 5,
    ecCannotWrite = 6,
    ecScratchFailed = 7,
    ecOutOfMemory = 8,
};

struct Arguments {
    std::string map;
    std::string instructions;
    std::string result;
    std::string warnings;  // empty: no warning log
    int threads = RSIF::DefaultThreadCount();
};

// A whole number from 1 to 1024, or 0.
int ParseThreadCount(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return *text >= '1' && *text <= '9' && *end == '\0' && value <= 1024 ? static_cast<int>(value)
                                                                         : 0;
}

// Whether two output paths name the same file: the same file when both exist, else the
// same path once made absolute.
bool SameFile(const std::string& a, const std::string& b) {
    struct stat first {};
    struct stat second {};
    if (::stat(a.c_str(), &first) == 0 && ::stat(b.c_str(), &second) == 0) {
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    }
    std::error_code error;
    return std::filesystem::weakly_canonical(std::filesystem::absolute(a, error), error) ==
           std::filesystem::weakly_canonical(std::filesystem::absolute(b, error), error);
}

bool ParseArguments(int argc, char** argv, Arguments& arguments) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--warnings") == 0) {
            if (i + 1 >= argc || !arguments.warnings.empty() || argv[i + 1][0] == '\0') {
                return false;
            }
            arguments.warnings = argv[++i];
        } else if (std::strcmp(argv[i], "--threads") == 0) {
            if (i + 1 >= argc || (arguments.threads = ParseThreadCount(argv[++i])) == 0) {
                return false;
            }
        } else if (std::strncmp(argv[i], "--", 2) == 0 || argv[i][0] == '\0') {
            return false;
        } else {
            positional.push_back(argv[i]);
        }
    }
    if (positional.size() != 3) {
        return false;
    }
    arguments.map = positional[0];
    arguments.instructions = positional[1];
    arguments.result = positional[2];
    return arguments.warnings.empty() || !SameFile(arguments.result, arguments.warnings);
}

int Fail(ExitCode code, const char* format, const std::string& path = {}) {
    std::fprintf(stderr, format, path.c_str());
    std::fputc('\n', stderr);
    return code;
}

// The scratch files behind the tables failed: the temporary folder is to blame.
int ScratchFailure() {
    return Fail(ecScratchFailed, "一時フォルダ[%s]の作業ファイルを作成または読み書きできません。",
                RSIF::ScratchFolder());
}

// Turns a file read's result into an exit code, with the window's message.
int CheckRead(int code, const std::string& path, const char* formatMessage) {
    if (code == RSIF::rrCannotRead) {
        return Fail(ecCannotRead, "指定されたファイル[%s]は存在しません。", path);
    }
    if (code == RSIF::rrTitleMissing) {
        return Fail(ecTitleMissing, formatMessage, path);
    }
    if (code == RSIF::rrScratchFailed) {
        return ScratchFailure();
    }
    if (code == RSIF::rrTooLarge) {
        return Fail(ecCannotRead, "指定されたファイル[%s]は大きすぎて読込めません。", path);
    }
    if (code == RSIF::rrNotCp932) {
        const TSLtabCL::TextPlaceCL place = RSIF::UnconvertiblePlace();
        std::fprintf(
            stderr,
            "指定されたファイル[%s]の[%04u]行%u列目に、Shift-JISで表せない文字があります。\n",
            path.c_str(), place.Row, place.Column);
        return ecCannotRead;
    }
    return ecSuccess;
}

// Appends copies of every text of `from` to `to`.
void AppendCopies(const tqList<tqString>& from, tqList<tqString>& to) {
    for (int i = 0; i < from.Count(); ++i) {
        to.Add(std::make_unique<tqString>(from.Get(i) ? *from.Get(i) : tqString()));
    }
}

int SaveLog(const Arguments& arguments, const tqList<tqString>& warnings) {
    if (!arguments.warnings.empty() && !RSIF::SaveWarningLog(arguments.warnings, warnings)) {
        return Fail(ecCannotWrite, "警告ログファイル[%s]の保存に失敗しました。",
                    arguments.warnings);
    }
    return ecSuccess;
}

int Run(const Arguments& arguments, ProgressDisplay* display) {
    tqList<tqString> warnings;
    int code = CheckRead(RSIF::ReadMapFile(arguments.map), arguments.map,
                         "指定されたファイル[%s]はＭＡＰファイルのフォーマットと適合しません。");
    if (code != ecSuccess) {
        return code;
    }
    if (!RSIF::MakeMapNodes(warnings)) {
        return ScratchFailure();
    }
    RSIF::GetDRFList().Clear();
    if (RSIF::GetNodes().GetCount() == 0) {
        int logCode = SaveLog(arguments, warnings);  // the warnings tell why no row was taken
        Fail(ecNoNode, "マップファイルが読込まれていません。");
        return logCode != ecSuccess ? logCode : ecNoNode;
    }

    code = CheckRead(RSIF::ReadDRFFile(arguments.instructions), arguments.instructions,
                     "指定されたファイル[%s]は検索指示ファイルのフォーマットと適合しません。");
    if (code != ecSuccess) {
        return code;
    }
    tqList<tqString> instructionWarnings;
    if (!RSIF::MakeDRFList(instructionWarnings)) {
        return ScratchFailure();
    }
    AppendCopies(instructionWarnings, warnings);

    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    {
        ProgressRun progress(display, list.Count());
        RSIF::SearchAllDRF(arguments.threads, [&](int finished) {
            progress.Item(finished);
            return true;
        });
    }
    int successes = 0;
    for (int i = 0; i < list.Count(); ++i) {
        successes += list.Get(i)->Failed ? 0 : 1;
    }

    TSLtabCL results;
    RSIF::FillResultTable(results);
    if (!results.SaveCsvFile(arguments.result)) {
        return Fail(ecCannotWrite, "検索結果ファイル[%s]の保存に失敗しました。", arguments.result);
    }
    code = SaveLog(arguments, warnings);
    if (code != ecSuccess) {
        return code;
    }
    std::printf("ノード数: %d\n検索指示数: %d\n検索成功数: %d\n", RSIF::GetNodes().GetCount(),
                list.Count(), successes);
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        return Fail(ecCannotWrite, "標準出力に書込めません。");
    }
    return ecSuccess;
}

void PrintUsage(FILE* to) {
    std::fputs(
        "usage: qrlx-batch MAP_CSV INSTRUCTION_CSV RESULT_CSV [--warnings LOG_TXT]\n"
        "                  [--threads N]\n"
        "       qrlx-batch --help | --version\n"
        "  Finds the shortest route of every search instruction and writes the results.\n"
        "  --warnings LOG_TXT  also writes the warning log (the rejected rows)\n"
        "  --threads N         searches on N threads (1 to 1024; default: one per core); the\n"
        "                      result file is the same whatever N\n"
        "  The result and the log must be two files. Files are Shift-JIS (CP932); a map or\n"
        "  instruction file that starts with a UTF-8 byte-order mark is read as UTF-8.\n"
        "  Exit status: 0 done, 2 wrong usage, 3 a file cannot be read, is empty, too large\n"
        "  or holds a character Shift-JIS cannot, 4 a column title is missing, 5 the map has\n"
        "  no node, 6 a file cannot be written, 7 the scratch files in the temporary folder\n"
        "  ($TMPDIR) cannot be made or used, 8 not enough memory.\n"
        "  See qrlx-batch(1).\n",
        to);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        PrintUsage(stdout);
        return std::fflush(stdout) == 0 ? ecSuccess : ecCannotWrite;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("qrlx-batch " QRLX_VERSION);
        return std::fflush(stdout) == 0 ? ecSuccess : ecCannotWrite;
    }
    // The search threads allocate little (their results); in the one shared arena they
    // reuse what the loads freed instead of each growing an arena of its own.
    ::mallopt(M_ARENA_MAX, 1);
    Arguments arguments;
    if (!ParseArguments(argc, argv, arguments)) {
        PrintUsage(stderr);
        return ecUsage;
    }
    TerminalProgress terminal;
    ProgressDisplay* display = ::isatty(STDERR_FILENO) ? &terminal : nullptr;
    RSIF::SetProgressDisplay(display);
    int code = ecSuccess;
    try {
        RSIF::CreateEngine();
        code = Run(arguments, display);
    } catch (const std::bad_alloc&) {
        code = Fail(ecOutOfMemory, "メモリが不足しています。");
    }
    RSIF::DestroyEngine();
    RSIF::SetProgressDisplay(nullptr);
    return code;
}
