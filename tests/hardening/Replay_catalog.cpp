// The catalog fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/catalog_fuzzer.cpp"
