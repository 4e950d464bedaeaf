// qrlx-batch: loads a map and a search-instruction file, searches every instruction and
// writes the result file (and, if asked, the warning log) exactly as the window does.
#include <malloc.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "batch/arguments.h"
#include "batch/exitcode.h"
#include "batch/failurereason.h"
#include "batch/store.h"
#include "batch/terminalprogress.h"
#include "data/tsltab.h"
#include "db/tsltabdb.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "platform/version.h"

namespace {

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
    errno = 0;
    if (!arguments.warnings.empty() && !RSIF::SaveWarningLog(arguments.warnings, warnings)) {
        const std::string reason = FileFailureReason(errno);
        std::fprintf(stderr, "警告ログファイル[%s]の保存に失敗しました。%s%s%s\n",
                     arguments.warnings.c_str(), reason.empty() ? "" : "(", reason.c_str(),
                     reason.empty() ? "" : ")");
        return ecCannotWrite;
    }
    return ecSuccess;
}

int Run(const Arguments& arguments, ProgressDisplay* display) {
    tqList<tqString> warnings;
    Store store(arguments);
    int code = store.Open();
    if (code != ecSuccess) {
        return code;
    }
    const int mapRead = store.Read(arguments.map, true);
    if (mapRead < 0) {
        return ecCannotRead;
    }
    code = CheckRead(mapRead, store.Shown(arguments.map),
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

    const int drfRead = store.Read(arguments.instructions, false);
    if (drfRead < 0) {
        return ecCannotRead;
    }
    code = CheckRead(drfRead, store.Shown(arguments.instructions),
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

    TSLtabDbCL results;
    RSIF::FillResultTable(results);
    code = store.Write(results);
    if (code != ecSuccess) {
        return code;
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
        "       qrlx-batch --db SQLITE_FILE MAP_TABLE INSTRUCTION_TABLE RESULT_TABLE\n"
        "                  [--warnings LOG_TXT] [--threads N]\n"
        "       qrlx-batch --help | --version\n"
        "  Finds the shortest route of every search instruction and writes the results.\n"
        "  --db SQLITE_FILE    reads the map and the instructions from tables of an SQLite\n"
        "                      database and replaces the rows of its result table (made\n"
        "                      when missing), all or nothing\n"
        "  --warnings LOG_TXT  also writes the warning log (the rejected rows)\n"
        "  --threads N         searches on N threads (1 to 1024; default: one per core); the\n"
        "                      result file is the same whatever N\n"
        "  No output may be an input, the database or the other output (also through\n"
        "  links), nor may the result table be an input table. A result file or table that\n"
        "  exists is replaced only when it may be written (a table: with every result\n"
        "  column). Files are Shift-JIS (CP932); a map or instruction file that starts with\n"
        "  a UTF-8 byte-order mark is read as UTF-8.\n"
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
    if (const std::string clash = OutputClash(arguments); !clash.empty()) {
        std::fprintf(stderr, "%s\n", clash.c_str());
        return ecUsage;
    }
    if (arguments.threads == 0) {
        arguments.threads = RSIF::DefaultThreadCount();
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
