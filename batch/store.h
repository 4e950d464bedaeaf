// Store: where qrlx-batch takes the map and the instructions from and puts the results —
// CSV files, or the tables of an SQLite database (--db).
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>

#include "batch/arguments.h"
#include "data/tsfilestream.h"
#include "db/tqdao.h"
#include "db/tsltabdb.h"
#include "engine/routesrchinterface.h"

// Every operation that gives an exit status has printed the message that goes with it.
class Store {
public:
    explicit Store(const Arguments& arguments) : mArguments(arguments) {}

    // Opens the database, if one is named, and checks the table names: each must be
    // Shift-JIS, and the result table none of the input tables. ecSuccess or the failure.
    int Open();

    // What messages call the input or output `name`.
    std::string Shown(const std::string& name) const;

    // Loads the map into the engine with `threads` threads (see RSIF::LoadMap); nothing
    // when the database has no such table or cannot be read.
    std::optional<RSIF::typMapLoad> LoadMap(int threads);
    // Reads the instructions into the engine's table (see RSIF::ReadDRF); nothing as for
    // LoadMap.
    std::optional<RSIF::typReadOutcome> ReadInstructions();

    // Starts the result file before its rows are filled, when it is a file replaced at the
    // end (not a pipe, a device, our own output or a database table): WriteAdded can then
    // write rows while the searches run. ecSuccess, or ecCannotWrite when the file cannot be
    // made (said).
    int BeginResults(TSLtabDbCL& results);
    // Writes the rows added to `results` since the last call into the file BeginResults
    // started (else nothing); one call at a time, on any thread. A failure is kept for Write.
    void WriteAdded(TSLtabDbCL& results);
    // Whether a write of WriteAdded failed.
    bool WriteFailed() const { return mWriteFailed; }
    // Whether Write reads the routes of the instruction list (to draw them into the database)
    // rather than only the result table.
    bool ReadsRoutes() const { return mDb != nullptr; }

    // Writes the result file (ending the one BeginResults started), or replaces the result
    // table's rows (making the table when there is none, and drawing the routes when the map
    // is a road layer), all or nothing. An existing table is replaced only when it has every
    // result column. ecSuccess or ecCannotWrite.
    int Write(TSLtabDbCL& results);

private:
    bool HasTable(const std::string& argument);
    // Where the rows of the input `argument` come from.
    RSIF::typSource Source(const std::string& argument);
    // Whether a read of the table `argument` that gave `code` failed in the database (said).
    bool Unreadable(const std::string& argument, int code);
    // What `read` gives for the rows of the input `argument`; nothing when the database has
    // no such table or it cannot be read (said).
    template <typename Read>
    auto ReadInput(const std::string& argument, const Read& read)
        -> std::optional<decltype(read(RSIF::typSource{}))>;
    // The result table, made when missing (`made`; registered when the database is a
    // GeoPackage); false, with nothing changed, when an existing one lacks a result column.
    bool PrepareResultTable(TSLtabCL& results, bool& made);
    // When the map is a GeoPackage road layer, draws each route into the result table: a
    // table made now becomes a line layer; an existing one is drawn into when it is one.
    bool DrawRoutes(bool madeTable);
    // The messages of a table that cannot be read (SQLite's `code`) and of a failed write.
    void TableUnreadable(const std::string& argument, int code) const;
    int WriteFailure(const std::string& reason) const;

    const Arguments& mArguments;
    std::unique_ptr<tqDAODatabase> mDb;
    std::string mResultTable;  // CP932, with --db
    // The result file BeginResults started, the lines written to it (the titles are line 0)
    // and why a write failed.
    TSFileStreamCL mResultFile;
    uint32_t mLinesWritten = 0;
    std::atomic<bool> mWriteFailed{false};
    std::string mWriteFailure;
};
