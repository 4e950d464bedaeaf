// The messages that say why a file could not be loaded or saved, and that memory ran out,
// worded once for both programs: the window shows them in its error box, the batch tool on
// standard error.
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

enum OutputKind { okResults, okWarningLog };

// That the output of `kind` that messages call `shown` could not be saved, and `reason`
// (FileFailureReason's, or the database's) when there is one (UTF-8).
std::string WriteFailureMessage(OutputKind kind, const std::string& shown,
                                const std::string& reason);

// Memory ran out during a command (UTF-8).
std::string OutOfMemoryMessage();

}  // namespace RSIF
