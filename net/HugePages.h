#pragma once

#include <cstddef>

namespace tarnel {

// Asks the system to back the whole 2 MiB pages inside [data, data + size) with huge pages,
// so that filling a large body takes a few page faults instead of thousands. Only a hint:
// where the system has no such pages nothing changes.
void AdviseHugePages(void* data, std::size_t size);

} // namespace tarnel
