#pragma once

namespace kelvora {

// Every data file is read and written whole, the history files up to some
// 600 KB each, 32 of them a minute. The C library hands blocks that large to
// the kernel one by one, so each read pays again for fresh pages and for
// giving them back (three quarters of the minute step). Called once at the
// start of a program, it keeps such blocks in the heap to be reused.
void keepFileBuffersInHeap();

}  // namespace kelvora
