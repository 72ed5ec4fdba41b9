// ThreadSanitizer sees the QThread and QWaitCondition internals of the
// uninstrumented Qt library only in part (QMutex is futex-based), so a thread
// that has already finished when wait() is called looks unsynchronised with
// its own clean-up. These entries silence that Qt-internal pattern only.
extern "C" const char* __tsan_default_suppressions() {
  return "race:QWaitCondition::~QWaitCondition\n"
         "race:QWaitCondition::wakeAll\n"
         "race:QThreadPrivate::finish\n"
         "race:QThread::~QThread\n";
}
