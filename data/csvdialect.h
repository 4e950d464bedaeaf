// The CSV dialect of every file the system reads and writes: comma separated, double
// quotes with doubled quotes inside, no trimming, one line per record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace csv {

// Splits one line (without its line end) into `fields`, reusing their storage. An empty
// line has no fields; a NUL byte ends the line. A quoted part runs to its closing quote
// followed by a comma, or to the end of the line; a quote followed by any other byte is
// dropped. Fields and lines of any length are kept whole.
void SplitCsvLine(std::string_view line, std::vector<std::string>& fields);

// Appends `value` to `out` as one CSV field: quotes doubled, and the whole value quoted
// when it holds a quote or a comma. An empty value adds nothing.
void EncodeCsvField(std::string_view value, std::string& out);

}  // namespace csv
