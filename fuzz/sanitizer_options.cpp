// Address-sanitizer settings for every fuzz target, however it is started. Inputs
// allocate and free a whole file's worth of buffers: a smaller quarantine keeps those
// pages mapped instead of faulting in fresh ones for every input, and short
// allocation stacks are cheaper to record (reports still show the allocating frames).
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=32:malloc_context_size=5";
}
