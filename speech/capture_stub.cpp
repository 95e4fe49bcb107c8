// capture_stub.cpp — stands in for the live capture driver where it is not
// built: every open fails as a missing device does, so a recogniser on
// driver 1 simply never hears anything.
#include "capture.h"

int cap_open(void **, unsigned, int, const char *) { return -20; }
int cap_close(void *handle) { return handle ? 0 : -1; }
int cap_start(void *) { return -1; }
int cap_stop(void *) { return 0; }
int cap_read(void *, void *, int) { return -1; }
int cap_write(void *, const void *, int) { return 0; }
int cap_control(void *, int) { return 0; }
