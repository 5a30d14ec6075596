#pragma once

// With SSE2, which every x86-64 processor has, the decoders and the search for
// line ends go sixteen bytes at a time; elsewhere the same work is done a
// character at a time.
#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define QUILLO_SSE2 1
#endif
