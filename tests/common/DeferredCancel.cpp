// Linked into the test programs that scan through SANE's test backend.
//
// The backend's reader thread switches itself to asynchronous cancellation, and sane_cancel
// cancels it. A cancel that lands while the thread holds the C library's heap lock (inside
// malloc or free, as on its way out) leaves the lock held, and the scan waits for the thread
// forever. These programs keep cancellation deferred instead: the reader then ends at its next
// cancellation point (its next read or write), never inside the heap. The executable exports this
// definition, so it takes the place of the C library's for the backend loaded at run time.
#include <pthread.h>

extern "C" int pthread_setcanceltype(int /*type*/, int* oldtype) {
    if (oldtype != nullptr) {
        *oldtype = PTHREAD_CANCEL_DEFERRED;
    }
    return 0;
}
