// The recipe_json fuzz target, built as an ordinary function for FuzzReplayTest.
#define TAVI_FUZZ_REPLAY
#include "fuzz/recipe_json_fuzzer.cpp"
