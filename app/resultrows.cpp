#include "app/resultrows.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>

#include "data/systemtext.h"
#include "engine/resultfile.h"
#include "grid/resultgrid.h"

const char* SuccessMark() { return SystemText("○"); }
const char* FurtherMark() { return SystemText("↓"); }
const char* FailureMark() { return SystemText("×"); }

ResultRows::ResultRows(tqList<RSIF::typDRFInf>& list, int searched)
    : mList(list), mSearched(searched) {
    mFirstRows.reserve(searched + 1);
    mNumberAt.reserve(searched);
    for (int i = 0; i < searched; ++i) {
        const RSIF::typDRFInf& record = *list.Get(i);
        mFirstRows.push_back(mRows);
        mRows += RSIF::RouteRowCount(record);
        mNumberAt.push_back(static_cast<uint32_t>(mNumbers.size()));
        if (!record.Failed) {
            ++mSuccesses;
            char numbers[48];
            const int length = std::snprintf(numbers, sizeof numbers, "%d%c%" PRId64,
                                             record.RouteNames.Count(), '\0', record.Distance);
            mNumbers.append(numbers, length + 1);
        }
    }
    mFirstRows.push_back(mRows);
    mRows += list.Count() - searched;
}

std::pair<int, int> ResultRows::RecordOf(int row) const {
    const int searchedRows = mFirstRows.back();
    if (row >= searchedRows) {
        return {mSearched + row - searchedRows, 0};
    }
    const int record =
        static_cast<int>(std::upper_bound(mFirstRows.begin(), mFirstRows.end(), row) -
                         mFirstRows.begin()) -
        1;
    return {record, row - mFirstRows[record]};
}

const char* ResultRows::Text(int col, int row) const {
    if (row < 0 || row >= mRows || col < 0 || col >= kResultGridColumns) {
        return "";
    }
    const auto [index, part] = RecordOf(row);
    const RSIF::typDRFInf& record = *mList.Get(index);
    const bool searched = index < mSearched;
    if (part > 0 && col < kResultGridFirstRouteColumn) {
        return FurtherMark();
    }
    switch (col) {
        case 0:
            return !searched ? "" : record.Failed ? FailureMark() : SuccessMark();
        case 1:
            return record.Name.GetText();
        case 2:
            return record.StartName.GetText();
        case 3:
            return record.EndName.GetText();
    }
    if (!searched || record.Failed) {
        return "";
    }
    const char* count = mNumbers.c_str() + mNumberAt[index];
    if (col == 4) {
        return count;
    }
    if (col == 5) {
        return count + std::char_traits<char>::length(count) + 1;
    }
    const int name = RSIF::kRouteNamesPerRow * part + col - kResultGridFirstRouteColumn;
    return name < record.RouteNames.Count() ? record.RouteNames.items[name].GetText() : "";
}

void* ResultRows::Object(int col, int row) const {
    if (row < 0 || row >= mRows || col != 0) {
        return nullptr;
    }
    return mList.Get(RecordOf(row).first);
}
