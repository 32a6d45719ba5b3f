// Under ThreadSanitizer the job tests read their suppressions (Qt's own
// internals) from tsan.supp next to this file, however they are started.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_options() { return "suppressions=" QUILLMAR_TSAN_SUPPRESSIONS; }
#endif
