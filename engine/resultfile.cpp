#include "engine/resultfile.h"

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

}  // namespace

int RouteRowCount(const typDRFInf& record) {
    return record.Failed ? 1 : (record.RouteNames.Count() - 1) / kRouteNamesPerRow + 1;
}

void FillResultTable(TSLtabCL& table) {
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
    const uint32_t resultColumn = table.FindTitle(resultTitle);
    const uint32_t nameColumn = table.FindTitle(nameTitle);
    const uint32_t startColumn = table.FindTitle(startTitle);
    const uint32_t endColumn = table.FindTitle(endTitle);
    const uint32_t distanceColumn = table.FindTitle(distanceTitle);
    const uint32_t countColumn = table.FindTitle(countTitle);

    tqList<typDRFInf>& list = GetDRFList();
    ProgressRun progress(GetProgressDisplay(), list.Count());
    uint32_t row = 1;
    for (int i = 0; i < list.Count(); ++i) {
        progress.Item(i);
        typDRFInf& record = *list.Get(i);
        const int rowCount = RouteRowCount(record);
        const int nodeCount = record.Failed ? 0 : record.RouteNames.Count();
        table.WriteCell(row, resultColumn, record.Failed ? "0" : "1");
        table.WriteCell(row, nameColumn, TextOf(record.Name));
        table.WriteCell(row, startColumn, TextOf(record.StartName));
        table.WriteCell(row, endColumn, TextOf(record.EndName));
        if (record.Failed) {
            table.WriteCell(row, distanceColumn, "");
            table.WriteCell(row, countColumn, "");
        } else {
            table.WriteCell(row, distanceColumn, std::to_string(record.Distance));
            table.WriteCell(row, countColumn, std::to_string(nodeCount));
        }
        for (int j = 0; j < rowCount; ++j) {
            for (int k = 0; k < kRouteNamesPerRow; ++k) {
                const int index = kRouteNamesPerRow * j + k;
                if (index < nodeCount) {
                    table.WriteCell(row + j, kFirstRouteTableColumn + k,
                                    TextOf(record.RouteNames.Get(index)));
                }
            }
        }
        row += rowCount;
    }
}

namespace {

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

}  // namespace

void FillNodeRowsTable(TSLtabCL& table) {
    const char* titles[] = {SystemText("R_検索名称"),     SystemText("R_検索結果"),
                            SystemText("R_始点ノード名"), SystemText("R_終点ノード名"),
                            SystemText("R_順番"),         SystemText("R_ノード名"),
                            SystemText("R_累積距離")};
    for (uint32_t col = 1; col <= std::size(titles); ++col) {
        table.SetTitle(col, titles[col - 1]);
    }
    const SfNodes& nodes = GetNodes();
    tqList<typDRFInf>& list = GetDRFList();
    ProgressRun progress(GetProgressDisplay(), list.Count());
    uint32_t row = 1;
    for (int i = 0; i < list.Count(); ++i) {
        progress.Item(i);
        const typDRFInf& record = *list.Get(i);
        const int steps = record.Failed ? 1 : record.RouteNames.Count();
        __int128 distance = 0;
        for (int step = 0; step < steps; ++step, ++row) {
            table.WriteCell(row, 1, record.Name.GetText());
            table.WriteCell(row, 2, record.Failed ? "0" : "1");
            table.WriteCell(row, 3, record.StartName.GetText());
            table.WriteCell(row, 4, record.EndName.GetText());
            if (record.Failed) {
                continue;
            }
            const tqString& name = record.RouteNames.items[step];
            int64_t link = 0;
            if (step > 0 && nodes.LinkDistance(record.RouteNames.items[step - 1], name, link)) {
                distance += link;
            }
            table.WriteCell(row, 5, std::to_string(step + 1));
            table.WriteCell(row, 6, name.GetText());
            table.WriteCell(row, 7, WideText(distance));
        }
    }
}

bool SaveWarningLog(const std::string& path, const tqList<tqString>& warnings,
                    codepage::TextEncoding encoding) {
    TSFileStreamCL stream;
    if (!stream.Open(path, TSFileStreamCL::fmWrite)) {
        return false;
    }
    stream.SetWriteEncoding(encoding);
    for (int i = 0; i < warnings.Count(); ++i) {
        const tqString* text = warnings.Get(i);
        if (!stream.WriteText(text ? text->GetText() : "") || !stream.WriteText("\n")) {
            stream.Discard();
            return false;
        }
    }
    return stream.Close();
}

}  // namespace RSIF
