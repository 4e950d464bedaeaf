// Adding to a warning list: files with millions of refused rows make lists of millions.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "data/tqlist.h"
#include "data/tqstring.h"

namespace RSIF {

// Appends `text`; a full list first makes room for twice its size, so that a long list is
// not copied again at every thousandth warning.
inline void AddWarning(tqList<tqString>& warnings, const std::string& text) {
    if (warnings.count == warnings.capacity) {
        const int64_t doubled =
            std::max<int64_t>(int64_t{warnings.capacity} * 2, tqList<tqString>::kDefaultStep);
        warnings.Reserve(static_cast<int32_t>(std::min<int64_t>(doubled, INT32_MAX)));
    }
    warnings.Add(std::make_unique<tqString>(text.c_str()));
}

}  // namespace RSIF
