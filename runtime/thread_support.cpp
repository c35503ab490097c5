// What libgcc's thread support (win32 model) asks of the C runtime.

extern "C" {

// Threads may run: the runtime's locks and per-thread exception state are real.
int _CRT_MT = 1;

// The destructor of a thread-local key (the unwinder's per-thread state) is handed
// over to run when a thread ends. None is run: a thread that threw leaves its few
// bytes of exception state until the process ends, and the launcher's work is done
// on its one thread.
int __mingwthr_key_dtor(unsigned long, void (*)(void*)) { return 0; }

}  // extern "C"
