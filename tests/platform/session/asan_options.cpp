// Freed memory is overwritten in this program, so that a use after free the
// sanitizer cannot see (a map's iterator stepping on from a node erased under
// it, inside the uninstrumented standard library) crashes instead of passing.
extern "C" const char* __asan_default_options();
extern "C" const char* __asan_default_options() { return "max_free_fill_size=4096"; }
