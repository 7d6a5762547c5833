// A watcher library that never signals, to show that the closer gets by on its time-outs.
extern "C" __attribute__((visibility("default"))) int CBTHook_Start(unsigned long) { return 0; }
