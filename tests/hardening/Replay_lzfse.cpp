// The lzfse fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/lzfse_fuzzer.cpp"
