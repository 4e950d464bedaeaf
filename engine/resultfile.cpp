#include "engine/resultfile.h"

#include <cinttypes>

#include "data/formattext.h"
#include "data/systemtext.h"
#include "data/tsfilestream.h"
#include "engine/progress.h"

namespace RSIF {
namespace {

// The result table's first route column; table columns count from 1.
constexpr uint32_t kFirstRouteTableColumn = 7;

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

    tqList<typDRFInf>& list = GetDRFList();
    ProgressRun progress(GetProgressDisplay(), list.Count());
    uint32_t row = 1;
    for (int i = 0; i < list.Count(); ++i) {
        progress.Item(i);
        typDRFInf& record = *list.Get(i);
        const int rowCount = RouteRowCount(record);
        const int nodeCount = record.Failed ? 0 : record.RouteNames.Count();
        table.WriteCellByTitle(row, resultTitle, record.Failed ? "0" : "1");
        table.WriteCellByTitle(row, nameTitle, record.Name.GetText());
        table.WriteCellByTitle(row, startTitle, record.StartName.GetText());
        table.WriteCellByTitle(row, endTitle, record.EndName.GetText());
        if (record.Failed) {
            table.WriteCellByTitle(row, distanceTitle, "");
            table.WriteCellByTitle(row, countTitle, "");
        } else {
            table.WriteCellByTitle(row, distanceTitle, FormatText("%" PRId64, record.Distance));
            table.WriteIntByTitle(row, countTitle, nodeCount);
        }
        for (int j = 0; j < rowCount; ++j) {
            for (int k = 0; k < kRouteNamesPerRow; ++k) {
                const int index = kRouteNamesPerRow * j + k;
                if (index < nodeCount) {
                    table.WriteCell(row + j, kFirstRouteTableColumn + k,
                                    record.RouteNames.Get(index).GetText());
                }
            }
        }
        row += rowCount;
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
