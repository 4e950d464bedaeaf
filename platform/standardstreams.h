// Standard input, output and error as a program started with some of them closed finds
// them: a file the program opens would otherwise take a closed one's number and receive
// what is meant for the stream.
#pragma once

namespace standardstreams {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed; gives which were, as
// bits 1 << descriptor.
unsigned OpenClosedOnDevNull();

}  // namespace standardstreams
