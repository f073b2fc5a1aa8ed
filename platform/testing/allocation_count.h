#pragma once

namespace platform::doubles {

/// Whether this build counts allocations: AddressSanitizer owns malloc itself, so a sanitized
/// build counts nothing and tests that need the count say they are skipped.
bool allocationsCounted();

/// Every malloc, calloc and realloc of the process so far. Linking a test that calls this puts
/// the counting allocator in place for the whole executable.
long allocationCount();

} // namespace platform::doubles
