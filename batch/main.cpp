// qrlx-batch: loads a map and a search-instruction file, searches every instruction and
// writes the result file (and, if asked, the warning log) exactly as the window does.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>
#include <optional>
#include <string>

#include "batch/arguments.h"
#include "batch/exitcode.h"
#include "batch/store.h"
#include "batch/terminalprogress.h"
#include "data/tsltab.h"
#include "db/tsltabdb.h"
#include "engine/readfailure.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "platform/filereason.h"
#include "platform/helperthreads.h"
#include "platform/standardstreams.h"
#include "platform/version.h"

namespace {

int Fail(ExitCode code, const char* format, const std::string& path = {}) {
    std::fprintf(stderr, format, path.c_str());
    std::fputc('\n', stderr);
    return code;
}

// The exit status of a failed read, with its message.
int ReadFailure(const RSIF::typReadOutcome& outcome, const std::string& shown,
                RSIF::FileKind kind) {
    std::fprintf(stderr, "%s\n", RSIF::ReadFailureMessage(outcome, shown, kind).c_str());
    switch (outcome.code) {
        case RSIF::rrTitleMissing:
            return ecTitleMissing;
        case RSIF::rrScratchFailed:
            return ecScratchFailed;
        default:
            return ecCannotRead;
    }
}

// Appends copies of every text of `from` to `to`.
void AppendCopies(const tqList<tqString>& from, tqList<tqString>& to) {
    to.Reserve(to.Count() + from.Count());
    for (int i = 0; i < from.Count(); ++i) {
        to.Add(std::make_unique<tqString>(from.Get(i) ? *from.Get(i) : tqString()));
    }
}

int SaveLog(const Arguments& arguments, const tqList<tqString>& warnings) {
    if (arguments.warnings.empty()) {
        return ecSuccess;
    }
    const FileFailure failure =
        RSIF::SaveWarningLog(OutputPath(arguments.warnings), warnings, arguments.encoding);
    if (failure) {
        std::fprintf(stderr, "%s\n",
                     RSIF::WriteFailureMessage(RSIF::okWarningLog, arguments.warnings,
                                               FileFailureReason(failure))
                         .c_str());
        return ecCannotWrite;
    }
    return ecSuccess;
}

// Loads the map; its warnings become the first of `warnings`. A map without a node ends the
// run, its log written: the warnings tell why no row was taken.
int LoadMapPhase(Store& store, const Arguments& arguments, tqList<tqString>& warnings) {
    std::optional<RSIF::typMapLoad> map = store.LoadMap(arguments.threads);
    if (!map) {
        return ecCannotRead;
    }
    if (map->code != RSIF::rrRead) {
        return ReadFailure(*map, store.Shown(arguments.map), RSIF::fkMap);
    }
    warnings = std::move(map->warnings);
    RSIF::GetDRFList().Clear();
    if (RSIF::GetNodes().GetCount() == 0) {
        const int logCode = SaveLog(arguments, warnings);
        Fail(ecNoNode, "マップファイルが読込まれていません。");
        return logCode != ecSuccess ? logCode : ecNoNode;
    }
    return ecSuccess;
}

// Loads the instructions, their warnings after the map's; a part keeps its slice of the
// accepted ones (the warnings stay whole).
int LoadInstructionsPhase(Store& store, const Arguments& arguments, tqList<tqString>& warnings) {
    const std::optional<RSIF::typReadOutcome> drf = store.ReadInstructions();
    if (!drf) {
        return ecCannotRead;
    }
    if (drf->code != RSIF::rrRead) {
        return ReadFailure(*drf, store.Shown(arguments.instructions), RSIF::fkInstructions);
    }
    tqList<tqString> instructionWarnings;
    if (!RSIF::MakeDRFList(instructionWarnings)) {
        return Fail(ecScratchFailed, "%s", RSIF::ScratchFailureMessage());
    }
    AppendCopies(instructionWarnings, warnings);
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    const PartSlice slice = SliceOf(list.Count(), arguments.part, arguments.parts);
    list.DeleteRange(slice.last, list.Count() - slice.last);  // the slice lies inside
    list.DeleteRange(0, slice.first);
    return ecSuccess;
}

// Searches every instruction and writes the results: the rows of the searches finished are
// filled, and where the output allows written, while the others are searched, so the last
// search leaves little to do. `successes` gets the number of routes found.
int SearchPhase(Store& store, const Arguments& arguments, ProgressDisplay* display,
                int& successes) {
    tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
    TSLtabDbCL results;
    RSIF::ResultFill fill(results, arguments.nodeRows ? RSIF::ResultFill::Layout::nodeRows
                                                      : RSIF::ResultFill::Layout::routeRows);
    const int code = store.BeginResults(results);
    if (code != ecSuccess) {
        return code;
    }
    int filled = 0;
    const auto fillAlong = [&](int finished) {
        if (store.WriteFailed()) {
            return;  // the run ends: the table need not grow
        }
        fill.AddRows(finished);
        // The table holds the routes now: their memory can serve the searches to come.
        for (; filled < finished && !store.ReadsRoutes(); ++filled) {
            list.Get(filled)->ReleaseRoute();
        }
        store.WriteAdded(results);
    };
    int searched = 0;
    {
        ProgressRun progress(display, list.Count());
        searched = RSIF::SearchAllDRF(
            arguments.threads,
            [&](int finished) {
                progress.Item(finished);
                return !store.WriteFailed();  // a result that cannot be written ends the run
            },
            {}, fillAlong);
    }
    successes = 0;
    for (int i = 0; i < searched; ++i) {
        successes += list.Get(i)->Failed ? 0 : 1;
    }
    if (!results.IsUsable()) {  // the cells of the rows filled could not all be kept
        return Fail(ecScratchFailed, "%s", RSIF::ScratchFailureMessage());
    }
    return store.Write(results);
}

// The counts, on standard output unless the result or the log is written there: that stream
// then stays the file alone.
int ReportCounts(const Arguments& arguments, int successes) {
    const bool streamTaken = (arguments.database.empty() && IsStandardOutput(arguments.result)) ||
                             (!arguments.warnings.empty() && IsStandardOutput(arguments.warnings));
    FILE* counts = streamTaken ? stderr : stdout;
    std::fprintf(counts, "ノード数: %d\n検索指示数: %d\n検索成功数: %d\n",
                 RSIF::GetNodes().GetCount(), RSIF::GetDRFList().Count(), successes);
    if (std::fflush(counts) != 0 || std::ferror(counts)) {
        return Fail(ecCannotWrite, "標準出力に書込めません。");
    }
    return ecSuccess;
}

int Run(const Arguments& arguments, ProgressDisplay* display) {
    Store store(arguments);
    tqList<tqString> warnings;
    int successes = 0;
    int code = store.Open();
    if (code == ecSuccess) {
        code = LoadMapPhase(store, arguments, warnings);
    }
    if (code == ecSuccess) {
        code = LoadInstructionsPhase(store, arguments, warnings);
    }
    if (code == ecSuccess) {
        code = SearchPhase(store, arguments, display, successes);
    }
    if (code == ecSuccess) {
        code = SaveLog(arguments, warnings);
    }
    if (code == ecSuccess) {
        code = ReportCounts(arguments, successes);
    }
    return code;
}

}  // namespace

int main(int argc, char** argv) {
    switch (InformationAsked(argc, argv)) {
        case Information::help:
            PrintUsage(stdout);
            return std::fflush(stdout) == 0 ? ecSuccess : ecCannotWrite;
        case Information::version:
            std::puts("qrlx-batch " QRLX_VERSION);
            return std::fflush(stdout) == 0 ? ecSuccess : ecCannotWrite;
        case Information::none:
            break;
    }
    const unsigned closed = standardstreams::OpenClosedOnDevNull();
    // A file over the size limit (ulimit -f) fails its write with EFBIG, which is said,
    // instead of ending the process without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    Arguments arguments;
    if (const std::string wrong = ParseArguments(argc, argv, arguments); !wrong.empty()) {
        std::fprintf(stderr, "qrlx-batch: %s\nTry 'qrlx-batch --help' for more information.\n",
                     wrong.c_str());
        return ecUsage;
    }
    if (const std::string clash = OutputClash(arguments); !clash.empty()) {
        std::fprintf(stderr, "%s\n", clash.c_str());
        return ecUsage;
    }
    if ((closed & (1u << STDOUT_FILENO)) != 0 &&
        ((arguments.database.empty() && arguments.result == kStandardStream) ||
         arguments.warnings == kStandardStream)) {
        return Fail(ecCannotWrite, "標準出力に書込めません。");
    }
    if (arguments.threads == 0) {
        arguments.threads = DefaultThreadCount();
    }
    TerminalProgress terminal;
    ProgressDisplay* display = ::isatty(STDERR_FILENO) ? &terminal : nullptr;
    RSIF::SetProgressDisplay(display);
    int code = ecSuccess;
    try {
        RSIF::CreateEngine();
        code = Run(arguments, display);
    } catch (const std::bad_alloc&) {
        code = Fail(ecOutOfMemory, "%s", RSIF::OutOfMemoryMessage().c_str());
    }
    RSIF::DestroyEngine();
    RSIF::SetProgressDisplay(nullptr);
    return code;
}
