// Leak-check settings built into the sanitized kit tests.

// fontconfig patterns that pango's process-wide font map caches until exit.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
