#include "net/HugePages.h"

namespace tarnel {

void AdviseHugePages(void*, std::size_t) {
}

} // namespace tarnel
