// libx265 3.5 keeps a few small blocks of every encoder it opens (a parameter
// copy and frame-filter tables) past x265_encoder_close. They are the
// library's, not ours; the leak checker of the sanitizer run skips them.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}
