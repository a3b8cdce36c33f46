// The image_decode fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/image_decode_fuzzer.cpp"
