// The files the engine's results are saved in: the result table and the warning log.
#pragma once

#include <string>

#include "data/tqlist.h"
#include "data/tqstring.h"
#include "data/tsltab.h"
#include "engine/progress.h"
#include "engine/routesrchinterface.h"
#include "platform/codepage.h"
#include "platform/filereason.h"

namespace RSIF {

// Route names shown or saved on one row.
constexpr int kRouteNamesPerRow = 5;

// Rows an instruction takes in the result grid and the result file: 1 when its search
// failed, else one per five route names.
int RouteRowCount(const typDRFInf& record);

// Fills `table` (expected empty) with the result titles and one or more rows per
// instruction of the list, in list order.
void FillResultTable(TSLtabCL& table);

// Fills `table` (expected empty) with one row per node of each instruction's route, in
// list and route order: search name, result (1 or 0), start, end, the node's step from 1,
// its name, and the distance from the start to it along the route; a failed search gives
// one row with the last three empty.
void FillNodeRowsTable(TSLtabCL& table);

// What those two fill, a part of the list at a time: the titles at once, then the rows of
// the instructions from the first up to a number, so that the rows of searches finished can
// be filled (and saved) while others are still searched.
class ResultFill {
public:
    enum class Layout { routeRows, nodeRows };

    // Writes the layout's titles into `table` (expected empty).
    ResultFill(TSLtabCL& table, Layout layout);
    // Adds the rows of the instructions not added yet, up to instruction `end` (excluded),
    // telling `progress` of each.
    void AddRows(int end, ProgressRun* progress = nullptr);
    // The table's rows were written and cleared (its titles kept): the next instruction's
    // rows start on row 1 again.
    void RowsCleared() { mRow = 1; }

private:
    void AddRouteRows(const typDRFInf& record);
    void AddNodeRows(const typDRFInf& record);

    TSLtabCL& mTable;
    const Layout mLayout;
    uint32_t mResultColumn = 0;
    uint32_t mNameColumn = 0;
    uint32_t mStartColumn = 0;
    uint32_t mEndColumn = 0;
    uint32_t mDistanceColumn = 0;
    uint32_t mCountColumn = 0;
    int mNext = 0;      // the first instruction whose rows are not added
    uint32_t mRow = 1;  // the table row they start on
};

// Writes the result file of the whole list (FillResultTable's table, in `encoding`) to
// `path`, filling and writing the rows of a few thousand instructions at a time, so that no
// copy of every route is held beside the records. The old file is replaced only when
// everything was written; why it was not, or nothing.
[[nodiscard]] FileFailure SaveResultFile(const std::string& path, codepage::TextEncoding encoding);

// Writes the warnings as received (CP932, or converted to `encoding`), each followed by
// CR LF; no warnings give an empty file. The old file is replaced only when everything was
// written; why it was not, or nothing.
[[nodiscard]] FileFailure SaveWarningLog(
    const std::string& path, const tqList<tqString>& warnings,
    codepage::TextEncoding encoding = codepage::TextEncoding::cp932);

}  // namespace RSIF
