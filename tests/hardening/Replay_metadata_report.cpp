// The metadata_report fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/metadata_report_fuzzer.cpp"
