// Loading and saving the titled table as CSV files.
#include <algorithm>
#include <string>
#include <vector>

#include "data/csvdialect.h"
#include "data/tsfilestream.h"
#include "data/tsltab.h"

bool TSLtabCL::LoadCsvFile(const std::string& path) {
    if (!IsUsable()) {
        return false;
    }
    tqList<tqString> remembered;
    for (uint32_t col = 1; col <= GetColCount(); ++col) {
        remembered.Add(std::make_unique<tqString>(GetTitle(col)));
    }
    TSFileStreamCL stream;
    if (!stream.Open(path, TSFileStreamCL::fmRead)) {
        return false;
    }
    Clear();
    std::string_view line;
    if (!stream.ReadLine(line)) {
        return false;
    }
    std::vector<std::string> fields;
    csv::SplitCsvLine(line, fields);
    const auto titleCount = static_cast<uint32_t>(fields.size());
    for (uint32_t j = 1; j <= titleCount; ++j) {
        const std::string& title = fields[j - 1];
        SetTitle(j, title);
        int index = remembered.IndexOf(tqString(title.data(), title.size()), 0);
        if (index >= 0) {
            remembered.Delete(index, 1);
        }
    }
    for (uint32_t row = 1; stream.ReadLine(line); ++row) {
        csv::SplitCsvLine(line, fields);
        const auto used = std::min(titleCount, static_cast<uint32_t>(fields.size()));
        for (uint32_t j = 1; j <= used; ++j) {
            WriteCell(row, j, fields[j - 1]);
        }
    }
    for (int i = 0; i < remembered.Count(); ++i) {
        SetTitle(GetColCount() + 1, remembered.Get(i)->GetText());
    }
    return IsUsable();
}

bool TSLtabCL::SaveCsvFile(const std::string& path) {
    TSFileStreamCL stream;
    if (!stream.Open(path, TSFileStreamCL::fmWrite)) {
        return false;
    }
    if (GetColCount() == 0 || !IsUsable()) {
        stream.Discard();
        return false;
    }
    std::string line;
    for (uint32_t row = 0; row <= GetRowCount(); ++row) {
        line.clear();
        for (uint32_t col = 1; col <= GetColCount(); ++col) {
            if (col > 1) {
                line.push_back(',');
            }
            csv::EncodeCsvField(row == 0 ? GetTitle(col) : ReadCell(row, col), line);
        }
        line.push_back('\n');
        if (!stream.WriteText(line) || !IsUsable()) {
            stream.Discard();
            return false;
        }
    }
    return stream.Close();
}
