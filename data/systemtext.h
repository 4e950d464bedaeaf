// The system's own texts that become data (file titles, warning templates, grid texts).
#pragma once

// Gives the CP932 form of a UTF-8 string literal, converted once on first use and kept for
// the life of the process. Pass string literals only: the cache is keyed by address.
const char* SystemText(const char* utf8Literal);
