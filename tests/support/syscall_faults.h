// Faults injected where the program meets the host: the read, write, unlink
// and renameat2 calls of the program's own code. A test program linked with
// the library `morvane_syscall_faults` has those calls wrapped (the linker's
// --wrap), so the real line reader and writer, the real file services and the
// real run meet a failing disk exactly as they would meet one on a host.
// Nothing is changed until a test arms a fault; `reset` disarms everything.
#pragma once

#include <cstddef>
#include <string>

namespace morvane::testing::faults {

// The next reads of the file whose host path ends with `pathSuffix` succeed
// `goodReads` times, then one read fails with `error` (EIO: a failing disk,
// a flaky network share); later reads succeed again.
void failReadOnce(const std::string& pathSuffix, int goodReads, int error);

// A disk with `freeBytes` of room for the files whose host paths end with
// `pathSuffix`, counted from now: the write that reaches the limit is cut
// short where the room ends (as a real write returns what fitted), and every
// write after it fails with ENOSPC until `freeSpace` is called.
void limitSpace(const std::string& pathSuffix, std::size_t freeBytes);
// Space is freed: writes succeed again.
void freeSpace();
// How many writes failed for lack of space since the limit was set.
int fullDiskFailures();

// The next `times` unlinks of a host path ending with `pathSuffix` fail with
// `error`. Each suffix keeps a fault of its own.
void failUnlink(const std::string& pathSuffix, int error, int times);

// renameat2 answers EINVAL, as on a file system that cannot rename without
// replacing, so the rename falls back to link and unlink.
void withoutRenameNoReplace(bool on);

// Disarms every fault.
void reset();

}  // namespace morvane::testing::faults
