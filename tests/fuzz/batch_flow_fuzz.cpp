// A map file and an instruction file through the whole flow of the batch tool; every
// outcome is compared with the network as first written (one object per node and link),
// which is kept as the reference, and every found route is checked against the map's links.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/numbertext.h"
#include "data/systemtext.h"
#include "data/tsltab.h"
#include "engine/resultfile.h"
#include "engine/routesrchinterface.h"
#include "engine/searchrun.h"
#include "fuzz_files.h"
#include "tests/engine/reference_network.h"

namespace {

std::string MapTitles() {
    return std::string(SystemText("M_始点ノード名")) + "," + SystemText("M_終点ノード名") + "," +
           SystemText("M_ノード間距離") + "\n";
}

std::string DrfTitles() {
    return std::string(SystemText("D_検索名称")) + "," + SystemText("D_始点ノード名") + "," +
           SystemText("D_終点ノード名") + "\n";
}

// The same rows the map build takes, added to the reference network in row order.
void BuildReference(TSLtabCL& table, RefNodes& reference) {
    for (uint32_t row = 1; row <= table.GetRowCount(); ++row) {
        const tqString from = table.ReadCell(row, 1);
        const tqString to = table.ReadCell(row, 2);
        const int64_t distance = ReadLeadingInteger(table.ReadCell(row, 3));
        if (!from.IsEmpty() && !to.IsEmpty() && !(from == to) && distance != 0) {
            reference.AddLink(from, to, distance);
        }
    }
    reference.SortLinks();
}

}  // namespace

// Input: the map's rows, a 0 byte, the instructions' rows (titles are added); the first
// byte, when the input has one, also picks one or two search threads.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) {
        return 0;  // the reference search is slow on big networks
    }
    const std::string input(reinterpret_cast<const char*>(data), size);
    const size_t split = input.find('\0');
    const std::string map = WriteFuzzFile("map.csv", MapTitles() + input.substr(0, split));
    const std::string drf = WriteFuzzFile(
        "drf.csv", DrfTitles() + (split == std::string::npos ? "" : input.substr(split + 1)));
    const int threads = size > 0 && (data[0] & 1) ? 2 : 1;

    RSIF::CreateEngine();
    tqList<tqString> warnings;
    RefNodes reference;
    {
        TSLtabCL table;  // the same file read the same way, for the reference
        if (!table.LoadCsvFile(map)) {
            std::abort();
        }
        BuildReference(table, reference);
    }
    if (RSIF::LoadMap({map, {}}, 2).code != RSIF::rrRead ||
        RSIF::GetNodes().GetCount() != reference.GetCount()) {
        std::abort();
    }
    if (RSIF::GetNodes().GetCount() > 0) {
        if (RSIF::ReadDRFFile(drf) != RSIF::rrRead || !RSIF::MakeDRFList(warnings)) {
            std::abort();
        }
        tqList<RSIF::typDRFInf>& list = RSIF::GetDRFList();
        RSIF::SearchAllDRF(threads, [](int) { return true; });
        for (int i = 0; i < list.Count(); ++i) {
            RSIF::typDRFInf& record = *list.Get(i);
            tqArray<tqString> names;
            int64_t distance = 0;
            reference.RestoreLinks();
            const int code =
                reference.SearchRoute(record.StartName, record.EndName, {}, names, distance);
            if (record.Failed != (code != RefNodes::srFound)) {
                std::abort();
            }
            if (record.Failed) {
                continue;
            }
            if (distance != record.Distance || names.Count() != record.RouteNames.Count()) {
                std::abort();
            }
            __int128 sum = 0;  // a route may pass beyond 64 bits and come back
            for (int k = 0; k < names.Count(); ++k) {
                if (!(names.Get(k) == record.RouteNames.Get(k))) {
                    std::abort();
                }
                if (k > 0) {  // each step is a link of the map
                    RefNode* from = reference.FindNode(record.RouteNames.Get(k - 1));
                    RefNode* to = reference.FindNode(record.RouteNames.Get(k));
                    bool linked = false;
                    for (int j = 0; j < from->OutLinks.Count(); ++j) {
                        if (from->OutLinks.Get(j)->LinkNode == to) {
                            linked = true;
                            sum += from->OutLinks.Get(j)->Distance;
                        }
                    }
                    if (!linked) {
                        std::abort();
                    }
                }
            }
            if (sum != record.Distance) {
                std::abort();
            }
        }
        TSLtabCL results;
        RSIF::FillResultTable(results);
    }
    RSIF::DestroyEngine();
    return 0;
}
