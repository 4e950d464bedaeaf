#include "engine/resultfile.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "data/formattext.h"
#include "data/systemtext.h"
#include "data/tsfilestream.h"
#include "engine/progress.h"

namespace RSIF {
namespace {

// The result table's first route column; table columns count from 1.
constexpr uint32_t kFirstRouteTableColumn = 7;

// A name as the table takes it, its length known rather than measured.
std::string_view TextOf(const tqString& text) { return {text.GetText(), text.Length()}; }

// A 128-bit whole number in decimal: a partial sum along a route may pass the 64-bit range.
std::string WideText(__int128 value) {
    const bool negative = value < 0;
    unsigned __int128 magnitude =
        negative ? -static_cast<unsigned __int128>(value) : static_cast<unsigned __int128>(value);
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    return negative ? "-" + digits : digits;
}

// The whole list in `layout`, the display told of each instruction.
void Fill(TSLtabCL& table, ResultFill::Layout layout) {
    ResultFill fill(table, layout);
    ProgressRun progress(GetProgressDisplay(), GetDRFList().Count());
    fill.AddRows(GetDRFList().Count(), &progress);
}

// Puts the file written to `stream` in place when everything was `written`, else keeps
// the old one; why it failed, or nothing.
FileFailure Closed(TSFileStreamCL& stream, bool written) {
    if (!written) {
        stream.Discard();
        // A table whose scratch file failed leaves no failure of the file's own.
        return stream.Failure() ? stream.Failure() : FileFailure{FileFailure::fdWriting, 0};
    }
    return stream.Close() ? FileFailure{} : stream.Failure();
}

}  // namespace

int RouteRowCount(const typDRFInf& record) {
    return record.Failed ? 1 : (record.RouteNames.Count() - 1) / kRouteNamesPerRow + 1;
}

ResultFill::ResultFill(TSLtabCL& table, Layout layout) : mTable(table), mLayout(layout) {
    if (layout == Layout::nodeRows) {
        const char* titles[] = {SystemText("R_検索名称"),     SystemText("R_検索結果"),
                                SystemText("R_始点ノード名"), SystemText("R_終点ノード名"),
                                SystemText("R_順番"),         SystemText("R_ノード名"),
                                SystemText("R_累積距離")};
        for (uint32_t col = 1; col <= std::size(titles); ++col) {
            table.SetTitle(col, titles[col - 1]);
        }
        return;
    }
    const char* resultTitle = SystemText("R_検索結果");
    const char* nameTitle = SystemText("R_検索名称");
    const char* startTitle = SystemText("R_始点ノード名");
    const char* endTitle = SystemText("R_終点ノード名");
    const char* distanceTitle = SystemText("R_距離");
    const char* countTitle = SystemText("R_ノード数");
    uint32_t col = 1;
    for (const char* title :
         {resultTitle, nameTitle, startTitle, endTitle, distanceTitle, countTitle}) {
        table.SetTitle(col++, title);
    }
    for (int k = 1; k <= kRouteNamesPerRow; ++k) {
        table.SetTitle(col++, FormatText("R_N%d", k));
    }
    // Each title's column, found once rather than for every cell.
    mResultColumn = table.FindTitle(resultTitle);
    mNameColumn = table.FindTitle(nameTitle);
    mStartColumn = table.FindTitle(startTitle);
    mEndColumn = table.FindTitle(endTitle);
    mDistanceColumn = table.FindTitle(distanceTitle);
    mCountColumn = table.FindTitle(countTitle);
}

void ResultFill::AddRows(int end, ProgressRun* progress) {
    const tqList<typDRFInf>& list = GetDRFList();
    for (; mNext < end; ++mNext) {
        if (progress != nullptr) {
            progress->Item(mNext);
        }
        if (mLayout == Layout::nodeRows) {
            AddNodeRows(*list.Get(mNext));
        } else {
            AddRouteRows(*list.Get(mNext));
        }
    }
}

void ResultFill::AddRouteRows(const typDRFInf& record) {
    const int rowCount = RouteRowCount(record);
    const int nodeCount = record.Failed ? 0 : record.RouteNames.Count();
    mTable.WriteCell(mRow, mResultColumn, record.Failed ? "0" : "1");
    mTable.WriteCell(mRow, mNameColumn, TextOf(record.Name));
    mTable.WriteCell(mRow, mStartColumn, TextOf(record.StartName));
    mTable.WriteCell(mRow, mEndColumn, TextOf(record.EndName));
    if (record.Failed) {
        mTable.WriteCell(mRow, mDistanceColumn, "");
        mTable.WriteCell(mRow, mCountColumn, "");
    } else {
        mTable.WriteCell(mRow, mDistanceColumn, std::to_string(record.Distance));
        mTable.WriteCell(mRow, mCountColumn, std::to_string(nodeCount));
    }
    for (int j = 0; j < rowCount; ++j) {
        for (int k = 0; k < kRouteNamesPerRow; ++k) {
            const int index = kRouteNamesPerRow * j + k;
            if (index < nodeCount) {
                mTable.WriteCell(mRow + j, kFirstRouteTableColumn + k,
                                 TextOf(record.RouteNames.items[index]));
            }
        }
    }
    mRow += rowCount;
}

void ResultFill::AddNodeRows(const typDRFInf& record) {
    const SfNodes& nodes = GetNodes();
    const int steps = record.Failed ? 1 : record.RouteNames.Count();
    __int128 distance = 0;
    for (int step = 0; step < steps; ++step, ++mRow) {
        mTable.WriteCell(mRow, 1, record.Name.GetText());
        mTable.WriteCell(mRow, 2, record.Failed ? "0" : "1");
        mTable.WriteCell(mRow, 3, record.StartName.GetText());
        mTable.WriteCell(mRow, 4, record.EndName.GetText());
        if (record.Failed) {
            continue;
        }
        const tqString& name = record.RouteNames.items[step];
        int64_t link = 0;
        if (step > 0 && nodes.LinkDistance(record.RouteNames.items[step - 1], name, link)) {
            distance += link;
        }
        mTable.WriteCell(mRow, 5, std::to_string(step + 1));
        mTable.WriteCell(mRow, 6, name.GetText());
        mTable.WriteCell(mRow, 7, WideText(distance));
    }
}

void FillResultTable(TSLtabCL& table) { Fill(table, ResultFill::Layout::routeRows); }

void FillNodeRowsTable(TSLtabCL& table) { Fill(table, ResultFill::Layout::nodeRows); }

FileFailure SaveResultFile(const std::string& path, codepage::TextEncoding encoding) {
    constexpr int kInstructionsAtATime = 4096;
    TSLtabCL table;
    table.SetSaveEncoding(encoding);
    ResultFill fill(table, ResultFill::Layout::routeRows);
    TSFileStreamCL stream;
    if (!stream.Open(path, TSFileStreamCL::fmWrite)) {
        return stream.Failure();
    }
    stream.SetWriteEncoding(encoding);
    const int count = GetDRFList().Count();
    ProgressRun progress(GetProgressDisplay(), count);
    bool written = table.WriteCsvLines(stream, 0, 1);  // the titles
    for (int done = 0; written && done < count;) {
        done = std::min(count, done + kInstructionsAtATime);
        fill.AddRows(done, &progress);
        written = table.WriteCsvLines(stream, 1, table.GetRowCount() + 1);
        table.ClearRowsKeepTitles();
        fill.RowsCleared();
    }
    return Closed(stream, written);
}

FileFailure SaveWarningLog(const std::string& path, const tqList<tqString>& warnings,
                           codepage::TextEncoding encoding) {
    TSFileStreamCL stream;
    if (!stream.Open(path, TSFileStreamCL::fmWrite)) {
        return stream.Failure();
    }
    stream.SetWriteEncoding(encoding);
    bool written = true;
    for (int i = 0; written && i < warnings.Count(); ++i) {
        const tqString* text = warnings.Get(i);
        written = stream.WriteText(text ? text->GetText() : "") && stream.WriteText("\n");
    }
    return Closed(stream, written);
}

}  // namespace RSIF
