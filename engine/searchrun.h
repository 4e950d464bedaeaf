// The search run: every instruction of the list searched, on one thread or on several.
#pragma once

#include <functional>

namespace RSIF {

// Searches every instruction of the list and stores each outcome in its record, exactly as
// SearchDRF(0), SearchDRF(1), ... would; gives the number n of searches finished, which are
// the first n of the list. With `threads` > 1 the searches run on that many threads, each
// with its own working state over the shared network; the records are the same whatever
// the number. A long run first prepares the network (landmarks, and where it pays a
// hierarchy, built beside the searches on several threads).
// - `report` runs on the calling thread with the number of searches finished so far: with 0
//   between the steps of the preparation, after every search on one thread, about every
//   50 ms on several, and once at the end. When it returns false no further search starts,
//   and the searches under way end.
// - `prepared`, when given, runs once the network is ready to guide searches, before the
//   first search.
// - `along`, when given, is called whenever the number of searches finished from the first
//   grows, with that number, so that the caller can use those records while the rest are
//   searched: on the thread that finished the search, never two calls at once, each with a
//   larger number, the last with the number returned. It may read the records below its
//   number and release their routes (typDRFInf::ReleaseRoute), and must touch nothing
//   else; what it throws ends the run and is thrown here.
int SearchAllDRF(int threads, const std::function<bool(int finished)>& report,
                 const std::function<void()>& prepared = {},
                 const std::function<void(int finished)>& along = {});

}  // namespace RSIF
