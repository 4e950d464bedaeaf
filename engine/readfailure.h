// The messages that say why a file could not be loaded, worded once for both programs: the
// window shows them in its error box, the batch tool on standard error.
#pragma once

#include <string>

#include "engine/routesrchinterface.h"

namespace RSIF {

enum FileKind { fkMap, fkInstructions };

// Why the file of `kind` that messages call `shown` could not be loaded (UTF-8), for an
// outcome other than rrRead and rrStopped.
std::string ReadFailureMessage(const typReadOutcome& outcome, const std::string& shown,
                               FileKind kind);

// The scratch files behind the tables failed: the temporary folder is to blame (UTF-8).
std::string ScratchFailureMessage();

}  // namespace RSIF
