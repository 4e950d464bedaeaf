// The result grid's data rows, read from the instruction records when the grid asks for a
// cell: a record's search name, node names and route are never copied into the grid.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "data/tqlist.h"
#include "engine/routesrchinterface.h"
#include "platform/qt/gridcellstore.h"

// The marks of the result column: a found route, a further row of one, no route.
const char* SuccessMark();
const char* FurtherMark();
const char* FailureMark();

// The rows of an instruction list whose first `searched` records hold the results of a
// run: a searched record takes RSIF::RouteRowCount rows (result, search name, start, end,
// node count, distance, then five route names a row; its further rows marked in the first
// six columns), any other record one instruction row (search name, start, end). Column 0
// of each row holds its record as the object. The list and its records must stay
// unchanged while the grid reads the rows: work that changes them runs while the grid
// withholds its rows (tqGrid::WithholdRows; see mainfrm.h for who owns what).
class ResultRows final : public GridRowSource {
public:
    ResultRows(tqList<RSIF::typDRFInf>& list, int searched);

    int Rows() const override { return mRows; }
    const char* Text(int col, int row) const override;
    void* Object(int col, int row) const override;
    int Searched() const { return mSearched; }
    // The searched records that found a route.
    int Successes() const { return mSuccesses; }

private:
    // The record of a row and the row's number among the record's rows.
    std::pair<int, int> RecordOf(int row) const;

    tqList<RSIF::typDRFInf>& mList;
    int mSearched;
    int mRows = 0;
    int mSuccesses = 0;
    std::vector<int32_t> mFirstRows;  // of each searched record, then the end of theirs
    // The node count and the distance of each searched record that found a route, as
    // NUL-ended texts, one after the other from mNumberAt[record].
    std::string mNumbers;
    std::vector<uint32_t> mNumberAt;
};
