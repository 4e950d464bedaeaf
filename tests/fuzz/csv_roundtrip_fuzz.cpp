// Any file loaded into a titled table, saved and loaded again, gives the same titles and
// cells.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "data/tsltab.h"
#include "fuzz_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    TSLtabCL first;
    if (!first.LoadCsvFile(WriteFuzzFile("in.csv", input))) {
        return 0;
    }
    const std::string saved = FuzzFolder() + "/saved.csv";
    if (!first.SaveCsvFile(saved)) {
        if (first.GetColCount() != 0) {
            std::abort();  // a table with columns must save
        }
        return 0;
    }
    TSLtabCL second;
    if (!second.LoadCsvFile(saved) || second.GetColCount() != first.GetColCount()) {
        std::abort();
    }
    const uint32_t rows = std::max(first.GetRowCount(), second.GetRowCount());
    for (uint32_t col = 1; col <= first.GetColCount(); ++col) {
        if (std::string(first.GetTitle(col)) != second.GetTitle(col)) {
            std::abort();
        }
        for (uint32_t row = 1; row <= rows; ++row) {
            if (std::string(first.ReadCell(row, col)) != second.ReadCell(row, col)) {
                std::abort();
            }
        }
    }
    return 0;
}
