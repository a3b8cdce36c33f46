// The library_state fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/library_state_fuzzer.cpp"
