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
#include "data/systemtext.h"
#include "data/tsltab.h"
#include "db/tsltabdb.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "platform/codepage.h"
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
    std::string database;  // with --db: the map, instructions and result are its tables
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
        } else if (std::strcmp(argv[i], "--db") == 0) {
            if (i + 1 >= argc || !arguments.database.empty() || argv[i + 1][0] == '\0') {
                return false;
            }
            arguments.database = argv[++i];
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
    return arguments.warnings.empty() || !arguments.database.empty() ||
           !SameFile(arguments.result, arguments.warnings);
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

// The map and instruction input and the result output: CSV files, or the tables of a
// database.
class Store {
public:
    explicit Store(const Arguments& arguments) : mArguments(arguments) {}

    // Opens the database, if one is named; else a message and the exit code.
    int Open() {
        if (mArguments.database.empty()) {
            return ecSuccess;
        }
        try {
            mDb = std::make_unique<tqDAODatabase>(mArguments.database);
        } catch (const tqDaoError& error) {
            std::fprintf(stderr, "データベース[%s]を開けません。(%s)\n",
                         mArguments.database.c_str(), error.what());
            return ecCannotRead;
        }
        return ecSuccess;
    }

    // What messages call the input or output `name`.
    std::string Shown(const std::string& name) const {
        return mDb ? mArguments.database + ":" + name : name;
    }

    // Reads the map (or the instructions) into the engine; the read code, or -1 after a
    // message that the database has no such table.
    int Read(const std::string& name, bool map) {
        if (!mDb) {
            return map ? RSIF::ReadMapFile(name) : RSIF::ReadDRFFile(name);
        }
        if (!HasTable(name)) {
            return -1;
        }
        const RSIF::TableLoader load = [&](TSLtabCL& table) {
            return TSLtabDbCL::LoadQueryInto(table, *mDb,
                                             "SELECT * FROM " + QuotedName(TableName(name)), true);
        };
        return map ? RSIF::ReadMapWith(load) : RSIF::ReadDRFWith(load);
    }

    // Writes the result file, or replaces the result table's rows (making the table when
    // there is none), all or nothing.
    bool Write(TSLtabDbCL& results) {
        if (!mDb) {
            return results.SaveCsvFile(mArguments.result);
        }
        try {
            mDb->BeginTrans();
            const bool written = MakeResultTable(results) &&
                                 results.ReplaceDbTable(*mDb, TableName(mArguments.result));
            if (written) {
                mDb->CommitTrans();
            } else {
                mDb->Rollback();
            }
            return written;
        } catch (const tqDaoError&) {
            try {
                mDb->Rollback();
            } catch (const tqDaoError&) {
            }
            return false;
        }
    }

private:
    // Table names come as the command line's UTF-8; the database layer takes CP932.
    static std::string TableName(const std::string& argument) {
        return codepage::Utf8ToCp932(argument);
    }

    bool HasTable(const std::string& name) {
        try {
            if (mDb->HasTable(TableName(name))) {
                return true;
            }
        } catch (const tqDaoError&) {
        }
        std::fprintf(stderr, "データベース[%s]にテーブル[%s]がありません。\n",
                     mArguments.database.c_str(), name.c_str());
        return false;
    }

    // The result table with the result titles; the counts and the distance are integers.
    bool MakeResultTable(TSLtabCL& results) {
        const std::string table = TableName(mArguments.result);
        if (mDb->HasTable(table)) {
            return true;
        }
        std::string columns;
        for (uint32_t col = 1; col <= results.GetColCount(); ++col) {
            const std::string title = results.GetTitle(col);
            const bool number = title == SystemText("R_検索結果") ||
                                title == SystemText("R_距離") || title == SystemText("R_ノード数");
            columns += (col > 1 ? ", " : "") + QuotedName(title) + (number ? " INTEGER" : " TEXT");
        }
        mDb->Execute("CREATE TABLE " + QuotedName(table) + " (" + columns + ")");
        return true;
    }

    const Arguments& mArguments;
    std::unique_ptr<tqDAODatabase> mDb;
};

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
    if (!store.Write(results)) {
        return Fail(ecCannotWrite, "検索結果ファイル[%s]の保存に失敗しました。",
                    store.Shown(arguments.result));
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
